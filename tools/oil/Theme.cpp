#include "tools/oil/Theme.h"

#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Pictures.h"
#include "platform/rtl/Strings.h"
#include "tools/oil/ComponentWriter.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace oil {

std::string ClassForFile(const std::string& fileName) {
    const std::string ext = rtl::UpperCase(rtl::ExtractFileExt(fileName));
    if (ext == ".PNG")
        return "TPNGObject";
    if (ext == ".BMP")
        return "TBitmap";
    if (ext == ".JPG" || ext == ".JPEG")
        return "TJPEGImage";
    if (ext == ".ICO")
        return "TIcon";
    if (ext == ".WMF" || ext == ".EMF")
        return "TMetafile";
    return "";
}

std::string ExtensionForClass(const std::string& className) {
    if (className == "TPNGObject")
        return ".png";
    if (className == "TBitmap")
        return ".bmp";
    if (className == "TJPEGImage")
        return ".jpg";
    if (className == "TIcon")
        return ".ico";
    if (className == "TMetafile")
        return ".wmf";
    return ".bin";
}

std::vector<uint8_t> EncodePictureData(const ThemePicture& picture) {
    if (!rtl::CreateGraphic(picture.ClassName))
        throw std::invalid_argument("unknown picture class \"" + picture.ClassName + "\"");
    // Each class frames its data its own way: PNG bare, bitmaps and JPEGs with a size first.
    rtl::TMemoryStream framed;
    const auto length = static_cast<uint8_t>(picture.ClassName.size());
    framed.WriteBuffer(&length, 1);
    framed.WriteBuffer(picture.ClassName.data(), length);
    if (picture.ClassName == "TBitmap" || picture.ClassName == "TJPEGImage") {
        const auto size = static_cast<uint32_t>(picture.FileBytes.size());
        framed.WriteBuffer(&size, 4);
    }
    framed.WriteBuffer(picture.FileBytes.data(), static_cast<int64_t>(picture.FileBytes.size()));
    return framed.Bytes();
}

std::vector<uint8_t> WriteTheme(const std::vector<ThemePicture>& pictures) {
    TWriter w;
    w.WriteRootHeader("TImageListCollectionComponent", "");
    w.WriteProperty("List");
    w.WriteValue(rtl::vaCollection);
    for (const ThemePicture& p : pictures) {
        w.WriteListBegin();
        w.WriteProperty("Name");
        w.WriteString(p.Name);
        if (!p.ClassName.empty()) {
            w.WriteProperty("Picture.Data");
            w.WriteBinary(EncodePictureData(p));
        }
        w.WriteProperty("TileHeight");
        w.WriteInteger(p.TileHeight);
        w.WriteProperty("TileWidth");
        w.WriteInteger(p.TileWidth);
        w.WriteProperty("TransparentColor");
        std::string ident;
        if (rtl::ColorToIdent(p.TransparentColor, ident))
            w.WriteIdent(ident);
        else
            w.WriteInteger(p.TransparentColor);
        w.WriteProperty("Transparent");
        w.WriteBoolean(p.Transparent);
        if (!p.Filepath.empty()) {
            w.WriteProperty("Filepath");
            w.WriteString(p.Filepath);
        }
        w.WriteListEnd();
    }
    w.WriteListEnd(); // end of the collection
    w.WriteListEnd(); // end of the root's properties
    w.WriteListEnd(); // no children
    return w.Bytes();
}

