// A level of the puzzle on the game's 16 x 12 board: walls, the pusher's start, the objects and
// the zones, plus the title and notes of its text form. Free of the engine and the platform, so
// the game, the level tool and the fuzzers share one idea of what a level is.
#pragma once

#include <array>
#include <string>
#include <vector>

// The board the game plays on, and the most objects a level may hold. Global, as the game's
// level record is laid out in them.
constexpr int kBoardColumns = 16;
constexpr int kBoardRows = 12;
constexpr int kMaxBoxes = 9;

namespace puzzle {

// The corner of the board under the in-game button bar (columns 12..15 of rows 10..11): the
// pusher must never be able to walk there, nor may an object or a zone lie there.
constexpr int kBarLeft = 12;
constexpr int kBarTop = 10;

struct Cell {
    int X = 0; // column 0..15
    int Y = 0; // row 0..11
    friend bool operator==(const Cell&, const Cell&) = default;
};

struct Level {
    // Column-major like the level file: Grid[x][y].
    using Grid = std::array<std::array<bool, kBoardRows>, kBoardColumns>;

    std::string Title;
    std::vector<std::string> Notes; // comment lines after the title, without the ';'
    Grid Walls{};                   // everything else is floor to the game
    Cell Hero;
    std::vector<Cell> Boxes; // in board order: column by column, top to bottom
    std::vector<Cell> Zones; // likewise

    bool IsWall(int x, int y) const; // outside the board counts as wall, as in the game
    bool HasBox(int x, int y) const;
    bool HasZone(int x, int y) const;
    // Cells the pusher could ever walk on: everything connected to its start through non-wall
    // cells, objects ignored since they can be pushed out of the way.
    Grid Inside() const;
    friend bool operator==(const Level&, const Level&) = default;
};

} // namespace puzzle
