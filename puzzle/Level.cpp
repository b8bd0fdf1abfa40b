#include "puzzle/Level.h"

#include <algorithm>
#include <vector>

namespace puzzle {

bool Level::IsWall(int x, int y) const {
    if (x < 0 || y < 0 || x >= kBoardColumns || y >= kBoardRows)
        return true;
    return Walls[x][y];
}

bool Level::HasBox(int x, int y) const {
    return std::find(Boxes.begin(), Boxes.end(), Cell{x, y}) != Boxes.end();
}

bool Level::HasZone(int x, int y) const {
    return std::find(Zones.begin(), Zones.end(), Cell{x, y}) != Zones.end();
}

Level::Grid Level::Inside() const {
    Grid inside{};
    if (IsWall(Hero.X, Hero.Y))
        return inside;
    std::vector<Cell> todo{Hero};
    inside[Hero.X][Hero.Y] = true;
    while (!todo.empty()) {
        const Cell c = todo.back();
        todo.pop_back();
        const Cell next[] = {{c.X + 1, c.Y}, {c.X - 1, c.Y}, {c.X, c.Y + 1}, {c.X, c.Y - 1}};
        for (const Cell& n : next) {
            if (IsWall(n.X, n.Y) || inside[n.X][n.Y])
                continue;
            inside[n.X][n.Y] = true;
            todo.push_back(n);
        }
    }
    return inside;
}

} // namespace puzzle
