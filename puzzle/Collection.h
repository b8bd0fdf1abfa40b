// Level collections in the common notation as the genre's programs write them: any number of
// levels, with titles, comments and separators between them, some too large or malformed for
// the game. Every level keeps its place in the collection's numbering; those the game cannot play
// say why. The strict reader of the level tool (ParseLevels) stands on the same placement.
//
// What is read:
//   - a line made only of board characters (# @ + $ * . space - _), after tabs are expanded to
//     columns of 8 and run-length forms are unfolded ("4#" is "####", "|" breaks the row), is a
//     board row, provided it holds one of # @ + $ * or . (a row of floor alone continues a board
//     but never starts one);
//   - every other line is text: a "Title:" line names its level, else its first comment (';'),
//     else the first text line before it. Text right after a board (up to a blank line) belongs
//     to that board; text after a blank line, to the next one. Without a blank line between two
//     boards, "Key: value" lines go to the board above, the rest to the board below.
#pragma once

#include "puzzle/Level.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace puzzle {

// Beyond these a text is refused whole: no collection of the genre comes near them, and a
// hostile one must not cost more than a few megabytes to read.
constexpr size_t kMaxCollectionBytes = size_t{8} << 20;
constexpr size_t kMaxCollectionLevels = 10000;
constexpr size_t kMaxLineLength = 4096;

// A text that is not a collection at all (binary data, a line past kMaxLineLength, too many
// levels); the message names the line.
struct CollectionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CollectionLevel {
    int Line = 0;        // 1-based line of the level's first board row
    std::string Title;   // may be empty
    std::string Problem; // empty when the game can play it, else why not ("11 objects: at most 9")
    Level Board;         // placed on the board when playable
    bool Playable() const { return Problem.empty(); }
};

struct Collection {
    std::vector<CollectionLevel> Levels;
    size_t PlayableCount() const;
};

// Reads a whole text; throws CollectionError only for what is not a text of levels at all.
// Levels the game cannot play are kept with their Problem.
Collection ReadCollection(std::string_view text);

// A drawing put on the board: centred, moved only as far as needed to keep its inside clear of
// the corner under the button bar. Problem is set (with the 0-based drawn row it concerns, -1 for
// the whole drawing) when it is too large or its pushers are not exactly one; then Board is
// unusable. Rows hold only board characters.
struct Placement {
    Level Board;
    std::string Problem;
    int ProblemRow = -1;
    int OffsetX = 0; // board cell of the drawing's top left corner
    int OffsetY = 0;
};
Placement PlaceDrawing(const std::vector<std::string>& rows);

} // namespace puzzle