namespace {

class ItemReader : public rtl::TStreamable {
public:
    explicit ItemReader(ThemePicture& picture) : FPicture(picture) {}
    void ReadProperty(const std::string& name, rtl::TReader& reader) override {
        if (name == "Name") {
            FPicture.Name = reader.ReadString();
        } else if (name == "Picture.Data") {
            rtl::TMemoryStream data;
            const std::vector<uint8_t> bytes = reader.ReadBinary();
            data.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            data.SetPosition(0);
            rtl::TPicture picture;
            picture.ReadData(data);
            if (picture.Graphic()) {
                FPicture.ClassName = picture.Graphic()->ClassName();
                FPicture.FileBytes = picture.Graphic()->FileBytes();
            }
        } else if (name == "TileHeight") {
            FPicture.TileHeight = reader.ReadInteger();
        } else if (name == "TileWidth") {
            FPicture.TileWidth = reader.ReadInteger();
        } else if (name == "TransparentColor") {
            if (reader.NextValue() == rtl::vaIdent) {
                const std::string ident = reader.ReadIdent();
                if (!rtl::IdentToColor(ident, FPicture.TransparentColor))
                    rtl::RaiseReadError("unknown colour " + ident);
            } else {
                FPicture.TransparentColor = reader.ReadInteger();
            }
        } else if (name == "Transparent") {
            FPicture.Transparent = reader.ReadBoolean();
        } else if (name == "Filepath") {
            FPicture.Filepath = reader.ReadString();
        } else {
            rtl::RaiseReadError("unknown property " + name);
        }
    }

private:
    ThemePicture& FPicture;
};

class RootReader : public rtl::TStreamable {
public:
    explicit RootReader(std::vector<ThemePicture>& pictures) : FPictures(pictures) {}
    void ReadProperty(const std::string& name, rtl::TReader& reader) override {
        if (name == "List") {
            reader.ReadCollection([&] {
                FPictures.emplace_back();
                ItemReader item(FPictures.back());
                reader.ReadProperties(item);
            });
        } else if (name == "Name" || name == "Tag") {
            reader.SkipValue();
        } else {
            rtl::RaiseReadError("unknown property " + name);
        }
    }

private:
    std::vector<ThemePicture>& FPictures;
};

} // namespace

std::vector<ThemePicture> ReadTheme(const std::vector<uint8_t>& bytes) {
    std::vector<ThemePicture> pictures;
    RootReader root(pictures);
    rtl::TReader reader(bytes);
    reader.ReadRootComponent(root);
    return pictures;
}

std::vector<ThemePicture> ReadManifest(const std::string& manifestPath) {
    std::ifstream in(manifestPath);
    if (!in)
        throw std::runtime_error("cannot read the manifest " + manifestPath);
    const std::string folder = rtl::ExtractFilePath(manifestPath);
    std::vector<ThemePicture> pictures;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string trimmed = rtl::Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        std::istringstream fields(trimmed);
        std::string file, name, tileWidth, tileHeight, key, filepath;
        fields >> file >> name >> tileWidth >> tileHeight >> key >> filepath;
        const auto fail = [&](const std::string& why) {
            throw std::runtime_error(manifestPath + ":" + std::to_string(number) + ": " + why);
        };
        if (key.empty())
            fail("expected FILE NAME TILEWIDTH TILEHEIGHT KEY [FILEPATH]");
        ThemePicture p;
        p.Name = name;
        p.ClassName = ClassForFile(file);
        if (p.ClassName.empty())
            fail("no picture class for " + file);
        p.FileBytes = rtl::ReadFileBytes(folder + file);
        if (!rtl::TryStrToInt(tileWidth, p.TileWidth) ||
            !rtl::TryStrToInt(tileHeight, p.TileHeight))
            fail("tile sizes must be whole numbers");
        if (rtl::SameText(key, "none")) {
            p.Transparent = false;
        } else {
            p.Transparent = true;
            if (!rtl::IdentToColor(key, p.TransparentColor)) {
                try {
                    p.TransparentColor = static_cast<rtl::TColor>(std::stoul(key, nullptr, 0));
                } catch (const std::exception&) {
                    fail("unknown colour " + key);
                }
            }
        }
        p.Filepath = filepath;
        pictures.push_back(std::move(p));
    }
    return pictures;
}

std::string FormatManifestLine(const ThemePicture& picture, const std::string& fileName) {
    std::string key = "none";
    if (picture.Transparent && !rtl::ColorToIdent(picture.TransparentColor, key)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(picture.TransparentColor));
        key = hex;
    }
    std::string line = fileName + " " + (picture.Name.empty() ? "-" : picture.Name) + " " +
                       std::to_string(picture.TileWidth) + " " +
                       std::to_string(picture.TileHeight) + " " + key;
    if (!picture.Filepath.empty())
        line += " " + picture.Filepath;
    return line;
}

} // namespace oil
