#include "puzzle/Hint.h"

#include "puzzle/Deadlock.h"
#include "puzzle/Notation.h"
#include "puzzle/Routes.h"
#include "puzzle/Solver.h"

#include <algorithm>
#include <optional>

namespace puzzle {

namespace {

std::vector<Cell> Sorted(std::vector<Cell> cells) {
    std::sort(cells.begin(), cells.end(),
              [](const Cell& a, const Cell& b) { return a.X != b.X ? a.X < b.X : a.Y < b.Y; });
    return cells;
}

// The next push of the known solution when the position is one it passes through: the same
// objects where they stood before one of its pushes, and the pusher able to walk to where that
// push starts.
std::optional<Hint> Follow(const Level& start, const std::string& known, const Level& position) {
    bool solved = false;
    if (!Replay(start, known, solved).empty() || !solved)
        return std::nullopt;
    const std::vector<Cell> now = Sorted(position.Boxes);
    Level along = start;
    Cell at = start.Hero;
    for (const char m : known) {
        const auto [dx, dy, push] = ReadMove(m);
        if (push) {
            if (Sorted(along.Boxes) == now) {
                if (std::optional<std::string> walk = WalkTo(position, at)) {
                    Hint hint;
                    hint.Result = Hint::Outcome::Push;
                    hint.Moves = *walk + m;
                    hint.Object = {at.X + dx, at.Y + dy};
                    hint.DX = dx;
                    hint.DY = dy;
                    return hint;
                }
            }
            for (Cell& b : along.Boxes)
                if (b == Cell{at.X + dx, at.Y + dy})
                    b = {b.X + dx, b.Y + dy};
        }
        at = {at.X + dx, at.Y + dy};
    }
    return std::nullopt;
}

} // namespace

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
    if (options.Start && !options.Known.empty())
        if (std::optional<Hint> followed = Follow(*options.Start, options.Known, position))
            return *followed;
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
    const auto push = std::find_if(solution.Moves.begin(), solution.Moves.end(),
                                   [](char m) { return ReadMove(m).Push; });
    if (!solution.Solved || push == solution.Moves.end())
        return hint;
    hint.Result = Hint::Outcome::Push;
    hint.Moves.assign(solution.Moves.begin(), push + 1);
    Cell at = position.Hero;
    for (const char m : hint.Moves) {
        const MoveStep step = ReadMove(m);
        hint.DX = step.DX;
        hint.DY = step.DY;
        at = {at.X + hint.DX, at.Y + hint.DY};
    }
    hint.Object = at;
    return hint;
}

std::string KnownSolution(std::string_view text, std::string_view key) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!key.empty() && line.size() > key.size() + 1 && line.substr(0, key.size()) == key &&
            line[key.size()] == ' ')
            return std::string(line.substr(key.size() + 1));
    }
    return {};
}

} // namespace puzzle
