#include "puzzle/Deadlock.h"
#include "puzzle/Hint.h"
#include "puzzle/Notation.h"
#include "puzzle/Routes.h"
#include "puzzle/Solver.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace puzzle;

namespace {

// A level drawn in the notation, with cells named in the drawing's own coordinates (the
// notation centres a drawing on the board).
struct Drawn {
    explicit Drawn(const std::string& text) : L(ParseLevels(text).at(0)) {
        size_t row = 0, start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = text.substr(start, end - start);
            const size_t at = line.find_first_of("@+");
            if (at != std::string::npos) {
                OX = L.Hero.X - static_cast<int>(at);
                OY = L.Hero.Y - static_cast<int>(row);
            }
            ++row;
        }
    }
    Cell C(int x, int y) const { return {OX + x, OY + y}; }
    std::vector<Cell> Cs(std::vector<Cell> drawn) const {
        for (Cell& c : drawn)
            c = C(c.X, c.Y);
        return drawn;
    }

    Level L;
    int OX = 0, OY = 0;
};

// The route played by the game's rules from the level's start; empty when every step is legal
// and written in the right case.
std::string Check(const Level& level, const std::string& moves) {
    bool solved = false;
    return Replay(level, moves, solved);
}

} // namespace

TEST(Walk, TakesTheShortestWayAroundWallsAndObjects) {
    const Drawn d("#######\n#@  $ #\n# ### #\n#     #\n#######\n");
    // The object closes the top row: the way to its other side goes round the bottom.
    EXPECT_EQ(WalkTo(d.L, d.C(5, 1)), "ddrrrruu");
    EXPECT_EQ(WalkTo(d.L, d.C(3, 1)), "rr");
    EXPECT_EQ(WalkTo(d.L, d.C(5, 3)), "ddrrrr");
    EXPECT_EQ(WalkTo(d.L, d.C(1, 1)), "");
    // Onto an object, into a wall, off the board: no walk.
    EXPECT_EQ(WalkTo(d.L, d.C(4, 1)), std::nullopt);
    EXPECT_EQ(WalkTo(d.L, d.C(2, 2)), std::nullopt);
    EXPECT_EQ(WalkTo(d.L, Cell{-1, 0}), std::nullopt);
    EXPECT_EQ(WalkTo(d.L, Cell{kBoardColumns, 0}), std::nullopt);
}

TEST(Walk, BreaksTiesTheSameWayEveryTime) {
    // Six equally short walks across an open room; left, up, right, down are tried in that
    // order from every cell, so the first cells reached lie along the top row.
    const Drawn d("#####\n#@  #\n#   #\n#  .#\n#####\n");
    EXPECT_EQ(WalkTo(d.L, d.C(3, 3)), "rrdd");
    EXPECT_EQ(WalkTo(d.L, d.C(1, 3)), "dd");
    // A closed pocket is out of reach even though it is floor.
    const Drawn pocket("#######\n#@ # .#\n#######\n");
    EXPECT_EQ(WalkTo(pocket.L, pocket.C(4, 1)), std::nullopt);
}

TEST(PushRoutes, ListTheCellsAnObjectCanBePushedTo) {
    const Drawn d("#######\n#@$  .#\n#######\n");
    const PushRoutes routes(d.L, d.C(2, 1));
    EXPECT_EQ(routes.Targets(), d.Cs({{3, 1}, {4, 1}, {5, 1}}));
    EXPECT_EQ(routes.RouteTo(d.C(5, 1)), "RRR");
    EXPECT_EQ(routes.RouteTo(d.C(3, 1)), "R");
    EXPECT_EQ(routes.RouteTo(d.C(2, 1)), std::nullopt); // where it stands
    EXPECT_EQ(routes.RouteTo(d.C(1, 1)), std::nullopt); // the pusher cannot get behind it

    // Another object stays where it is: it blocks, and is never pushed along.
    const Drawn two("########\n#@$ $ .#\n#     .#\n########\n");
    const PushRoutes first(two.L, two.C(2, 1));
    EXPECT_EQ(first.RouteTo(two.C(4, 1)), std::nullopt);
    EXPECT_EQ(first.RouteTo(two.C(3, 1)), "R");
    // Back to the start of the row too: the pusher walks round below to its right side.
    EXPECT_EQ(first.Targets(), two.Cs({{1, 1}, {3, 1}}));
    EXPECT_EQ(first.RouteTo(two.C(1, 1)), "drruL");
    // A cell that is no object has no routes.
    EXPECT_TRUE(PushRoutes(two.L, two.C(3, 1)).Targets().empty());
}

