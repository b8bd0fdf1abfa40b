#include "tools/oil/ComponentWriter.h"

#include <stdexcept>

namespace oil {

void TWriter::Raw(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    FBytes.insert(FBytes.end(), bytes, bytes + size);
}

void TWriter::WriteSignature() {
    Raw("TPF0", 4);
}

void TWriter::WriteStr(const std::string& text) {
    if (text.size() > 255)
        throw std::length_error("short string longer than 255 bytes: " + text.substr(0, 40));
    const auto length = static_cast<uint8_t>(text.size());
    Raw(&length, 1);
    Raw(text.data(), text.size());
}

void TWriter::WriteValue(rtl::TValueType type) {
    Raw(&type, 1);
}

void TWriter::WriteInteger(int32_t value) {
    if (value >= -128 && value <= 127) {
        WriteValue(rtl::vaInt8);
        const auto v = static_cast<int8_t>(value);
        Raw(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(rtl::vaInt16);
        const auto v = static_cast<int16_t>(value);
        Raw(&v, 2);
    } else {
        WriteValue(rtl::vaInt32);
        Raw(&value, 4);
    }
}

void TWriter::WriteString(const std::string& text) {
    if (text.size() <= 255) {
        WriteValue(rtl::vaString);
        WriteStr(text);
    } else {
        WriteValue(rtl::vaLString);
        const auto length = static_cast<uint32_t>(text.size());
        Raw(&length, 4);
        Raw(text.data(), text.size());
    }
}

void TWriter::WriteIdent(const std::string& ident) {
    WriteValue(rtl::vaIdent);
    WriteStr(ident);
}

void TWriter::WriteBoolean(bool value) {
    WriteValue(value ? rtl::vaTrue : rtl::vaFalse);
}

void TWriter::WriteBinary(const std::vector<uint8_t>& bytes) {
    WriteValue(rtl::vaBinary);
    const auto length = static_cast<uint32_t>(bytes.size());
    Raw(&length, 4);
    Raw(bytes.data(), bytes.size());
}

void TWriter::WriteRootHeader(const std::string& className, const std::string& objectName) {
    WriteSignature();
    WriteStr(className);
    WriteStr(objectName);
}

} // namespace oil
