#include "tools/levels/Figures.h"

#include "puzzle/Notation.h"
#include "puzzle/Solver.h"

#include <cstdint>

namespace levels {

namespace {

// Reads "PREFIX<number>" at text[at...], moving at past it.
bool Expect(const std::string& text, size_t& at, const std::string& prefix) {
    if (text.compare(at, prefix.size(), prefix) != 0)
        return false;
    at += prefix.size();
    return true;
}

bool Count(const std::string& text, size_t& at, uint64_t& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && at - start < 12 && text[at] >= '0' && text[at] <= '9')
        value = value * 10 + static_cast<uint64_t>(text[at++] - '0');
    return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

} // namespace

std::optional<RecordedFigures> ReadFigures(const puzzle::Level& level) {
    RecordedFigures f;
    int found = 0;
    for (const std::string& note : level.Notes) {
        size_t at = 0;
        uint64_t a = 0, b = 0, c = 0;
        if (Expect(note, at, "solution: ") && Count(note, at, a) && Expect(note, at, " pushes, ") &&
            Count(note, at, b) && Expect(note, at, " moves") && at == note.size() && a < 100000 &&
            b < 100000) {
            f.Pushes = static_cast<int>(a);
            f.Moves = static_cast<int>(b);
            found |= 1;
        } else if (at = 0; Expect(note, at, "figures: ") && Count(note, at, a) &&
                           Expect(note, at, " object changes, ") && Count(note, at, b) &&
                           Expect(note, at, " object lines, ") && Count(note, at, c) &&
                           Expect(note, at, " positions") && at == note.size() && a < 100000 &&
                           b < 100000) {
            f.Changes = static_cast<int>(a);
            f.Lines = static_cast<int>(b);
            f.States = static_cast<size_t>(c);
            found |= 2;
        } else if (at = 0; Expect(note, at, "moves: ") &&
                           note.find_first_not_of("lurdLURD", at) == std::string::npos) {
            f.Solution = note.substr(at);
            found |= 4;
        }
    }
    if (found != 7)
        return std::nullopt;
    return f;
}

std::vector<std::string> FigureNotes(const RecordedFigures& f) {
    return {
        "solution: " + std::to_string(f.Pushes) + " pushes, " + std::to_string(f.Moves) + " moves",
        "figures: " + std::to_string(f.Changes) + " object changes, " + std::to_string(f.Lines) +
            " object lines, " + std::to_string(f.States) + " positions",
        "moves: " + f.Solution};
}

int ObjectChanges(const puzzle::Level& level, const std::string& moves) {
    bool solved = false;
    if (!puzzle::Replay(level, moves, solved).empty())
        return -1;
    int x = level.Hero.X, y = level.Hero.Y, lastX = -1, lastY = -1, changes = 0;
    for (char m : moves) {
        const puzzle::MoveStep step = puzzle::ReadMove(m);
        x += step.DX;
        y += step.DY;
        if (!step.Push)
            continue;
        // The object pushed stood where the pusher now stands, and moved on one cell.
        changes += !(x == lastX && y == lastY);
        lastX = x + step.DX;
        lastY = y + step.DY;
    }
    return changes;
}

} // namespace levels
