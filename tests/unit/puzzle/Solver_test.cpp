#include "puzzle/Notation.h"
#include "puzzle/Solver.h"

#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <unordered_map>

using namespace puzzle;

namespace {

Level One(const std::string& text) {
    return ParseLevels(text).at(0);
}

// The fewest pushes that solve a level, found the slow and obvious way: every position of pusher
// and objects by the game's move rules, walks free and pushes costing one. -1 when unsolvable.
int OraclePushes(const Level& level) {
    // A position packed into one word: the pusher's cell, then the sorted object cells.
    auto cell = [](const Cell& c) { return static_cast<uint64_t>(c.X * kBoardRows + c.Y); };
    auto pack = [&](const Cell& hero, std::vector<Cell> boxes) {
        std::vector<uint64_t> cells;
        for (const Cell& b : boxes)
            cells.push_back(cell(b));
        std::sort(cells.begin(), cells.end());
        uint64_t key = cell(hero);
        for (uint64_t c : cells)
            key = key << 8 | c;
        return key;
    };
    struct Position {
        Cell Hero;
        std::vector<Cell> Boxes;
        int Pushes;
    };
    std::unordered_map<uint64_t, int> best;
    std::deque<Position> queue{{level.Hero, level.Boxes, 0}};
    best[pack(level.Hero, level.Boxes)] = 0;
    while (!queue.empty()) {
        const Position p = queue.front();
        queue.pop_front();
        if (best[pack(p.Hero, p.Boxes)] < p.Pushes)
            continue;
        if (std::all_of(p.Boxes.begin(), p.Boxes.end(),
                        [&](const Cell& b) { return level.HasZone(b.X, b.Y); }))
            return p.Pushes;
        const int dx[] = {-1, 1, 0, 0}, dy[] = {0, 0, -1, 1};
        for (int k = 0; k < 4; ++k) {
            const Cell to{p.Hero.X + dx[k], p.Hero.Y + dy[k]};
            if (level.IsWall(to.X, to.Y))
                continue;
            std::vector<Cell> next = p.Boxes;
            const auto pushed = std::find(next.begin(), next.end(), to);
            int cost = 0;
            if (pushed != next.end()) {
                const Cell behind{to.X + dx[k], to.Y + dy[k]};
                if (level.IsWall(behind.X, behind.Y) ||
                    std::find(next.begin(), next.end(), behind) != next.end())
                    continue;
                *pushed = behind;
                cost = 1;
            }
            const uint64_t key = pack(to, next);
            const auto found = best.find(key);
            if (found != best.end() && found->second <= p.Pushes + cost)
                continue;
            best[key] = p.Pushes + cost;
            // Walks cost nothing: they go to the front, so positions leave in push order.
            if (cost == 0)
                queue.push_front({to, next, p.Pushes});
            else
                queue.push_back({to, next, p.Pushes + 1});
        }
    }
    return -1;
}

// A small random room: 6 x 5 floor with a few walls, 1 to 3 objects, zones and the pusher
// scattered. Most such rooms are hard or impossible, which is the point.
Level RandomLevel(std::mt19937& rng) {
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    Level l;
    const int left = 4, top = 3, w = 6, h = 5;
    for (int x = left - 1; x <= left + w; ++x)
        for (int y = top - 1; y <= top + h; ++y)
            l.Walls[x][y] = x < left || y < top || x >= left + w || y >= top + h;
    for (int i = below(6); i > 0; --i)
        l.Walls[left + below(w)][top + below(h)] = true;
    std::vector<Cell> free;
    for (int x = left; x < left + w; ++x)
        for (int y = top; y < top + h; ++y)
            if (!l.Walls[x][y])
                free.push_back({x, y});
    std::shuffle(free.begin(), free.end(), rng);
    const int n = 1 + below(3);
    for (int i = 0; i < n; ++i) {
        l.Boxes.push_back(free[i]);
        l.Zones.push_back(free[rng() % free.size()]);
    }
    std::sort(l.Zones.begin(), l.Zones.end(),
              [](const Cell& a, const Cell& b) { return a.X != b.X ? a.X < b.X : a.Y < b.Y; });
    l.Zones.erase(std::unique(l.Zones.begin(), l.Zones.end()), l.Zones.end());
    l.Boxes.resize(l.Zones.size());
    l.Hero = free[n];
    return l;
}

void ExpectReplays(const Level& level, const Solution& s) {
    bool solved = false;
    EXPECT_EQ(Replay(level, s.Moves, solved), "");
    EXPECT_TRUE(solved);
    EXPECT_EQ(std::count_if(s.Moves.begin(), s.Moves.end(), [](char c) { return c < 'a'; }),
              s.Pushes);
}

} // namespace

TEST(Solver, SolvesSmallPuzzlesWithTheFewestPushes) {
    struct Case {
        const char* Text;
        int Pushes;
    } cases[] = {
        {"#####\n#@$.#\n#####\n", 1},
        {"#######\n#@ $ .#\n#######\n", 2},
        // The pusher walks up to the object first.
        {"#######\n#.$  @#\n#     #\n#######\n", 1},
        {"######\n#    #\n# $$ #\n#.@ .#\n######\n", 4},
        {"#######\n#.    #\n# $$  #\n#.  @ #\n#######\n", 5},
    };
    for (const Case& c : cases) {
        const Level level = One(c.Text);
        const Solution s = Solve(level);
        ASSERT_TRUE(s.Solved) << c.Text;
        EXPECT_TRUE(s.Optimal);
        EXPECT_EQ(s.Pushes, c.Pushes) << c.Text;
        EXPECT_EQ(OraclePushes(level), c.Pushes) << c.Text;
        ExpectReplays(level, s);
    }
}

