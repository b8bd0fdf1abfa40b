// Level files as LoadLevel takes them: up to 952 bytes over the record the previous level left
// (here: a record of the fuzzer's choosing), then the level rules. A record the rules accept
// must be safe for everything the board code indexes with it.
#include "game/LevelRules.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TLevelData level{};
    // The first half stands for the record before, the second for the file (a short file fills
    // only its length).
    const size_t half = size / 2;
    std::memcpy(&level, data, half < sizeof level ? half : sizeof level);
    const size_t fileSize = size - half;
    std::memcpy(&level, data + half, fileSize < sizeof level ? fileSize : sizeof level);
    if (!LevelFault(level).empty())
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
