// A level as the tools see it: the 16 x 12 board the game plays on, with the pusher, the
// objects and the zones, plus the title and notes of its text form.
//
// The plain-text notation is the common one of box-pushing puzzles:
//   '#' wall, '@' pusher, '+' pusher on a zone, '$' object, '*' object on a zone, '.' zone,
//   ' ', '-' or '_' floor. Levels are separated by blank lines; lines starting with ';' are
//   comments, the first comment of a level being its title.
// A drawing smaller than the board is centred on it, moved only as far as needed to keep its
// inside clear of the corner that the in-game button bar covers.
#pragma once

#include "game/LevelFormat.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace levels {

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
    std::string Title;
    std::vector<std::string> Notes; // comment lines after the title, without the ';'
    // Walls of the board, column-major like the file. Everything else is floor to the game.
    std::array<std::array<bool, kBoardRows>, kBoardColumns> Walls{};
    Cell Hero;
    std::vector<Cell> Boxes; // in board order: column by column, top to bottom
    std::vector<Cell> Zones; // likewise

    bool IsWall(int x, int y) const; // outside the board counts as wall, as in the game
    bool HasBox(int x, int y) const;
    bool HasZone(int x, int y) const;
    // Cells the pusher could ever walk on: everything connected to its start through non-wall
    // cells, objects ignored since they can be pushed out of the way.
    std::array<std::array<bool, kBoardRows>, kBoardColumns> Inside() const;
    friend bool operator==(const Level&, const Level&) = default;
};

// A malformed text level (unknown character, no or two pushers, too large a drawing).
struct TextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses every level of a text in the notation. Errors name the level (1-based) and line.
std::vector<Level> ParseLevels(const std::string& text);

// The level drawn in the notation, cropped to its walls (and whatever lies outside them),
// preceded by its title and notes as comments.
std::string FormatLevel(const Level& level);

// The text of a whole collection: levels separated by blank lines.
std::string FormatLevels(const std::vector<Level>& levels);

} // namespace levels
