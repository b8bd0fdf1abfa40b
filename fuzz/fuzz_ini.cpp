// The INI reader on arbitrary file contents: every read returns a value or the default.
#include "platform/rtl/IniFiles.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/kosmorra-fuzz-ini-" + std::to_string(::getpid()) + ".ini";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const rtl::TIniFile ini(path);
    ini.ReadBool("Options", "Music", true);
    ini.ReadBool("Options", "Full", true);
    ini.ReadInteger("Options", "Depth", 32);
    ini.ReadString("Options", "Theme", "Space");
    ini.ReadInteger("Space", "Button3Y", 0);
    ini.SectionExists("Space");
    return 0;
}
