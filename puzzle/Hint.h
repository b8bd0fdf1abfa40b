// The next push on a way to the solution from any position, for a player who is stuck.
//
// The solver runs from the position as it stands (the pusher and the objects where they are
// now), greedily: a hint needs a way to the solution soon, not the shortest one. A position
// with an object that can no longer reach a zone is answered at once, without a search.
#pragma once

#include "puzzle/Board.h"
#include "puzzle/Level.h"

#include <atomic>
#include <cstddef>
#include <string>

namespace puzzle {

struct HintOptions {
    // Positions the search may keep: about 56 bytes each, so 600,000 stay near 34 MB.
    size_t MaxStates = 600'000;
    double MaxSeconds = 10;
    const std::atomic<bool>* Cancel = nullptr; // read by the search; true makes it give up
};

struct Hint {
    enum class Outcome {
        Push,       // Moves leads to the next push
        Solved,     // every zone holds an object already
        NoSolution, // no push sequence solves the position: undo is the way out
        GaveUp,     // the caps ran out, or the search was cancelled
    };
    Outcome Result = Outcome::GaveUp;
    // The pusher's walk to the object, then the one push (its last letter, upper case).
    std::string Moves;
    Cell Object; // the object to push
    int DX = 0;  // the push's direction
    int DY = 0;
    double Seconds = 0;
    size_t States = 0;
};

Hint FindHint(const Board& board, const Level& position, const HintOptions& options = {});

} // namespace puzzle
