// The component-stream reader on arbitrary bytes: reads a root with a collection of items of
// every property kind a theme file carries, and skips arbitrary values. Anything but EReadError
// (a crash, a hang, another exception, a sanitizer report) is a finding.
#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Pictures.h"

#include <cstdint>
#include <vector>

namespace {

class Item : public rtl::TStreamable {
public:
    void ReadProperty(const std::string& name, rtl::TReader& reader) override {
        if (name == "Name" || name == "Filepath") {
            reader.ReadString();
        } else if (name == "Picture.Data") {
            const std::vector<uint8_t> bytes = reader.ReadBinary();
            rtl::TMemoryStream data;
            data.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            data.SetPosition(0);
            rtl::TPicture picture;
            picture.ReadData(data);
        } else if (name == "TileHeight" || name == "TileWidth") {
            reader.ReadInteger();
        } else if (name == "TransparentColor") {
            if (reader.NextValue() == rtl::vaIdent)
                reader.ReadIdent();
            else
                reader.ReadInteger();
        } else if (name == "Transparent") {
            reader.ReadBoolean();
        } else {
            reader.SkipValue(); // explore the other value kinds too
        }
    }
};

class Root : public rtl::TStreamable {
public:
    void ReadProperty(const std::string& name, rtl::TReader& reader) override {
        if (name == "List") {
            reader.ReadCollection([&] {
                Item item;
                reader.ReadProperties(item);
            });
        } else {
            reader.SkipValue();
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Root root;
        rtl::TReader(std::vector<uint8_t>(data, data + size)).ReadRootComponent(root);
    } catch (const rtl::EReadError&) {
    }
    return 0;
}
