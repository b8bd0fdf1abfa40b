// What makes a level sound to ship: the game checks nothing, so these rules are checked here,
// before a level file is written, and on files from elsewhere.
#pragma once

#include "tools/levels/LevelFile.h"

#include <string>
#include <vector>

namespace levels {

// Problems of the level, each a sentence; empty when the level is sound:
// - 1 to 9 objects and as many zones, none two on one cell, none on a wall;
// - the pusher starts on a free cell (no wall, no object);
// - the walls enclose the pusher: nothing it could ever reach lies on the board's edge;
// - every object and zone lies where the pusher can reach;
// - nothing reachable lies in the corner under the in-game button bar.
std::vector<std::string> CheckLevel(const Level& level);

// The same for a level file, plus what only the file can get wrong: cell code 2 exactly on
// the objects' cells. A file that cannot be decoded yields its decoding error.
std::vector<std::string> CheckLevelBytes(const LevelBytes& bytes);

} // namespace levels
