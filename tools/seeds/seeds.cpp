// seeds DIR: writes the small seed corpus of every fuzz target (one folder per target), made
// with the project's own writers so the fuzzers start from well-formed inputs. The committed
// corpora in fuzz/corpus are this tool's output, and a test keeps them so.
#include "game/RecordsFile.h"
#include "platform/rtl/Pictures.h"
#include "tools/levels/LevelFile.h"
#include "tools/oil/HostilePictures.h"
#include "tools/oil/Theme.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
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
    // In one piece: g++ 12 at -O3 takes an insert after the header for an overflow of it.
    return {'B', 'M', 70, 0,   0,   0,   0, 0, 0, 0, 54,  0, 0,   0, 40, 0, 0,  0,
            2,   0,   0,  0,   2,   0,   0, 0, 1, 0, 24,  0, 0,   0, 0,  0, 16, 0,
            0,   0,   0,  0,   0,   0,   0, 0, 0, 0, 0,   0, 0,   0, 0,  0, 0,  0,
            255, 0,   0,  255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0,  0};
}

std::vector<uint8_t> Prefixed(uint8_t prefix, std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), prefix);
    return bytes;
}

std::vector<levels::Level> ShippedLevels() {
    std::ifstream in(std::string(KOSMORRA_SOURCE_DIR) + "/data/levels.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return levels::ParseLevels(text.str());
}

// The level target reads its input as two halves: the record the previous level left, then the
// file laid over it.
std::vector<uint8_t> OverRecord(const std::vector<uint8_t>& before,
                                const std::vector<uint8_t>& file) {
    std::vector<uint8_t> bytes = before;
    bytes.insert(bytes.end(), file.begin(), file.end());
    return bytes;
}

std::vector<uint8_t> Encoded(const levels::Level& level) {
    const levels::LevelBytes bytes = levels::EncodeLevel(level);
    return {bytes.begin(), bytes.end()};
}

void WriteLevelSeeds(const fs::path& dir) {
    const std::vector<levels::Level> shipped = ShippedLevels();
    for (const int number : {1, 10, 50}) {
        const std::vector<uint8_t> level = Encoded(shipped.at(number - 1));
        Write(dir / ("level" + std::to_string(number)), OverRecord(level, level));
    }
    // A short file over a record cut as short: the rest of the record is zero.
    std::vector<uint8_t> cut = Encoded(shipped.at(6));
    cut.resize(cut.size() * 3 / 4 + 12);
    Write(dir / "short7", OverRecord(cut, cut));
    // Cell values are the file's, any 32-bit number: the largest under the first object and
    // its zone (a harness that added them once overflowed).
    std::vector<uint8_t> huge = Encoded(shipped.at(0));
    TLevelData record;
    std::memcpy(&record, huge.data(), sizeof record);
    const TCellPos box = record.Boxes[0];
    const TCellPos zone = record.Zones[0];
    record.Cells[box.X][box.Y] = INT32_MAX;
    record.Cells[zone.X][zone.Y] = INT32_MAX;
    std::memcpy(huge.data(), &record, sizeof record);
    Write(dir / "huge-cells", OverRecord(huge, huge));
}

// Collections in the forms the genre's files take, made from the shipped levels: titles before
// and after the boards, run-length rows, tabs, CRLF lines, and levels the game cannot play.
void WriteCollectionSeeds(const fs::path& dir) {
    const std::vector<levels::Level> shipped = ShippedLevels();
    WriteText(dir / "shipped",
              levels::FormatLevels({shipped.at(0), shipped.at(9), shipped.at(49)}));
    std::string titled = "Collection header\nAuthor: the seeds tool\n\n";
    for (const int number : {2, 20}) {
        levels::Level l = shipped.at(number - 1);
        const std::string title = l.Title;
        l.Title.clear();
        l.Notes.clear();
        titled += "Level " + std::to_string(number) + "\r\n" + levels::FormatLevel(l) +
                  "Title: " + title + "\r\n\r\n";
    }
    WriteText(dir / "titled-crlf", titled);
    WriteText(dir / "run-length", "; Packed\n7#|#.@-$1-#|#3-$-#|#2-.2-#|7#\n\n"
                                  "\t#######\n\t#.@ $ #\n\t#   $ #\n\t#  . -#\n\t#######\n");
    WriteText(dir / "unplayable", std::string(20, '#') +
                                      "\n#@$.\n\n#####\n#@$$#\n#.  #\n#####\n\n"
                                      "#####\n#@$.#\n#@  #\n#####\n\n#####\n#@$.\n#####\n");
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
    // Headers that claim 16384 x 16384: read for their size, never decoded.
    Write(dir / "fuzz_pictures" / "png-huge-header", Prefixed(0, oil::HugePngHeader(16384, 16384)));
    Write(dir / "fuzz_pictures" / "jpeg-huge-header",
          Prefixed(1, oil::HugeJpegHeader(16384, 16384)));

    WriteText(dir / "fuzz_ini" / "config", "[Options]\r\nMusic=1\r\nFull=0\r\nAntialiasing=1\r\n"
                                           "Depth=32\r\nTheme=Space\r\n");
    WriteText(dir / "fuzz_ini" / "theme", "; menu layout\n[Space]\nRotation=1\nButton0X=432\n"
                                          "Button0Y=300\nButton3Y=0x10\n");
    // As an editor saves it: a UTF-8 byte-order mark, then CRLF lines.
    WriteText(dir / "fuzz_ini" / "config-bom-crlf",
              "\xEF\xBB\xBF[Options]\r\nMusic=0\r\nFull=0\r\nDepth=16\r\nTheme=Space\r\n");
    // Progress: a fresh file, one with levels 1, 2 and 50 won, a short and a long one.
    std::vector<uint8_t> progress(100, 0);
    Write(dir / "fuzz_progress_file" / "fresh", progress);
    progress[0] = progress[1] = progress[49] = 1;
    Write(dir / "fuzz_progress_file" / "won3", progress);
    Write(dir / "fuzz_progress_file" / "short", {1, 1, 0, 1});
    progress.resize(140, 1);
    Write(dir / "fuzz_progress_file" / "long", progress);

    WriteLevelSeeds(dir / "fuzz_level_file");
    WriteCollectionSeeds(dir / "fuzz_collection");

    // Records: as the game writes them from the first win on, one with a comment and a line it
    // does not know kept among the records, and one with CRLF line ends and damaged lines.
    TRecords records;
    records.Add("0123456789abcdef", "rrUUlDDlluR");
    records.Add("0123456789abcdef", "ddrrUlluuuRRr");
    records.Add("fedcba9876543210", "");
    WriteText(dir / "fuzz_records_file" / "written", records.Text());
    WriteText(dir / "fuzz_records_file" / "kept-lines",
              "; my best\n0000000000000001 moves 4 1 rrdL\nfuture 1 2 3\n"
              "0000000000000001 pushes 4 1 rrdL\n");
    WriteText(dir / "fuzz_records_file" / "crlf-damaged",
              "0000000000000002 moves 3 1 rUl\r\n0000000000000002 moves 3 2 rUl\r\n"
              "0000000000000002 pushes 02 1 rU\r\n000000000000000G moves 1 0 r\r\n");

    std::printf("seeds written to %s\n", dir.c_str());
    return 0;
}
