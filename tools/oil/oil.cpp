// oil: writes, lists and unpacks theme files (picture lists the game loads from Themes/).
//
//   oil pack MANIFEST OUT.OIL     pictures listed in a manifest -> theme file
//   oil list FILE.OIL             one line per picture: index, name, class, size, tiles, key
//   oil unpack FILE.OIL DIR       the pictures as files plus a manifest that packs them back
//   oil sheet FILE.OIL OUT.png    a contact sheet of every picture, for review
#include "platform/rtl/Colors.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Pictures.h"
#include "platform/rtl/Streams.h"
#include "tools/oil/Sheet.h"
#include "tools/oil/Theme.h"

#include <cairo.h>
#include <cstdio>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <fstream>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: oil pack MANIFEST OUT.OIL\n"
                         "       oil list FILE.OIL\n"
                         "       oil unpack FILE.OIL DIR\n"
                         "       oil sheet FILE.OIL OUT.png\n");
    return 2;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

int Pack(const std::string& manifest, const std::string& out) {
    const std::vector<oil::ThemePicture> pictures = oil::ReadManifest(manifest);
    WriteBytes(out, oil::WriteTheme(pictures));
    std::printf("%s: %zu pictures\n", out.c_str(), pictures.size());
    return 0;
}

int List(const std::string& file) {
    const std::vector<oil::ThemePicture> pictures = oil::ReadTheme(rtl::ReadFileBytes(file));
    for (size_t i = 0; i < pictures.size(); ++i) {
        const oil::ThemePicture& p = pictures[i];
        rtl::TPixels pixels;
        std::string error;
        std::string size = "-";
        if (p.ClassName == "TPNGObject" || p.ClassName == "TBitmap" || p.ClassName == "TJPEGImage")
            size = rtl::DecodeImage(p.FileBytes, pixels, error)
                       ? std::to_string(pixels.Width) + "x" + std::to_string(pixels.Height)
                       : "undecodable";
        std::string key = "none";
        if (p.Transparent && !rtl::ColorToIdent(p.TransparentColor, key))
            key = std::to_string(p.TransparentColor);
        std::printf("%3zu  %-24s %-11s %-11s tile %dx%d  key %s%s%s\n", i, p.Name.c_str(),
                    p.ClassName.empty() ? "(none)" : p.ClassName.c_str(), size.c_str(), p.TileWidth,
                    p.TileHeight, key.c_str(), p.Filepath.empty() ? "" : "  file ",
                    p.Filepath.c_str());
    }
    return 0;
}

int Unpack(const std::string& file, const std::string& dir) {
    const std::vector<oil::ThemePicture> pictures = oil::ReadTheme(rtl::ReadFileBytes(file));
    std::filesystem::create_directories(dir);
    std::ofstream manifest(std::filesystem::path(dir) / "manifest.txt");
    manifest << "# FILE NAME TILEWIDTH TILEHEIGHT KEY [FILEPATH]\n";
    for (size_t i = 0; i < pictures.size(); ++i) {
        const oil::ThemePicture& p = pictures[i];
        char stem[24];
        std::snprintf(stem, sizeof stem, "%03zu", i);
        const std::string name = stem + oil::ExtensionForClass(p.ClassName);
        WriteBytes((std::filesystem::path(dir) / name).string(), p.FileBytes);
        manifest << oil::FormatManifestLine(p, name) << "\n";
    }
    std::printf("%s: %zu pictures unpacked into %s\n", file.c_str(), pictures.size(), dir.c_str());
    return 0;
}

int Sheet(const std::string& file, const std::string& out) {
    const std::vector<oil::ThemePicture> pictures = oil::ReadTheme(rtl::ReadFileBytes(file));
    WriteBytes(out, rtl::EncodePNG(oil::ContactSheet(pictures, rtl::ExtractFileName(file))));
    std::printf("%s: sheet of %zu pictures in %s\n", file.c_str(), pictures.size(), out.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    try {
        if (command == "pack" && argc == 4)
            return Pack(argv[2], argv[3]);
        if (command == "list" && argc == 3)
            return List(argv[2]);
        if (command == "unpack" && argc == 4)
            return Unpack(argv[2], argv[3]);
        if (command == "sheet" && argc == 4) {
            const int result = Sheet(argv[2], argv[3]);
            // Drop cairo's and fontconfig's caches so a leak checker sees only real leaks.
            cairo_debug_reset_static_data();
            FcFini();
            return result;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "oil: %s\n", e.what());
        return 1;
    }
    return Usage();
}
