// Writes the binary component stream ("TPF0") that the program reads. Only tools write these
// streams; integers always take the smallest encoding that holds them, as the reader expects
// from any writer.
#pragma once

#include "platform/rtl/ComponentStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace oil {

class TWriter {
public:
    void WriteSignature();
    void WriteStr(const std::string& text); // short string, at most 255 bytes
    void WriteValue(rtl::TValueType type);
    void WriteListBegin() { WriteValue(rtl::vaList); }
    void WriteListEnd() { WriteValue(rtl::vaNull); }

    void WriteInteger(int32_t value);
    void WriteString(const std::string& text); // short string when it fits, else long
    void WriteIdent(const std::string& ident);
    void WriteBoolean(bool value);
    void WriteBinary(const std::vector<uint8_t>& bytes);

    void WriteProperty(const std::string& name) { WriteStr(name); }

    // Root header: signature, class name, object name.
    void WriteRootHeader(const std::string& className, const std::string& objectName);

    const std::vector<uint8_t>& Bytes() const { return FBytes; }

private:
    void Raw(const void* data, size_t size);
    std::vector<uint8_t> FBytes;
};

} // namespace oil
