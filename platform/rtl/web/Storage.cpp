// The player's files in the browser build: the program's folder lives in memory (emscripten's
// file system, with the shipped data packed into it), so every file the program replaces is
// copied under /kept, a folder of emscripten's IndexedDB file system (IDBFS), which is then
// written out to the page's storage before the program goes on. At start-up /kept is read back
// and its files are put into the program's folder, where the game finds them as on a desktop.
//
// Limits: storage is the browser's, per site; a private window forgets it at its close. A write
// the browser refuses (storage full, or switched off) leaves the file in memory only: that is
// reported on the console and the game goes on.
#include "platform/rtl/Storage.h"

#include "platform/rtl/Files.h"

#include <cstdio>
#include <dirent.h>
#include <emscripten.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace rtl {

namespace {

constexpr const char* kKept = "/kept/";

// Both wait (the program suspended, the browser running) until IndexedDB has answered.
// clang-format would take the JavaScript for C++ and break its "=>" and "===".
// clang-format off
EM_ASYNC_JS(int, MountKept, (), {
    try {
        FS.mkdir('/kept');
        FS.mount(IDBFS, {}, '/kept');
    } catch (e) {
        return 0;
    }
    return await new Promise(function(resolve) {
        FS.syncfs(true, function(error) {
            if (error)
                console.warn('Kosmorra: the saved files cannot be read back: ' + error);
            resolve(error ? 0 : 1);
        });
    });
});

EM_ASYNC_JS(int, SaveKept, (), {
    return await new Promise(function(resolve) {
        FS.syncfs(false, function(error) {
            if (error)
                console.warn('Kosmorra: the files cannot be saved in the browser: ' + error);
            resolve(error ? 0 : 1);
        });
    });
});
// clang-format on

bool gMounted = false;

bool CopyFile(const std::string& from, const std::string& to) {
    FILE* in = std::fopen(from.c_str(), "rb");
    if (!in)
        return false;
    std::vector<char> bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    FILE* out = std::fopen(to.c_str(), "wb");
    if (!out)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// Copies every file under from (a folder, with "/") into to, making folders as needed.
void CopyTree(const std::string& from, const std::string& to) {
    DIR* dir = ::opendir(from.c_str());
    if (!dir)
        return;
    ::mkdir(to.c_str(), 0755);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (::stat((from + name).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            CopyTree(from + name + "/", to + name + "/");
        else if (S_ISREG(st.st_mode) && !CopyFile(from + name, to + name))
            std::fprintf(stderr, "Cannot restore the saved file %s\n", (to + name).c_str());
    }
    ::closedir(dir);
}

void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
}

} // namespace

void RestorePlayerFiles() {
    gMounted = MountKept() != 0;
    if (gMounted)
        CopyTree(kKept, ProgramDir());
}

void KeepPlayerFile(const std::string& path, const void* data, size_t size) {
    if (!gMounted)
        return;
    const std::string full = ExpandFileName(path);
    const std::string folder = ProgramDir();
    if (full.compare(0, folder.size(), folder) != 0)
        return;
    const std::string kept = kKept + full.substr(folder.size());
    MakeFolders(kept);
    FILE* out = std::fopen(kept.c_str(), "wb");
    const bool written = out && std::fwrite(data, 1, size, out) == size;
    if (out && std::fclose(out) != 0)
        std::fprintf(stderr, "Cannot keep %s in the browser\n", full.c_str());
    else if (!written)
        std::fprintf(stderr, "Cannot keep %s in the browser\n", full.c_str());
    else
        SaveKept();
}

} // namespace rtl
