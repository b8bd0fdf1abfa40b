#include "platform/rtl/Files.h"

#include "platform/rtl/Exceptions.h"

#include <SDL.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
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

void WriteFileAtomic(const std::string& path, const void* data, size_t size) {
    const std::string target = ResolvePath(path);
    std::string temp = target + ".XXXXXX";
    int error = 0;
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = errno;
    } else {
        struct stat st {};
        const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
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
}

std::string SysErrorMessage(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

} // namespace rtl
