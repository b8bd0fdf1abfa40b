#include "puzzle/BoardKey.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace puzzle {

std::string CanonicalBoard(const Level& level) {
    const Level::Grid inside = level.Inside();
    int left = kBoardColumns, top = kBoardRows, right = -1, bottom = -1;
    const auto take = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= kBoardColumns || y >= kBoardRows)
            return;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    };
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (inside[x][y])
                take(x, y);
    for (const Cell& c : level.Boxes)
        take(c.X, c.Y);
    for (const Cell& c : level.Zones)
        take(c.X, c.Y);
    std::string text;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const bool zone = level.HasZone(x, y);
            char c = inside[x][y] ? (zone ? '.' : '-') : '#';
            if (level.HasBox(x, y))
                c = zone ? '*' : '$';
            else if (level.Hero == Cell{x, y})
                c = zone ? '+' : '@';
            else if (zone)
                c = '.';
            text += c;
        }
        text += '\n';
    }
    return text;
}

std::string BoardKey(const Level& level) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : CanonicalBoard(level)) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

} // namespace puzzle
