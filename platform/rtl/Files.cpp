#include "platform/rtl/Files.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Storage.h"

#include <SDL.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rtl {

namespace {

std::string ToSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of folder dir whose name matches name ignoring ASCII case; the exact name first,
// then the alphabetically first of the others so the choice never depends on folder order.
bool FindEntry(const std::string& dir, const std::string& name, std::string& found) {
    if (Exists(dir + "/" + name)) {
        found = name;
        return true;
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    std::vector<std::string> matches;
    while (const dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0)
            matches.emplace_back(e->d_name);
    }
    ::closedir(d);
    if (matches.empty())
        return false;
    found = *std::min_element(matches.begin(), matches.end());
    return true;
}

} // namespace

std::string ResolvePath(const std::string& path) {
    const std::string unixPath = ToSlashes(path);
    if (unixPath.empty() || Exists(unixPath))
        return unixPath;

    const bool absolute = unixPath[0] == '/';
    std::string result = absolute ? "/" : "";
    size_t pos = 0;
    while (pos <= unixPath.size()) {
        size_t next = unixPath.find('/', pos);
        if (next == std::string::npos)
            next = unixPath.size();
        const std::string part = unixPath.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty())
            continue;
        std::string found = part;
        if (part != "." && part != "..") {
            const std::string dir = result.empty() ? "." : result;
            if (!FindEntry(dir, part, found))
                return unixPath; // a component is missing: nothing to resolve
        }
        if (!result.empty() && result.back() != '/')
            result += '/';
        result += found;
    }
    return result;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(ResolvePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

std::string& ProgramDirOverride() {
    static std::string dir;
    return dir;
}

} // namespace

void SetProgramDir(const std::string& dir) {
    ProgramDirOverride() = dir.empty() ? std::string() : IncludeTrailingPathDelimiter(dir);
}

std::string ProgramDir() {
    if (!ProgramDirOverride().empty())
        return ProgramDirOverride();
    char* base = SDL_GetBasePath();
    if (!base)
        return IncludeTrailingPathDelimiter(GetCurrentDir());
    std::string dir = base;
    SDL_free(base);
    return IncludeTrailingPathDelimiter(dir);
}

bool ChangeToProgramDir() {
    return ::chdir(ProgramDir().c_str()) == 0;
}

std::string GetCurrentDir() {
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return ".";
    return buffer.data();
}

std::string ExtractFilePath(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
    const std::string name = ExtractFileName(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        return path;
    return path + "/";
}

std::string ExpandFileName(const std::string& path) {
    const std::string unixPath = ToSlashes(path);
    if (!unixPath.empty() && unixPath[0] == '/')
        return unixPath;
    std::string relative = unixPath;
    while (relative.rfind("./", 0) == 0)
        relative.erase(0, 2);
    return IncludeTrailingPathDelimiter(GetCurrentDir()) + relative;
}

int OpenRegularFile(const std::string& path, int flags, std::string& reason) {
    int fd = -1;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = SysErrorMessage(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        reason = S_ISDIR(st.st_mode) ? SysErrorMessage(EISDIR)
                 : st.st_mode != 0   ? std::string("Not a regular file.")
                                     : SysErrorMessage(error);
        ::close(fd);
        return -1;
    }
    return fd;
}

namespace {

// The file a path finally names, following symbolic links (relative ones from the link's own
// folder). A dangling link gives the missing file it points to, so that file is created. A
// loop is left for stat to report (ELOOP).
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::vector<char> buffer(4096);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<size_t>(n) >= buffer.size())
            return path;
        const std::string link(buffer.data(), static_cast<size_t>(n));
        path = link[0] == '/' ? link : ExtractFilePath(path) + link;
    }
    return path;
}

// A folder's entries survive a power cut only once the folder itself is synced. Some file
// systems cannot; the rename has happened either way, so that is no reason to report failure.
void SyncFolderOf(const std::string& file) {
    const std::string folder = ExtractFilePath(file);
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void WriteAll(int fd, const void* data, size_t size, int& error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size && error == 0) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            done += static_cast<size_t>(n);
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : Fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (Fd >= 0)
            ::close(Fd);
    }
    const int Fd;
};

// The process's file mode mask. umask() reads it only by setting it, which would race with the
// files other threads create meanwhile; Linux reports it without that.
mode_t FileModeMask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The mode of a file the game makes: what an ordinary open would give it, but its owner keeps
// reading and writing it whatever the mask. One that takes that away (the browser's file system
// reports 0777) would leave a file the game could never update again.
mode_t NewFileMode() {
    return (0644 & ~FileModeMask()) | 0600;
}

// WriteFileAtomic on the file that path finally names (target); messages name path.
void ReplaceFile(const std::string& target, const std::string& path, const void* data,
                 size_t size) {
    const auto refuse = [&](const std::string& reason) {
        throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
    };
    // The rename would replace anything, read-only or not: the checks a plain open makes are
    // made here by hand. The temporary file is made 0600 whatever the umask: a new file gets
    // the mode an open would have given it, an old one keeps its own.
    mode_t mode = 0;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            refuse(SysErrorMessage(EISDIR));
        if (!S_ISREG(st.st_mode))
            refuse("Not a regular file.");
        if (::access(target.c_str(), W_OK) != 0)
            refuse(SysErrorMessage(errno));
        mode = st.st_mode & 07777;
    } else if (errno == ENOENT) {
        mode = NewFileMode();
    } else {
        refuse(SysErrorMessage(errno));
    }

    std::string temp = target + ".XXXXXX";
    int error = 0;
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = errno;
    } else {
        WriteAll(fd, data, size, error);
        if (error == 0 && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
            error = errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
            error = errno;
        if (error != 0)
            ::unlink(temp.c_str());
    }
    if (error != 0)
        throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(error));
    SyncFolderOf(target);
    KeepPlayerFile(target, data, size);
}

} // namespace

void WriteFileAtomic(const std::string& path, const void* data, size_t size) {
    ReplaceFile(FollowLinks(ResolvePath(path)), path, data, size);
}

void UpdateFileAtomic(const std::string& path, size_t readLimit,
                      const std::function<void(std::vector<uint8_t>&)>& update) {
    const std::string target = FollowLinks(ResolvePath(path));
    for (;;) {
        std::string reason;
        // Made here, the file gets the mode a new one gets from ReplaceFile.
        int fd = OpenRegularFile(target, O_RDONLY | O_CREAT | O_EXCL, reason);
        if (fd >= 0)
            ::fchmod(fd, NewFileMode());
        else
            fd = OpenRegularFile(target, O_RDONLY | O_CREAT, reason);
        const FileDescriptor file(fd);
        if (file.Fd < 0)
            throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
        int locked = -1;
        do
            locked = ::flock(file.Fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked != 0)
            throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
        // The lock belongs to the file we opened; if another program replaced the file while we
        // waited for it, the name now means a new file, and that one must be locked instead.
        struct stat held {
        }, named{};
        if (::fstat(file.Fd, &held) != 0 || ::stat(target.c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev)
            continue;
        std::vector<uint8_t> bytes(std::min<size_t>(readLimit, static_cast<size_t>(held.st_size)));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(file.Fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EReadError("Cannot read file \"" + path + "\". " + SysErrorMessage(errno));
            if (n == 0)
                break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        update(bytes);
        ReplaceFile(target, path, bytes.data(), bytes.size());
        return;
    }
}

std::string SysErrorMessage(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

} // namespace rtl
