#include "puzzle/Deadlock.h"

namespace puzzle {

bool FreezeTest::Frozen(int c) {
    asWall_[c] = true;
    const size_t mark = frozen_.size();
    const bool frozen = Blocked(c, 1) && Blocked(c, kStride);
    asWall_[c] = false;
    if (frozen)
        frozen_.push_back(static_cast<uint8_t>(c));
    else
        frozen_.resize(mark); // what was found frozen leaned on this cell being a wall
    return frozen;
}

bool FreezeTest::Blocked(int c, int d) {
    const int a = c - d, b = c + d;
    auto wall = [&](int x) { return !board_.Floor[x] || asWall_[x]; };
    if (wall(a) || wall(b))
        return true;
    if (board_.Dead[a] && board_.Dead[b])
        return true;
    return (occupied_[a] && Frozen(a)) || (occupied_[b] && Frozen(b));
}

bool FreezeTest::FreezesOffZone(int c) {
    frozen_.clear();
    if (!Frozen(c))
        return false;
    for (uint8_t f : frozen_)
        if (!board_.Goal[f])
            return true;
    return false;
}

std::vector<Cell> LostObjects(const Board& board, const Level& position) {
    std::array<bool, kCells> occupied{};
    for (const Cell& b : position.Boxes)
        occupied[Index(b.X, b.Y)] = true;
    FreezeTest freeze(board, occupied);
    std::vector<Cell> lost;
    for (const Cell& b : position.Boxes) {
        const int c = Index(b.X, b.Y);
        if (board.Dead[c] || (!board.Goal[c] && freeze.Frozen(c)))
            lost.push_back(b);
    }
    return lost;
}

} // namespace puzzle