TEST(PushRoutes, TakeTheFewestPushesThenTheFewestMoves) {
    const Drawn d("######\n#    #\n# $@ #\n#  . #\n######\n");
    const PushRoutes routes(d.L, d.C(2, 2));
    EXPECT_EQ(routes.RouteTo(d.C(1, 2)), "L");
    EXPECT_EQ(routes.RouteTo(d.C(2, 1)), "dlU");
    EXPECT_EQ(routes.RouteTo(d.C(2, 3)), "ulD");
    // Round the object to its left side (two ways of four moves), then two pushes.
    const auto right = routes.RouteTo(d.C(4, 2));
    ASSERT_TRUE(right);
    EXPECT_EQ(right->size(), 6u);
    EXPECT_EQ(right->substr(4), "RR");
    EXPECT_EQ(Check(d.L, *right), "");
    // Down and right: two pushes, the walk between them as short as it can be.
    const auto corner = routes.RouteTo(d.C(3, 3));
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner, "ulDldR"); // down first: right first would need eight moves
    // Every target's route is legal and ends with the object there.
    for (const Cell& t : routes.Targets()) {
        const auto route = routes.RouteTo(t);
        ASSERT_TRUE(route);
        EXPECT_EQ(Check(d.L, *route), "") << *route;
    }
    EXPECT_EQ(routes.Targets().size(), 11u); // the whole room but its own cell
}

TEST(Deadlock, FindsObjectsOnDeadSquaresAndFrozenOffZones) {
    // In a corner: a dead square.
    const Drawn corner("######\n#$  .#\n#  @ #\n######\n");
    EXPECT_EQ(LostObjects(Board(corner.L), corner.L), corner.Cs({{1, 1}}));

    // Two objects side by side along a wall that has a zone in its row: no dead square, but
    // neither can ever move.
    const Drawn pair("########\n#  $$ .#\n#     .#\n#@     #\n########\n");
    const std::vector<Cell> dead = DeadSquares(pair.L);
    EXPECT_EQ(std::find(dead.begin(), dead.end(), pair.C(3, 1)), dead.end());
    EXPECT_EQ(std::find(dead.begin(), dead.end(), pair.C(4, 1)), dead.end());
    EXPECT_EQ(LostObjects(Board(pair.L), pair.L), pair.Cs({{3, 1}, {4, 1}}));

    // One row lower they can still be pushed apart.
    const Drawn apart("########\n#     .#\n#  $$ .#\n#@     #\n########\n");
    EXPECT_TRUE(LostObjects(Board(apart.L), apart.L).empty());

    // Frozen on zones is no harm; one of a frozen pair on its zone leaves the other lost.
    const Drawn home("######\n#  **#\n#@   #\n######\n");
    EXPECT_TRUE(LostObjects(Board(home.L), home.L).empty());
    const Drawn half("########\n#  *$ .#\n#      #\n#@     #\n########\n");
    EXPECT_EQ(LostObjects(Board(half.L), half.L), half.Cs({{4, 1}}));

    // A square of four in the open, off the zones: all frozen.
    const Drawn square("#######\n#.   .#\n#  $$ #\n# @$$ #\n#.   .#\n#######\n");
    EXPECT_EQ(LostObjects(Board(square.L), square.L).size(), 4u);
}

