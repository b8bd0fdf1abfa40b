#include "platform/rtl/ComponentStream.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstring>

namespace rtl {

namespace {

// Decodes an 80-bit x87 extended value without relying on the host's long double.
double ExtendedToDouble(const uint8_t* b) {
    uint64_t mantissa = 0;
    std::memcpy(&mantissa, b, 8);
    const uint16_t signExp = static_cast<uint16_t>(b[8] | (b[9] << 8));
    const bool negative = (signExp & 0x8000) != 0;
    const int exponent = signExp & 0x7FFF;
    double value = 0.0;
    if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? INFINITY : NAN;
    else if (exponent != 0 || mantissa != 0)
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

// Depth guard for nested values.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : FDepth(depth) {
        if (++FDepth > TReader::kMaxDepth)
            RaiseReadError("values nested too deeply");
    }
    ~DepthGuard() { --FDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& FDepth;
};

std::vector<uint8_t> RestOf(TStream& stream) {
    const int64_t position = stream.Position();
    const int64_t size = stream.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(size > position ? size - position : 0));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

} // namespace

void RaiseReadError(const std::string& detail) {
    throw EReadError("Error reading stream: " + detail);
}

TReader::TReader(TStream& stream) : FData(RestOf(stream)) {}

TReader::TReader(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}

const uint8_t* TReader::Take(size_t count) {
    if (count > Remaining())
        RaiseReadError("unexpected end of data (" + std::to_string(count) + " bytes wanted, " +
                       std::to_string(Remaining()) + " left)");
    const uint8_t* p = FData.data() + FPos;
    FPos += count;
    return p;
}

uint8_t TReader::ReadByte() {
    return *Take(1);
}

uint32_t TReader::ReadUInt32() {
    const uint8_t* b = Take(4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void TReader::ReadSignature() {
    const uint8_t* sig = Take(4);
    if (std::memcmp(sig, "TPF0", 4) != 0)
        RaiseReadError("not a component stream");
}

std::string TReader::ReadStr() {
    const uint8_t length = ReadByte();
    const uint8_t* p = Take(length);
    return std::string(reinterpret_cast<const char*>(p), length);
}

TValueType TReader::NextValue() {
    if (Remaining() == 0)
        RaiseReadError("unexpected end of data");
    return static_cast<TValueType>(FData[FPos]);
}

TValueType TReader::ReadValue() {
    const uint8_t type = ReadByte();
    if (type > vaUTF8String)
        RaiseReadError("unknown value type " + std::to_string(type));
    return static_cast<TValueType>(type);
}

bool TReader::EndOfList() {
    return NextValue() == vaNull;
}

void TReader::ReadListBegin() {
    if (ReadValue() != vaList)
        RaiseReadError("list expected");
}

void TReader::ReadListEnd() {
    if (ReadValue() != vaNull)
        RaiseReadError("end of list expected");
}

int64_t TReader::ReadInt64() {
    switch (ReadValue()) {
    case vaInt8:
        return static_cast<int8_t>(ReadByte());
    case vaInt16: {
        const uint8_t* b = Take(2);
        return static_cast<int16_t>(b[0] | (b[1] << 8));
    }
    case vaInt32:
        return static_cast<int32_t>(ReadUInt32());
    case vaInt64: {
        int64_t value = 0;
        std::memcpy(&value, Take(8), 8);
        return value;
    }
    default:
        RaiseReadError("integer expected");
    }
}

int32_t TReader::ReadInteger() {
    if (NextValue() == vaInt64)
        RaiseReadError("32-bit integer expected");
    return static_cast<int32_t>(ReadInt64());
}

std::string TReader::ReadString() {
    switch (ReadValue()) {
    case vaString:
        return ReadStr();
    case vaLString:
    case vaUTF8String: {
        const bool utf8 = FData[FPos - 1] == vaUTF8String;
        const uint32_t length = ReadUInt32();
        const uint8_t* p = Take(length);
        std::string text(reinterpret_cast<const char*>(p), length);
        return utf8 ? Utf8ToWin1252(text) : text;
    }
    case vaWString: {
        const uint32_t count = ReadUInt32();
        if (count > Remaining() / 2)
            RaiseReadError("wide string longer than the data");
        const uint8_t* p = Take(static_cast<size_t>(count) * 2);
        std::string text;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t unit = p[2 * i] | (p[2 * i + 1] << 8);
            uint8_t byte = 0;
            // Surrogates and characters outside the code page have no byte: dropped.
            if (UnicodeToWin1252(unit, byte))
                text += static_cast<char>(byte);
        }
        return text;
    }
    default:
        RaiseReadError("string expected");
    }
}

std::string TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        RaiseReadError("identifier expected");
    }
}

