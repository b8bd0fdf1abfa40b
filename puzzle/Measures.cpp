#include "puzzle/Measures.h"

#include "puzzle/Notation.h"

#include <algorithm>
#include <array>

namespace puzzle {

int ObjectLines(const Level& level, const std::string& moves) {
    std::array<std::array<bool, kBoardRows>, kBoardColumns> box{};
    for (const Cell& c : level.Boxes)
        box[c.X][c.Y] = true;
    auto inBoard = [](int x, int y) {
        return x >= 0 && y >= 0 && x < kBoardColumns && y < kBoardRows;
    };
    int x = level.Hero.X, y = level.Hero.Y;
    int lines = 0;
    // The cell the object of the last push stands on now, and that push's direction.
    int lastX = -1, lastY = -1;
    int lastDX = 0, lastDY = 0;
    for (char m : moves) {
        const MoveStep step = ReadMove(m);
        const int dx = step.DX, dy = step.DY;
        if (dx == 0 && dy == 0)
            break;
        const int nx = x + dx, ny = y + dy;
        if (!inBoard(nx, ny))
            break;
        if (box[nx][ny]) {
            const int bx = nx + dx, by = ny + dy;
            if (!inBoard(bx, by) || box[bx][by] || level.Walls[bx][by])
                break;
            lines += !(nx == lastX && ny == lastY && dx == lastDX && dy == lastDY);
            box[nx][ny] = false;
            box[bx][by] = true;
            lastX = bx;
            lastY = by;
            lastDX = dx;
            lastDY = dy;
        } else if (level.Walls[nx][ny]) {
            break;
        }
        x = nx;
        y = ny;
    }
    return lines;
}

std::string CanonicalRoom(const Level& level) {
    int left = kBoardColumns, top = kBoardRows, right = -1, bottom = -1;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (level.Walls[x][y]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {};
    const int w = right - left + 1, h = bottom - top + 1;
    auto at = [&](int x, int y) {
        if (level.Walls[left + x][top + y])
            return '#';
        return level.HasZone(left + x, top + y) ? '.' : ' ';
    };
    std::string best;
    for (int t = 0; t < 8; ++t) {
        // Bit 0 mirrors across the vertical axis, bit 1 across the horizontal, bit 2 swaps
        // the axes (after the mirrors): together the 8 symmetries of the square.
        const bool swap = t & 4;
        const int cw = swap ? h : w, ch = swap ? w : h;
        std::string text;
        for (int y = 0; y < ch; ++y) {
            for (int x = 0; x < cw; ++x) {
                int sx = swap ? y : x, sy = swap ? x : y;
                if (t & 1)
                    sx = w - 1 - sx;
                if (t & 2)
                    sy = h - 1 - sy;
                text += at(sx, sy);
            }
            text += '\n';
        }
        if (best.empty() || text < best)
            best = text;
    }
    return best;
}

} // namespace puzzle