TEST(Hint, GivesTheNextPushFromWhereThePlayerStands) {
    const Drawn d("#######\n#@ $ .#\n#######\n");
    Hint h = FindHint(Board(d.L), d.L);
    ASSERT_EQ(h.Result, Hint::Outcome::Push);
    EXPECT_EQ(h.Moves, "rR");
    EXPECT_EQ(h.Object, d.C(3, 1));
    EXPECT_EQ(h.DX, 1);
    EXPECT_EQ(h.DY, 0);

    // From a position the player has reached: the object first goes down, then right.
    const Drawn later("#######\n#     #\n#  $  #\n#  @ .#\n#######\n");
    h = FindHint(Board(later.L), later.L);
    ASSERT_EQ(h.Result, Hint::Outcome::Push);
    EXPECT_EQ(Check(later.L, h.Moves), "");
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(h.Moves.back())));
    EXPECT_EQ(std::count_if(h.Moves.begin(), h.Moves.end(), ::isupper), 1);
}

TEST(Hint, FollowsAKnownSolutionWhereThePositionIsOnItsWay) {
    const Drawn start("########\n#@ $  .#\n#  $  .#\n########\n");
    HintOptions options;
    options.Start = start.L;
    options.Known = "rRRRllldRRR"; // the upper object first, where the solver takes the lower
    ASSERT_EQ(Solve(start.L).Moves, "rdRRRllluRRR");
    Hint h = FindHint(Board(start.L), start.L, options);
    ASSERT_EQ(h.Result, Hint::Outcome::Push);
    EXPECT_EQ(h.Moves, "rR");
    EXPECT_EQ(h.Object, start.C(3, 1));
    EXPECT_EQ(h.States, 0u);
    // Three pushes on, the pusher elsewhere: it walks to the next push of the known way.
    const Drawn on("########\n#     *#\n#@ $  .#\n########\n");
    h = FindHint(Board(on.L), on.L, options);
    ASSERT_EQ(h.Result, Hint::Outcome::Push);
    EXPECT_EQ(h.Moves, "rR");
    EXPECT_EQ(h.Object, start.C(3, 2));
    EXPECT_EQ(h.States, 0u);
    // Off the way, or with a known solution that does not solve the level: searched for.
    const Drawn off("########\n#@ $  .#\n#   $ .#\n########\n");
    h = FindHint(Board(off.L), off.L, options);
    EXPECT_EQ(h.Result, Hint::Outcome::Push);
    EXPECT_GT(h.States, 0u);
    for (const std::string bad : {"rRRR", "rRRRllldRRRx", "uRRR"}) {
        options.Known = bad;
        h = FindHint(Board(start.L), start.L, options);
        EXPECT_EQ(h.Result, Hint::Outcome::Push) << bad;
        EXPECT_GT(h.States, 0u) << bad;
    }
}

TEST(Hint, FindsTheKnownSolutionByItsBoardKey) {
    const std::string text = "; comment\n0123456789abcdef rRRR\nfedcba9876543210 lLL\n";
    EXPECT_EQ(KnownSolution(text, "fedcba9876543210"), "lLL");
    EXPECT_EQ(KnownSolution(text, "0123456789abcdef"), "rRRR");
    EXPECT_EQ(KnownSolution(text, "0123456789abcde"), "");
    EXPECT_EQ(KnownSolution(text, ""), "");
    EXPECT_EQ(KnownSolution("0123456789abcdef\n", "0123456789abcdef"), "");
}

TEST(Hint, SaysWhenThereIsNoWayOut) {
    // Lost at a glance: answered without a search.
    const Drawn corner("######\n#$  .#\n#  @ #\n######\n");
    Hint h = FindHint(Board(corner.L), corner.L);
    EXPECT_EQ(h.Result, Hint::Outcome::NoSolution);
    EXPECT_EQ(h.States, 0u);
    const Drawn pair("########\n#@ $$ .#\n#     .#\n########\n");
    EXPECT_EQ(FindHint(Board(pair.L), pair.L).Result, Hint::Outcome::NoSolution);
    // Solved already; a cancel before the start gives up.
    const Drawn done("#####\n#@* #\n#####\n");
    EXPECT_EQ(FindHint(Board(done.L), done.L).Result, Hint::Outcome::Solved);
    std::atomic<bool> cancel{true};
    HintOptions options;
    options.Cancel = &cancel;
    options.MaxStates = 1;
    const Drawn open("########\n#@ $  .#\n#      #\n########\n");
    EXPECT_EQ(FindHint(Board(open.L), open.L, options).Result, Hint::Outcome::GaveUp);
}
