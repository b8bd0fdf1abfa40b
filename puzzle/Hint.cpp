#include "puzzle/Hint.h"

#include "puzzle/Deadlock.h"
#include "puzzle/Solver.h"

#include <algorithm>
#include <cctype>

namespace puzzle {

Hint FindHint(const Board& board, const Level& position, const HintOptions& options) {
    Hint hint;
    // The solver pairs objects with zones one to one; a board that cannot be paired (a damaged
    // level's stray object) gets no hint rather than a wrong one.
    if (position.Boxes.size() != position.Zones.size() || position.Boxes.size() > kMaxBoxes)
        return hint;
    if (std::all_of(position.Boxes.begin(), position.Boxes.end(),
                    [&](const Cell& b) { return position.HasZone(b.X, b.Y); })) {
        hint.Result = Hint::Outcome::Solved;
        return hint;
    }
    if (!LostObjects(board, position).empty()) {
        hint.Result = Hint::Outcome::NoSolution;
        return hint;
    }
    SolveOptions solve;
    solve.MaxStates = options.MaxStates;
    solve.MaxSeconds = options.MaxSeconds;
    solve.Cancel = options.Cancel;
    const Solution solution = Solve(position, solve);
    hint.Seconds = solution.Seconds;
    hint.States = solution.States;
    if (solution.Unsolvable) {
        hint.Result = Hint::Outcome::NoSolution;
        return hint;
    }
    const auto push = std::find_if(solution.Moves.begin(), solution.Moves.end(), [](char m) {
        return std::isupper(static_cast<unsigned char>(m));
    });
    if (!solution.Solved || push == solution.Moves.end())
        return hint;
    hint.Result = Hint::Outcome::Push;
    hint.Moves.assign(solution.Moves.begin(), push + 1);
    Cell at = position.Hero;
    for (const char m : hint.Moves) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(m)));
        hint.DX = lower == 'l' ? -1 : lower == 'r' ? 1 : 0;
        hint.DY = lower == 'u' ? -1 : lower == 'd' ? 1 : 0;
        at = {at.X + hint.DX, at.Y + hint.DY};
    }
    hint.Object = at;
    return hint;
}

} // namespace puzzle
