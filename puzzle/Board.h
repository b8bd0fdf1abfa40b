// The static facts of a level that every position of it shares, in the padded cell numbering:
// the floor the pusher can ever reach, the zones, how many pushes a lone object needs from each
// cell to each zone, and the dead squares (cells from which a lone object reaches no zone).
// The solver, the hint and the dead-position check all stand on it; it is cheap enough (one
// backward search per zone) to make once per level.
#pragma once

#include "puzzle/CellIndex.h"
#include "puzzle/Level.h"

#include <array>
#include <cstdint>
#include <vector>

namespace puzzle {

constexpr uint16_t kFar = 0xFFFF; // no way from the cell to the zone

class Board {
public:
    explicit Board(const Level& level);

    std::array<bool, kCells> Floor{}; // inside the level: the pusher's area, objects ignored
    std::array<bool, kCells> Goal{};
    std::array<bool, kCells> Dead{};
    std::vector<uint8_t> Goals;
    std::vector<std::array<uint16_t, kCells>> Distance; // per zone, pushes from each cell
};

} // namespace puzzle
