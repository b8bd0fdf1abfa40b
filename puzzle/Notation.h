// The common plain-text notation of box-pushing puzzles, read and written:
//   '#' wall, '@' pusher, '+' pusher on a zone, '$' object, '*' object on a zone, '.' zone,
//   ' ', '-' or '_' floor. Levels are separated by blank lines; lines starting with ';' are
//   comments, the first comment of a level being its title.
// A drawing smaller than the board is centred on it, moved only as far as needed to keep its
// inside clear of the corner that the in-game button bar covers.
// This reader is strict, for the level tool's own sources: anything it cannot place is an error.
// Collections from elsewhere are read by ReadCollection (Collection.h), on the same placement.
#pragma once

#include "puzzle/Level.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace puzzle {

// One letter of a solution: l, u, r, d walk one cell; L, U, R, D push the object ahead one
// cell. Any other letter is no step (DX and DY both 0), which every reader must refuse.
struct MoveStep {
    int DX = 0;
    int DY = 0;
    bool Push = false;
};

constexpr MoveStep ReadMove(char m) {
    const bool push = m >= 'A' && m <= 'Z';
    switch (push ? static_cast<char>(m - 'A' + 'a') : m) {
    case 'l':
        return {-1, 0, push};
    case 'u':
        return {0, -1, push};
    case 'r':
        return {1, 0, push};
    case 'd':
        return {0, 1, push};
    default:
        return {};
    }
}

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

} // namespace puzzle