bool TReader::ReadBoolean() {
    const TValueType type = ReadValue();
    if (type != vaFalse && type != vaTrue)
        RaiseReadError("boolean expected");
    return type == vaTrue;
}

double TReader::ReadFloat() {
    switch (NextValue()) {
    case vaExtended:
        ReadValue();
        return ExtendedToDouble(Take(10));
    case vaSingle: {
        ReadValue();
        float value = 0;
        std::memcpy(&value, Take(4), 4);
        return value;
    }
    case vaDate: {
        ReadValue();
        double value = 0;
        std::memcpy(&value, Take(8), 8);
        return value;
    }
    case vaCurrency: {
        ReadValue();
        int64_t value = 0;
        std::memcpy(&value, Take(8), 8);
        return static_cast<double>(value) / 10000.0;
    }
    default:
        return static_cast<double>(ReadInt64());
    }
}

std::vector<uint8_t> TReader::ReadBinary() {
    if (ReadValue() != vaBinary)
        RaiseReadError("byte block expected");
    const uint32_t length = ReadUInt32();
    const uint8_t* p = Take(length);
    return std::vector<uint8_t>(p, p + length);
}

std::vector<std::string> TReader::ReadSet() {
    if (ReadValue() != vaSet)
        RaiseReadError("set expected");
    std::vector<std::string> names;
    for (;;) {
        std::string name = ReadStr();
        if (name.empty())
            return names;
        names.push_back(std::move(name));
    }
}

void TReader::ReadCollection(const std::function<void()>& item) {
    if (ReadValue() != vaCollection)
        RaiseReadError("collection expected");
    DepthGuard guard(FDepth);
    while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32)
            ReadInteger(); // order value: read and ignored
        ReadListBegin();
        item();
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::ReadProperties(TStreamable& target) {
    while (!EndOfList()) {
        const std::string name = ReadStr();
        if (name.empty())
            RaiseReadError("empty property name");
        target.ReadProperty(name, *this);
    }
}

void TReader::SkipValue() {
    SkipValueAt(0);
}

void TReader::SkipValueAt(int depth) {
    if (depth > kMaxDepth)
        RaiseReadError("values nested too deeply");
    switch (NextValue()) {
    case vaNull:
    case vaNil:
    case vaFalse:
    case vaTrue:
        ReadValue();
        return;
    case vaList:
        ReadValue();
        while (!EndOfList())
            SkipValueAt(depth + 1);
        ReadListEnd();
        return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        ReadInt64();
        return;
    case vaExtended:
    case vaSingle:
    case vaDate:
    case vaCurrency:
        ReadFloat();
        return;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        ReadString();
        return;
    case vaIdent:
        ReadIdent();
        return;
    case vaBinary: {
        ReadValue();
        Take(ReadUInt32());
        return;
    }
    case vaSet:
        ReadSet();
        return;
    case vaCollection:
        ReadValue();
        while (!EndOfList()) {
            const TValueType next = NextValue();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                ReadInteger();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValueAt(depth + 1);
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
    RaiseReadError("unknown value type " + std::to_string(NextValue()));
}

std::string TReader::ReadRootComponent(TStreamable& root) {
    ReadSignature();
    const uint8_t first = NextValue();
    // Inherited and inline components carry flags in a prefix byte 0xF0..0xF7; a root with
    // such flags is not something a picture list or form description ever is.
    if ((first & 0xF0) == 0xF0)
        RaiseReadError("component flags are not supported");
    ReadStr(); // class name: not checked, any root class is read into the given object
    std::string objectName = ReadStr();
    ReadProperties(root);
    ReadListEnd();
    if (!EndOfList())
        RaiseReadError("child components are not supported");
    ReadListEnd();
    return objectName;
}

} // namespace rtl
