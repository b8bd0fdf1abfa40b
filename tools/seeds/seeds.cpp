// seeds DIR: writes the small seed corpus of every fuzz target (one folder per target), made
// with the project's own writers so the fuzzers start from well-formed inputs.
#include "platform/rtl/Pictures.h"
#include "tools/oil/Theme.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
    Write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

rtl::TPixels Checker(int w, int h) {
    rtl::TPixels p;
    p.Width = w;
    p.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Argb.push_back(((x + y) & 1) ? 0xFFFFFFFFu : 0x80000000u);
    return p;
}

// A 2 x 2 24-bit bitmap.
std::vector<uint8_t> TinyBmp() {
    std::vector<uint8_t> b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                              2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                              0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
    const uint8_t rows[] = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    b.insert(b.end(), rows, rows + sizeof rows);
    return b;
}

std::vector<uint8_t> Prefixed(uint8_t prefix, std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), prefix);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];
    const std::vector<uint8_t> png = rtl::EncodePNG(Checker(4, 4));
    const std::vector<uint8_t> jpeg = rtl::EncodeJPEG(Checker(8, 8), 50);
    const std::vector<uint8_t> bmp = TinyBmp();

    oil::ThemePicture a{"a.png", "TPNGObject", png, 2, 2, rtl::clBlack, true, ""};
    oil::ThemePicture b{"b.bmp", "TBitmap", bmp, 0, 0, 0x00FF00FF, true, "x.png"};
    oil::ThemePicture c{
        "c.jpg", "TJPEGImage", jpeg, 8, 8, static_cast<rtl::TColor>(0xFF00000Fu), false, ""};
    Write(dir / "fuzz_component_stream" / "theme3", oil::WriteTheme({a, b, c}));
    Write(dir / "fuzz_component_stream" / "theme1", oil::WriteTheme({a}));
    Write(dir / "fuzz_component_stream" / "empty", oil::WriteTheme({}));

    Write(dir / "fuzz_pictures" / "png", Prefixed(0, png));
    Write(dir / "fuzz_pictures" / "jpeg", Prefixed(1, jpeg));
    Write(dir / "fuzz_pictures" / "bmp", Prefixed(2, bmp));

    WriteText(dir / "fuzz_ini" / "config", "[Options]\r\nMusic=1\r\nFull=0\r\nAntialiasing=1\r\n"
                                           "Depth=32\r\nTheme=Space\r\n");
    WriteText(dir / "fuzz_ini" / "theme", "; menu layout\n[Space]\nRotation=1\nButton0X=432\n"
                                          "Button0Y=300\nButton3Y=0x10\n");
    // Progress: a fresh file, one with levels 1, 2 and 50 won, a short and a long one.
    std::vector<uint8_t> progress(100, 0);
    Write(dir / "fuzz_progress_file" / "fresh", progress);
    progress[0] = progress[1] = progress[49] = 1;
    Write(dir / "fuzz_progress_file" / "won3", progress);
    Write(dir / "fuzz_progress_file" / "short", {1, 1, 0, 1});
    progress.resize(140, 1);
    Write(dir / "fuzz_progress_file" / "long", progress);

    std::printf("seeds written to %s\n", dir.c_str());
    return 0;
}
