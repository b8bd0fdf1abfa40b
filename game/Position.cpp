#include "game/Position.h"

#include <algorithm>

puzzle::Level PositionOf(const TLevelData& level, int32_t heroX, int32_t heroY) {
    puzzle::Level position;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            const int32_t code = level.Cells[x][y];
            position.Walls[x][y] = code == ccWall;
            if (code == ccBox)
                position.Boxes.push_back({x, y});
        }
    const int32_t count = std::clamp<int32_t>(level.BoxCount, 0, kMaxBoxes);
    for (int i = 0; i < count; ++i) {
        const TCellPos zone = level.Zones[i];
        position.Zones.push_back({zone.X, zone.Y});
    }
    position.Hero = {heroX, heroY};
    return position;
}
