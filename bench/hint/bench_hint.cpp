// The hint from the start of every level the game ships (whatever the levels folder holds:
// Level1.sal, Level2.sal, ... up to the first missing one), with the caps the game gives it and
// the solutions the folder's Solutions.txt keeps, as the game gives it. Prints each level's time
// and what the hint says, then the slowest and the median against the target: every start gets
// its hint in under 2 s. Beside it, the search alone (no known solution), which is what a
// position off the known way gets. Asserts nothing.
//
// Then the searches behind a click on each level: the walk to every cell, and for every object
// its push routes (made when it is picked) and the route to each of its targets, the slowest
// click of each kind against one frame (9.09 ms). Last the process's peak resident size, which
// is what the hint's search adds to the game's memory.
//
// Usage: bench_hint [levels folder, default ./levels]
#include "game/LevelFormat.h"
#include "game/Position.h"
#include "game/RecordsFile.h"
#include "puzzle/Board.h"
#include "puzzle/Hint.h"
#include "puzzle/Routes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

struct ClickCost {
    double Ms = 0;
    int Level = 0;
};

// The fastest of a few runs: on a shared machine a single run may include another process's
// time slice, which no click of the player's own costs.
template <typename F>
double BestOf(F&& run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const Clock::time_point start = Clock::now();
        run();
        best = std::min(best, Ms(start));
    }
    return best;
}

// The slowest walk and the slowest pick-and-push of one level, each as one click does it.
void MeasureClicks(const puzzle::Level& position, int n, ClickCost& walk, ClickCost& push) {
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            const double ms = BestOf([&] { (void)puzzle::WalkTo(position, {x, y}); });
            if (ms > walk.Ms)
                walk = {ms, n};
        }
    for (const puzzle::Cell& object : position.Boxes) {
        // Picking it, then the costliest of the clicks on its targets.
        const double pick = BestOf([&] { (void)puzzle::PushRoutes(position, object); });
        const puzzle::PushRoutes routes(position, object);
        double slowest = 0;
        for (const puzzle::Cell& target : routes.Targets())
            slowest = std::max(slowest, BestOf([&] { (void)routes.RouteTo(target); }));
        if (std::max(pick, slowest) > push.Ms)
            push = {std::max(pick, slowest), n};
    }
}

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
    ClickCost walk, push;
    std::string solutions;
    {
        std::ifstream in(folder + "/" + puzzle::kSolutionsFileName, std::ios::binary);
        solutions.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<Row> searched;
    std::printf("| level | hint | seconds | search alone | seconds | positions |\n"
                "|---|---|---|---|---|---|\n");
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
        // As the game asks: the known solution looked up when the level starts.
        auto started = std::chrono::steady_clock::now();
        const puzzle::Level position = PositionOf(level, level.HeroX, level.HeroY);
        const puzzle::Board board(position);
        puzzle::HintOptions options;
        options.Start = position;
        options.Known = puzzle::KnownSolution(solutions, LevelKey(level));
        const puzzle::Hint hint = puzzle::FindHint(board, position, options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        rows.push_back({n, seconds, hint.States, hint.Result});
        started = std::chrono::steady_clock::now();
        const puzzle::Hint search = puzzle::FindHint(puzzle::Board(position), position);
        const double searchSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        searched.push_back({n, searchSeconds, search.States, search.Result});
        MeasureClicks(position, n, walk, push);
        std::printf("| %d | %s %s%s | %.3f | %s | %.3f | %zu |\n", n, Verdict(hint.Result),
                    hint.Moves.c_str(), options.Known.empty() ? "" : " (known)", seconds,
                    Verdict(search.Result), searchSeconds, search.States);
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
    const auto slowestSearch =
        std::max_element(searched.begin(), searched.end(),
                         [](const Row& a, const Row& b) { return a.Seconds < b.Seconds; });
    const long found = std::count_if(searched.begin(), searched.end(), [](const Row& r) {
        return r.Outcome == puzzle::Hint::Outcome::Push;
    });
    std::printf("| search alone: levels with a push found | %ld of %zu | |\n", found,
                searched.size());
    std::printf("| search alone, slowest level (%d) | %.3f s | |\n", slowestSearch->Level,
                slowestSearch->Seconds);
    std::printf("| click that walks, slowest (level %d) | %.3f ms | under 9.09 ms |\n", walk.Level,
                walk.Ms);
    std::printf("| click that picks an object or pushes it, slowest (level %d) | %.3f ms | under "
                "9.09 ms |\n",
                push.Level, push.Ms);
    std::printf(
        "| peak resident size of the hint searches, the searches alone included | %.1f MB | |\n",
        static_cast<double>(PeakResidentKb()) / 1024.0);
    return 0;
}
