#include "game/LevelFormat.h"

bool OnBoard(int32_t column, int32_t row) {
    return column >= 0 && column < kBoardColumns && row >= 0 && row < kBoardRows;
}

std::string LevelFault(const TLevelData& level) {
    const int32_t count = level.BoxCount;
    if (count < 0 || count > kMaxBoxes)
        return "it lists " + std::to_string(count) + " objects (0 to 9 are possible)";
    if (!OnBoard(level.HeroX, level.HeroY))
        return "the pusher starts outside the board";
    for (int i = 0; i < count; ++i) {
        const TCellPos box = level.Boxes[i];
        const TCellPos zone = level.Zones[i];
        if (!OnBoard(box.X, box.Y))
            return "object " + std::to_string(i + 1) + " lies outside the board";
        if (!OnBoard(zone.X, zone.Y))
            return "zone " + std::to_string(i + 1) + " lies outside the board";
    }
    return {};
}
