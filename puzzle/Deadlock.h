// Objects that can never move again, and positions that can no longer be solved because of them.
//
// An object is frozen when it is blocked along both axes: by walls, by dead squares on both sides
// (it could move, but only onto a cell it can never leave for a zone), or by neighbours that are
// frozen themselves. While a cell is examined it counts as wall, which breaks the circle between
// two objects that block each other. An object frozen on a zone is harmless; one frozen off a
// zone, or standing on a dead square, means the position is lost.
#pragma once

#include "puzzle/Board.h"

#include <array>
#include <cstdint>
#include <vector>

namespace puzzle {

// The freeze test over a board and a set of occupied cells, both owned by the caller and read at
// every call (the solver changes the cells between calls).
class FreezeTest {
public:
    FreezeTest(const Board& board, const std::array<bool, kCells>& occupied)
        : board_(board), occupied_(occupied) {}

    // Whether the object on cell c can never move again.
    bool Frozen(int c);
    // Whether the object on cell c is frozen together with an object off its zone (itself
    // included): the position can no longer be solved.
    bool FreezesOffZone(int c);

private:
    bool Blocked(int c, int d);

    const Board& board_;
    const std::array<bool, kCells>& occupied_;
    std::array<bool, kCells> asWall_{};
    std::vector<uint8_t> frozen_; // what the last successful Frozen found frozen
};

// The objects of a position (board of its level; objects and pusher where they are now) that
// can no longer reach a zone: on a dead square, or frozen off a zone. In the order of
// position.Boxes.
std::vector<Cell> LostObjects(const Board& board, const Level& position);

} // namespace puzzle
