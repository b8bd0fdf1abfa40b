// art: draws the game's pictures from code.
//
//   art theme DIR              DIR/Space.OIL (the 40 pictures of the Space theme) and
//                              DIR/Space.ini (its description: pusher rotation, menu buttons)
//   art builtin OUT.OIL        the main form's 34 built-in pictures as a theme file
//   art embed OUT.cpp          the built-in pictures and the mouse pointer as a C++ source
//   art screens DIR OUTDIR     mock-ups of every screen built from DIR/Space.OIL and Space.ini
//   art icon SIZE OUT.png      the program's icon (the theme's rover) at SIZE x SIZE pixels
#include "platform/rtl/Pictures.h"
#include "tools/art/Builtin.h"
#include "tools/art/Canvas.h"
#include "tools/art/Mockups.h"
#include "tools/art/SpaceTheme.h"
#include "tools/art/Sprites.h"
#include "tools/oil/Theme.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: art theme DIR\n"
                         "       art builtin OUT.OIL\n"
                         "       art embed OUT.cpp\n"
                         "       art screens THEMEDIR OUTDIR\n"
                         "       art icon SIZE OUT.png\n");
    return 2;
}

// Written beside the target and renamed over it, so an interrupted run never leaves half a
// file that a build would take for finished.
void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    const std::filesystem::path temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, path);
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

int Run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "theme" && argc == 3) {
        const std::filesystem::path dir = argv[2];
        WriteFile(dir / "Space.OIL", oil::WriteTheme(art::SpaceThemePictures()));
        WriteFile(dir / "Space.ini", art::SpaceThemeIni());
        return 0;
    }
    if (command == "builtin" && argc == 3) {
        WriteFile(argv[2], oil::WriteTheme(art::BuiltinPictures()));
        return 0;
    }
    if (command == "embed" && argc == 3) {
        WriteFile(argv[2], art::EmbeddedSource());
        return 0;
    }
    if (command == "screens" && argc == 4) {
        for (const auto& [name, pixels] : art::Mockups(argv[2]))
            WriteFile(std::filesystem::path(argv[3]) / (name + ".png"), rtl::EncodePNG(pixels));
        return 0;
    }
    if (command == "icon" && argc == 4) {
        const int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024)
            throw std::runtime_error("an icon is 16 to 1024 pixels wide, not " +
                                     std::string(argv[2]));
        WriteFile(argv[3], rtl::EncodePNG(art::Pusher(size)));
        return 0;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    int result = 1;
    try {
        art::RequireFonts();
        result = Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "art: %s\n", e.what());
    }
    art::ReleaseFontCaches();
    return result;
}
