// The hint from the start of every level the game ships (whatever the levels folder holds:
// Level1.sal, Level2.sal, ... up to the first missing one), with the caps the game gives it.
// Prints each level's time, the positions searched and what the hint says, then the slowest and
// the median against the target: every start gets its hint in under 2 s. Asserts nothing.
//
// Usage: bench_hint [levels folder, default ./levels]
#include "game/LevelFormat.h"
#include "game/Position.h"
#include "puzzle/Board.h"
#include "puzzle/Hint.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* Verdict(puzzle::Hint::Outcome outcome) {
    switch (outcome) {
    case puzzle::Hint::Outcome::Push:
        return "push";
    case puzzle::Hint::Outcome::Solved:
        return "solved already";
    case puzzle::Hint::Outcome::NoSolution:
        return "no solution";
    case puzzle::Hint::Outcome::GaveUp:
        return "gave up";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "levels";
    struct Row {
        int Level;
        double Seconds;
        size_t States;
        puzzle::Hint::Outcome Outcome;
    };
    std::vector<Row> rows;
    std::printf("| level | hint | seconds | positions |\n|---|---|---|---|\n");
    for (int n = 1;; ++n) {
        std::ifstream file(folder + "/Level" + std::to_string(n) + ".sal", std::ios::binary);
        if (!file)
            break;
        TLevelData level{};
        file.read(reinterpret_cast<char*>(&level), sizeof level);
        if (!LevelFault(level).empty()) {
            std::printf("| %d | damaged: %s | - | - |\n", n, LevelFault(level).c_str());
            continue;
        }
        const auto started = std::chrono::steady_clock::now();
        const puzzle::Level position = PositionOf(level, level.HeroX, level.HeroY);
        const puzzle::Board board(position);
        const puzzle::Hint hint = puzzle::FindHint(board, position);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        rows.push_back({n, seconds, hint.States, hint.Result});
        std::printf("| %d | %s %s | %.3f | %zu |\n", n, Verdict(hint.Result), hint.Moves.c_str(),
                    seconds, hint.States);
        std::fflush(stdout);
    }
    if (rows.empty()) {
        std::printf("no levels in %s\n", folder.c_str());
        return 1;
    }
    std::vector<Row> sorted = rows;
    std::sort(sorted.begin(), sorted.end(),
              [](const Row& a, const Row& b) { return a.Seconds < b.Seconds; });
    const Row& slowest = sorted.back();
    const Row& median = sorted[sorted.size() / 2];
    const long pushes = std::count_if(rows.begin(), rows.end(), [](const Row& r) {
        return r.Outcome == puzzle::Hint::Outcome::Push;
    });
    std::printf("\n%zu levels, %ld with a push found\n", rows.size(), pushes);
    std::printf("| measure | figure | target |\n|---|---|---|\n");
    std::printf("| first hint, slowest level (%d) | %.3f s | under 2 s |\n", slowest.Level,
                slowest.Seconds);
    std::printf("| first hint, median level (%d) | %.3f s | |\n", median.Level, median.Seconds);
    return 0;
}
