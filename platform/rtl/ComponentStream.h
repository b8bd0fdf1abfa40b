// The binary component stream ("TPF0"): how forms store their components and how theme files
// store a picture list.
//
// The reader is written for hostile input. Every length is checked against the bytes that
// remain before anything is allocated or copied, nesting is bounded, and every malformation
// raises EReadError. Callers see either a complete value or an exception, never a read past
// the end of the data.
//
// Layout: "TPF0", class name and object name as short strings (a length byte, then the bytes),
// the root's properties ended by a 0 byte, its children ended by a 0 byte. A property is a short
// string name and a value that starts with its type byte (TValueType).
#pragma once

#include "platform/rtl/Streams.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rtl {

enum TValueType : uint8_t {
    vaNull = 0x00,
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,
    vaString = 0x06,
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,
    vaSet = 0x0B,
    vaLString = 0x0C,
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaSingle = 0x0F,
    vaCurrency = 0x10,
    vaDate = 0x11,
    vaWString = 0x12,
    vaInt64 = 0x13,
    vaUTF8String = 0x14,
};

class TReader;

// An object whose published properties a stream can set. ReadProperty must consume the value
// of every name it knows and raise EReadError for any other (an unknown property is a broken
// stream, not something to skip).
class TStreamable {
public:
    virtual ~TStreamable() = default;
    virtual void ReadProperty(const std::string& name, TReader& reader) = 0;
};

class TReader {
public:
    // Reads from the stream's current position to its end; the bytes are taken into memory
    // first, so the stream is not touched again.
    explicit TReader(TStream& stream);
    explicit TReader(std::vector<uint8_t> bytes);

    // The whole of one component: signature, header, the root's properties, no children.
    // Returns the object name from the header.
    std::string ReadRootComponent(TStreamable& root);

    void ReadSignature();  // "TPF0"
    std::string ReadStr(); // short string

    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();

    // Typed values. Each accepts every encoding a writer may choose for it and raises
    // EReadError for any other type byte.
    int32_t ReadInteger();    // vaInt8, vaInt16, vaInt32
    int64_t ReadInt64();      // the above and vaInt64
    std::string ReadString(); // vaString, vaLString, vaWString, vaUTF8String; Windows-1252
    std::string ReadIdent();  // vaIdent and the words nil, True, False
    bool ReadBoolean();
    double ReadFloat(); // vaExtended, vaSingle, vaDate, vaCurrency, integers
    std::vector<uint8_t> ReadBinary();
    std::vector<std::string> ReadSet();
    // A collection: calls item once per item, with the reader positioned on the item's first
    // property; item reads properties until EndOfList. The order values some writers put before
    // items are read and ignored.
    void ReadCollection(const std::function<void()>& item);
    // Reads the properties of target until the end of the current property list.
    void ReadProperties(TStreamable& target);

    // Skips one value of any type.
    void SkipValue();

    size_t Position() const { return FPos; }
    size_t Remaining() const { return FData.size() - FPos; }

    // Nesting allowed for lists and collections inside a value.
    static constexpr int kMaxDepth = 32;

private:
    const uint8_t* Take(size_t count); // raises when fewer bytes remain
    uint8_t ReadByte();
    uint32_t ReadUInt32();
    void SkipValueAt(int depth);

    std::vector<uint8_t> FData;
    size_t FPos = 0;
    int FDepth = 0;
};

// Raises EReadError with the reader's standard wording.
[[noreturn]] void RaiseReadError(const std::string& detail);

} // namespace rtl
