// The figures a shipped level's notes record, so that the tests and the proof hold them true:
//   solution: N pushes, M moves
//   figures: C object changes, L object lines, S positions
//   moves: the solver's solution in LURD letters (lower case walks, upper case pushes)
#pragma once

#include "puzzle/Level.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace levels {

struct RecordedFigures {
    int Pushes = 0;
    int Moves = 0;
    int Changes = 0;
    int Lines = 0;
    size_t States = 0; // positions the solver stores proving it
    std::string Solution;
    friend bool operator==(const RecordedFigures&, const RecordedFigures&) = default;
};

// The three notes, or nothing when one is missing or malformed.
std::optional<RecordedFigures> ReadFigures(const puzzle::Level& level);
std::vector<std::string> FigureNotes(const RecordedFigures& figures);

// Object changes of a solution as the solver counts them: pushes of another object than the
// push before. -1 when the moves do not play.
int ObjectChanges(const puzzle::Level& level, const std::string& moves);

} // namespace levels