TEST(Solver, ASolvedStartNeedsNoMoves) {
    const Solution s = Solve(One("#####\n#@* #\n#####\n"));
    EXPECT_TRUE(s.Solved);
    EXPECT_EQ(s.Pushes, 0);
    EXPECT_EQ(s.Moves, "");
}

TEST(Solver, ProvesDeadlockedLevelsUnsolvable) {
    for (const char* text : {
             "#####\n#$ .#\n# @ #\n#####\n",                           // object in a corner
             "#######\n# $$ .#\n#    .#\n#  @  #\n#######\n",          // two objects along a wall
             "#######\n#.   .#\n#  $$ #\n# @$$ #\n#.   .#\n#######\n", // a square of four
         }) {
        const Solution s = Solve(One(text));
        EXPECT_FALSE(s.Solved) << text;
        EXPECT_TRUE(s.Unsolvable) << text;
        EXPECT_EQ(OraclePushes(One(text)), -1) << text;
    }
}

TEST(Solver, FindsTheDeadSquaresOfARoom) {
    // A lone object reaches the zone only along the middle row, and only from where the pusher
    // can stand behind it.
    const Level l = One("######\n#    #\n#@$ .#\n#    #\n######\n");
    const std::vector<Cell> dead = DeadSquares(l);
    const int ox = 5, oy = 3; // where the 6 x 5 drawing sits on the board
    auto isDead = [&](int x, int y) {
        return std::find(dead.begin(), dead.end(), Cell{ox + x, oy + y}) != dead.end();
    };
    for (int x = 1; x <= 4; ++x) {
        EXPECT_TRUE(isDead(x, 1)) << x;
        EXPECT_TRUE(isDead(x, 3)) << x;
    }
    EXPECT_FALSE(isDead(2, 2));
    EXPECT_FALSE(isDead(3, 2));
    EXPECT_FALSE(isDead(4, 2));
    EXPECT_TRUE(isDead(1, 2)); // the pusher would have to stand in the wall
}

TEST(Solver, PruningNeverLosesASolution) {
    // Random small rooms against the plain search of the game's rules: the same verdict and, when
    // solvable, the same push count. A wrong deadlock cut-off shows up as a lost or longer
    // solution.
    std::mt19937 rng(20240601);
    int solvable = 0;
    for (int i = 0; i < 150; ++i) {
        const Level level = RandomLevel(rng);
        const int expected = OraclePushes(level);
        const Solution pruned = Solve(level);
        SolveOptions plain;
        plain.Pruning = false;
        const Solution unpruned = Solve(level, plain);
        ASSERT_EQ(pruned.Solved, expected >= 0) << FormatLevel(level);
        ASSERT_EQ(unpruned.Solved, expected >= 0) << FormatLevel(level);
        if (expected < 0) {
            EXPECT_TRUE(pruned.Unsolvable);
            continue;
        }
        ++solvable;
        EXPECT_EQ(pruned.Pushes, expected) << FormatLevel(level);
        EXPECT_EQ(unpruned.Pushes, expected) << FormatLevel(level);
        ExpectReplays(level, pruned);
    }
    EXPECT_GT(solvable, 25); // the sample must exercise both verdicts
}

TEST(Solver, GivesUpWithinItsBudgetAndSaysSo) {
    const Level level = One("#########\n#.     .#\n# $ $ $ #\n#   @   #\n# $ $ $ #\n#.  .  .#\n"
                            "#.      #\n#########\n");
    SolveOptions tight;
    tight.MaxStates = 50;
    const Solution s = Solve(level, tight);
    EXPECT_FALSE(s.Unsolvable);
    if (s.Solved) {
        EXPECT_FALSE(s.Optimal);
    }
    EXPECT_LE(s.States, 2 * (tight.MaxStates + 4 * 9)); // a last expansion may overshoot
}

TEST(Solver, ReplayFollowsTheGamesRules) {
    const Level level = One("######\n#@$ .#\n#  $.#\n######\n");
    bool solved = true;
    EXPECT_EQ(Replay(level, "", solved), "");
    EXPECT_FALSE(solved);
    EXPECT_EQ(Replay(level, "u", solved), "move 1 'u' walks into a wall");
    EXPECT_EQ(Replay(level, "r", solved), "move 1 'r' pushes but is written as a walk");
    EXPECT_EQ(Replay(level, "D", solved), "move 1 'D' walks but is written as a push");
    EXPECT_EQ(Replay(level, "RRR", solved), "move 3 'R' pushes an object that cannot move");
    EXPECT_EQ(Replay(level, "x", solved), "move 1 'x' is not one of L, U, R, D");
    EXPECT_EQ(Replay(level, "RRldR", solved), "");
    EXPECT_TRUE(solved);
}
