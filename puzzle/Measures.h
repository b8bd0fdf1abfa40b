// Measures of a level and of a solution beyond the solver's counts, for the generator's score
// and the difficulty report, and the room's form up to rotation and mirroring.
#pragma once

#include "puzzle/Level.h"

#include <string>

namespace puzzle {

// Object lines of a solution: runs of pushes of one object in one direction, walks between
// them allowed. A solution of 3 right pushes, a walk, then 2 up pushes of the same object has
// 2 lines; the solver's object changes count only switches between objects.
int ObjectLines(const Level& level, const std::string& moves);

// The room of a level (walls and zones; objects and pusher left out) drawn in the smallest of
// its 8 rotations and mirror images, so that two rooms that differ only by turning or
// flipping the board give the same text.
std::string CanonicalRoom(const Level& level);

} // namespace puzzle
