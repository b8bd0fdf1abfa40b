// Level files as LoadLevel takes them: up to 952 bytes over the record the previous level left
// (here: a record of the fuzzer's choosing), then the level format's rules. A record the rules
// accept must be safe for everything the board code indexes with it. The level tool reads the
// same record: it must refuse exactly what the game refuses, in the same words, and check the
// rest without harm.
#include "game/LevelFormat.h"
#include "tools/levels/LevelCheck.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void ReadAsTheTool(const TLevelData& level, const std::string& fault) {
    levels::LevelBytes bytes;
    std::memcpy(bytes.data(), &level, sizeof level);
    try {
        levels::DecodeLevel(bytes);
        if (!fault.empty())
            std::abort(); // the tool took a record the game refuses
    } catch (const levels::FileError& e) {
        if (e.what() != fault)
            std::abort(); // refused for another reason, or in other words
    }
    levels::CheckLevelBytes(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TLevelData level{};
    // The first half stands for the record before, the second for the file (a short file fills
    // only its length).
    const size_t half = size / 2;
    std::memcpy(&level, data, half < sizeof level ? half : sizeof level);
    const size_t fileSize = size - half;
    std::memcpy(&level, data + half, fileSize < sizeof level ? fileSize : sizeof level);
    const std::string fault = LevelFault(level);
    ReadAsTheTool(level, fault);
    if (!fault.empty())
        return 0;
    volatile int32_t sink = level.Cells[level.HeroX][level.HeroY];
    for (int i = 0; i < level.BoxCount; ++i) {
        const TCellPos box = level.Boxes[i];
        const TCellPos zone = level.Zones[i];
        // Read each cell on its own: cell values are the file's, any 32-bit number.
        sink = level.Cells[box.X][box.Y];
        sink = level.Cells[zone.X][zone.Y];
    }
    (void)sink;
    return 0;
}
