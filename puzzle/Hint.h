// The next push on a way to the solution from any position, for a player who is stuck.
//
// The solver runs from the position as it stands (the pusher and the objects where they are
// now), as it runs for the level tool: A* first, then greedily when that runs out of room. Any
// way to the solution would do, but the greedy search alone is the slower of the two on the
// shipped levels: its weighted bound leads it astray in the large ones, where A* finds the
// shortest way in a fraction of the positions. A position with an object that can no longer
// reach a zone is answered at once, without a search.
#pragma once

#include "puzzle/Board.h"
#include "puzzle/Level.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace puzzle {

struct HintOptions {
    // A solution of the level known beforehand (a shipped level's own), from Start, its first
    // position. A position the solution passes through, the pusher anywhere it could stand
    // then, gets the solution's next push at once, without a search; any other position is
    // searched for. A known solution that does not solve Start is not followed.
    std::optional<Level> Start;
    std::string Known;
    // Positions each of the two searches may keep: up to about 64 bytes each with the tables'
    // growth, so 300,000 stay under 20 MB.
    size_t MaxStates = 300'000;
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

// The file beside the shipped level files that keeps their solutions: lines of a level's board
// key (BoardKey.h), a space and the moves; lines starting with ';' are comments.
inline constexpr char kSolutionsFileName[] = "Solutions.txt";

// The moves that text in that form keeps for a board key; empty when it keeps none.
std::string KnownSolution(std::string_view text, std::string_view key);

} // namespace puzzle
