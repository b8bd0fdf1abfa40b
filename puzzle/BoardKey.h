// A level's board reduced to a short name, so that the same puzzle is recognised wherever it
// comes from: a shipped level file, a collection in the text notation, a level drawn again at
// another place on the board or with other walls around it.
//
// The key is the 64-bit FNV-1a hash, in 16 lower-case hexadecimal digits, of the board drawn in
// the text notation over the smallest rectangle holding every cell the pusher can ever reach
// (Level::Inside), every object and every zone; everything else in that rectangle is drawn as a
// wall '#', rows end in '\n'. So only what decides the play counts: walls nobody can touch,
// the drawing's place on the board, the title and notes do not change the key.
#pragma once

#include "puzzle/Level.h"

#include <string>

namespace puzzle {

// The drawing the key is made from.
std::string CanonicalBoard(const Level& level);
std::string BoardKey(const Level& level);

} // namespace puzzle
