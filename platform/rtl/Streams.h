// Byte streams: files (raising the runtime's open errors with the file name and the system's
// reason) and memory. ReadBuffer/WriteBuffer raise on a short transfer; Read/Write report the
// count, for readers that handle short data themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rtl {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    void ReadBuffer(void* buffer, int64_t count);        // EReadError "Stream read error"
    void WriteBuffer(const void* buffer, int64_t count); // EWriteError "Stream write error"

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    int64_t Size();
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

// File open modes, as combinable flags.
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmCreate = 0xFF00;

class TFileStream : public TStream {
public:
    // fmCreate makes or empties the file (EFCreateError); the open modes need an existing
    // file and never truncate it (EFOpenError). The name is matched case-insensitively.
    // Opening never waits (a named pipe cannot block it), and anything but a regular file (a
    // folder, a pipe, a device) is refused with its reason rather than opened.
    TFileStream(const std::string& fileName, uint32_t mode);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const std::string FileName;

private:
    int FHandle = -1;
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void SetSize(int64_t size);
    void Clear();

    uint8_t* Memory() { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// Reads a whole file into memory; raises EFOpenError when it cannot be opened.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
// The same for a file of a kind that has a sane size: one larger than maxSize is refused
// (EFOpenError, saying how large it is) before anything is read.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName, int64_t maxSize);
// "300 MB", "64 KB", "100 bytes": a size as the player reads it in a message.
std::string FormatByteSize(int64_t size);

} // namespace rtl
