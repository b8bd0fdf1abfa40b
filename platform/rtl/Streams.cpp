#include "platform/rtl/Streams.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::Size() {
    const int64_t position = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 16)));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// ---------------------------------------------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, uint32_t mode) : FileName(fileName) {
    const std::string path = ResolvePath(fileName);
    std::string reason;
    if (mode == fmCreate) {
        FHandle = OpenRegularFile(path, O_RDWR | O_CREAT | O_TRUNC, reason);
        if (FHandle < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
        return;
    }
    const int access = (mode & 3) == fmOpenWrite       ? O_WRONLY
                       : (mode & 3) == fmOpenReadWrite ? O_RDWR
                                                       : O_RDONLY;
    FHandle = OpenRegularFile(path, access, reason);
    if (FHandle < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
}

TFileStream::~TFileStream() {
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(FHandle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(FHandle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(FHandle, offset, whence);
}

// ---------------------------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t size = static_cast<int64_t>(FData.size());
    if (count <= 0 || FPosition >= size)
        return 0;
    const int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const auto end = static_cast<size_t>(FPosition + count);
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == soBeginning ? 0
                         : origin == soCurrent ? FPosition
                                               : static_cast<int64_t>(FData.size());
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    FData.resize(static_cast<size_t>(stream.Size()));
    stream.ReadBuffer(FData.data(), static_cast<int64_t>(FData.size()));
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::SetSize(int64_t size) {
    FData.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    FPosition = std::min(FPosition, static_cast<int64_t>(FData.size()));
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
    TMemoryStream memory;
    memory.LoadFromFile(fileName);
    return memory.Bytes();
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName, int64_t maxSize) {
    TFileStream file(fileName, fmOpenRead);
    const int64_t size = file.Size();
    if (size > maxSize)
        throw EFOpenError("Cannot open file \"" + fileName + "\". It is " + FormatByteSize(size) +
                          ", more than such a file can be (" + FormatByteSize(maxSize) +
                          " at most).");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    return bytes;
}

std::string FormatByteSize(int64_t size) {
    if (size >= (int64_t{1} << 20))
        return std::to_string((size + (int64_t{1} << 19)) >> 20) + " MB";
    if (size >= 1024)
        return std::to_string((size + 512) >> 10) + " KB";
    return std::to_string(size) + " bytes";
}

} // namespace rtl
