#include "puzzle/Notation.h"
#include "tools/levels/Evolver.h"
#include "tools/levels/LevelCheck.h"

#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

using namespace levels;
using namespace puzzle;

namespace {

Level Parse(const std::string& text) {
    return ParseLevels(text).at(0);
}

// One object, one push.
const char* kEasy = "#####\n"
                    "#@$.#\n"
                    "#####\n";

// Three objects whose order matters, in a room that makes the pusher go round them.
const char* kHard = "  ####\n"
                    "###. #\n"
                    "#. . ##\n"
                    "#   $ ##\n"
                    "#   $  #\n"
                    "#   $  #\n"
                    "# @  ###\n"
                    "######\n";

EvolveOptions Small() {
    EvolveOptions o;
    o.Seed = 7;
    o.Boxes = 2;
    o.Width = 6;
    o.Height = 5;
    o.Generations = 6;
    o.Cap = 20'000;
    o.Brood = 4;
    return o;
}

} // namespace

TEST(Judge, ProvesAndMeasures) {
    const Judgement easy = Judge(Parse(kEasy), 10'000);
    ASSERT_TRUE(easy.Valid) << easy.Why;
    EXPECT_EQ(easy.Pushes, 1);
    EXPECT_EQ(easy.Changes, 1);
    EXPECT_EQ(easy.Lines, 1);
    EXPECT_EQ(easy.Bound, 1);
    EXPECT_EQ(easy.Floor, 3);
    const Judgement hard = Judge(Parse(kHard), 10'000);
    ASSERT_TRUE(hard.Valid) << hard.Why;
    EXPECT_EQ(hard.Pushes, 16);
    EXPECT_EQ(hard.Changes, 12);
    EXPECT_LT(easy.Score, hard.Score);
}

TEST(Judge, RejectsWhatCannotBeShipped) {
    // The hard level proven within too few positions.
    const Judgement capped = Judge(Parse(kHard), 10);
    EXPECT_FALSE(capped.Valid);
    EXPECT_FALSE(capped.Proven);
    EXPECT_EQ(capped.Why, "not proven within the cap");
    EXPECT_EQ(Score(capped), -std::numeric_limits<double>::infinity());
    // An object resting on its zone out of the way: proven, but decoration.
    const Judgement idle = Judge(Parse("#######\n"
                                       "#@$ .*#\n"
                                       "#######\n"),
                                 10'000);
    EXPECT_TRUE(idle.Proven);
    EXPECT_FALSE(idle.Valid);
    EXPECT_EQ(idle.Idle, 1);
    EXPECT_LT(idle.Score, Judge(Parse(kEasy), 10'000).Score);
    // No solution at all.
    const Judgement stuck = Judge(Parse("#####\n#@.$#\n#####\n"), 10'000);
    EXPECT_FALSE(stuck.Proven);
    EXPECT_EQ(stuck.Why, "unsolvable");
    // Unsound: an object the pusher cannot reach.
    EXPECT_FALSE(Judge(Parse("#########\n#@$.#$ .#\n#########\n"), 10'000).Valid);
}

TEST(Mutate, KeepsRoomsClosedSoundAndInside) {
    EvolveOptions o = Small();
    o.Boxes = 3;
    o.Width = 7;
    o.Height = 6;
    const Level parent = Parse(kHard);
    const int left = (kBoardColumns - o.Width) / 2, top = (kBoardRows - o.Height) / 2;
    int made = 0, walls = 0, moved = 0;
    for (uint64_t stream = 0; stream < 300; ++stream) {
        const std::optional<Level> child = Mutate(parent, o, stream);
        if (!child)
            continue;
        ++made;
        EXPECT_NE(*child, parent);
        EXPECT_EQ(CheckLevel(*child), std::vector<std::string>{}) << FormatLevel(*child);
        EXPECT_EQ(child->Boxes.size(), parent.Boxes.size());
        EXPECT_EQ(child->Zones.size(), parent.Zones.size());
        // Floor only where the parent had it or inside the rectangle.
        const auto before = parent.Inside(), after = child->Inside();
        for (int x = 0; x < kBoardColumns; ++x)
            for (int y = 0; y < kBoardRows; ++y)
                if (after[x][y] && !before[x][y]) {
                    EXPECT_TRUE(x >= left && x < left + o.Width && y >= top && y < top + o.Height)
                        << x << "," << y;
                }
        walls += child->Walls != parent.Walls;
        moved += child->Boxes != parent.Boxes || child->Hero != parent.Hero;
    }
    // Most streams make a level, and both kinds of change happen.
    EXPECT_GT(made, 150);
    EXPECT_GT(walls, 20);
    EXPECT_GT(moved, 20);
    // The same stream, the same child.
    EXPECT_EQ(Mutate(parent, o, 42), Mutate(parent, o, 42));
}

TEST(Evolve, SameCommandSameLevelWhateverTheThreads) {
    const EvolveOptions o = Small();
    const std::optional<Level> first = FirstLevel(o);
    ASSERT_TRUE(first);
    const auto one = Evolve(o, *first, 0, 1, {});
    const auto two = Evolve(o, *first, 0, 3, {});
    EXPECT_EQ(one.first, two.first);
    EXPECT_EQ(one.second.Solution, two.second.Solution);
    EXPECT_TRUE(one.second.Valid) << one.second.Why;
    // Generations never lose ground.
    EXPECT_GE(one.second.Score, Judge(*first, o.Cap).Score);

    // Stopped after three generations and resumed from the level then: the same result.
    Level halfway;
    std::vector<double> scores;
    const auto progress = [&](const EvolveProgress& p, const Level& best) {
        scores.push_back(p.Best.Score);
        if (p.Generation == 3)
            halfway = best;
    };
    Evolve(o, *first, 0, 2, progress);
    ASSERT_EQ(scores.size(), 6u);
    EXPECT_TRUE(std::is_sorted(scores.begin(), scores.end()));
    EXPECT_EQ(Evolve(o, halfway, 3, 2, {}).first, one.first);

    EvolveOptions other = o;
    other.Seed = 8;
    EXPECT_NE(Evolve(other, *FirstLevel(other), 0, 2, {}).first, one.first);
}

TEST(EvolveCommand, ReadsBackWhatItWrites) {
    EvolveOptions o = Small();
    o.Cap = 123'456;
    o.Aims = {100, 40, 1'000'000};
    o.From = "-";
    const std::string command = EvolveCommand(o);
    EXPECT_EQ(command, "levels evolve --seed 7 --boxes 2 --size 6x5 --generations 6 --cap 123456 "
                       "--brood 4 --aim 100x40x1000000 --from -");
    std::vector<std::string> args;
    std::istringstream words(command.substr(14));
    for (std::string w; words >> w;)
        args.push_back(w);
    const std::optional<EvolveOptions> back = ParseEvolveArguments(args);
    ASSERT_TRUE(back);
    EXPECT_EQ(EvolveCommand(*back), command);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--boxes", "10"},
                                               {"--boxes", "0"},
                                               {"--size", "15x5"},
                                               {"--size", "7x"},
                                               {"--cap", "0"},
                                               {"--aim", "100"},
                                               {"--aim", "100x"},
                                               {"--aim", "100x40x0"},
                                               {"--aim", "1x2x3x4"},
                                               {"--from", ""},
                                               {"--from", "two words"},
                                               {"--seed"},
                                               {"--colour", "3"}})
        EXPECT_FALSE(ParseEvolveArguments(bad)) << bad[0];
}

TEST(Aim, ShortfallCostsMoreThanAnyMeasureGains) {
    const Judgement hard = Judge(Parse(kHard), 10'000);
    ASSERT_TRUE(hard.Valid);
    // Reached: the usual score. Each push or change short costs ten, positions short by a
    // factor of two cost forty.
    EXPECT_DOUBLE_EQ(Score(hard, {16, 12, 0}), Score(hard));
    EXPECT_DOUBLE_EQ(Score(hard, {20, 12, 0}), Score(hard) - 40);
    EXPECT_DOUBLE_EQ(Score(hard, {16, 15, 0}), Score(hard) - 30);
    EXPECT_NEAR(Score(hard, {0, 0, 2 * (hard.States + 1)}), Score(hard) - 40, 1e-9);
    EXPECT_DOUBLE_EQ(Judge(Parse(kHard), 10'000, {20, 12, 0}).Score, Score(hard) - 40);
}

// Whether child is parent with one column or row laid twice: taking out one of child's lines
// that has a twin beside it gives parent again (wherever on the board each stands).
bool IsStretchOf(const Level& child, const Level& parent) {
    using Cells = std::vector<std::pair<int, int>>;
    // Floor, objects, zones and the pusher, moved so that the floor starts at 0, 0.
    auto shape = [](const Level& l, bool columns, int dropped) {
        std::array<Cells, 4> parts;
        const auto floor = l.Inside();
        auto keep = [&](int x, int y, Cells& into) {
            const int line = columns ? x : y;
            if (line == dropped)
                return line != dropped;
            into.push_back({x - (columns && line > dropped), y - (!columns && line > dropped)});
            return true;
        };
        bool whole = true;
        for (int x = 0; x < kBoardColumns; ++x)
            for (int y = 0; y < kBoardRows; ++y)
                if (floor[x][y])
                    keep(x, y, parts[0]);
        for (const Cell& c : l.Boxes)
            whole &= keep(c.X, c.Y, parts[1]);
        for (const Cell& c : l.Zones)
            whole &= keep(c.X, c.Y, parts[2]);
        whole &= keep(l.Hero.X, l.Hero.Y, parts[3]);
        int left = kBoardColumns, top = kBoardRows;
        for (const auto& [x, y] : parts[0]) {
            left = std::min(left, x);
            top = std::min(top, y);
        }
        for (Cells& part : parts) {
            for (auto& [x, y] : part) {
                x -= left;
                y -= top;
            }
            std::sort(part.begin(), part.end());
        }
        return whole ? parts : std::array<Cells, 4>{};
    };
    // The floor of a line, and whether it is laid again beside it.
    const auto floor = child.Inside();
    auto cell = [&](bool columns, int line, int k) {
        return line >= 0 && line < (columns ? kBoardColumns : kBoardRows) &&
               (columns ? floor[line][k] : floor[k][line]);
    };
    auto twin = [&](bool columns, int line) {
        for (int side : {-1, 1}) {
            bool same = true;
            for (int k = 0; k < (columns ? kBoardRows : kBoardColumns); ++k)
                same &= cell(columns, line, k) == cell(columns, line + side, k);
            if (same)
                return true;
        }
        return false;
    };
    const std::array<Cells, 4> wanted = shape(parent, true, -1);
    for (bool columns : {true, false})
        for (int line = 0; line < (columns ? kBoardColumns : kBoardRows); ++line)
            if (twin(columns, line) && shape(child, columns, line) == wanted)
                return true;
    return false;
}

TEST(Mutate, AnAimedRunAlsoStretchesTheRoom) {
    EvolveOptions o = Small();
    o.Boxes = 3;
    o.Width = 9;
    o.Height = 9;
    o.Aims = {30, 10, 0};
    const Level parent = Parse(kHard);
    int stretched = 0;
    for (uint64_t stream = 0; stream < 400; ++stream) {
        const std::optional<Level> child = Mutate(parent, o, stream);
        if (!child)
            continue;
        EXPECT_EQ(CheckLevel(*child), std::vector<std::string>{}) << FormatLevel(*child);
        stretched += IsStretchOf(*child, parent);
    }
    EXPECT_GT(stretched, 10);
    // A run without an aim never stretches: its levels stay those its command always made.
    o.Aims = {};
    for (uint64_t stream = 0; stream < 400; ++stream) {
        if (const std::optional<Level> child = Mutate(parent, o, stream)) {
            EXPECT_FALSE(IsStretchOf(*child, parent)) << FormatLevel(*child);
        }
    }
}

TEST(Checkpoint, ALongerRunOfTheSameCommandGoesOn) {
    EvolveOptions o = Small();
    const Level level = Parse(kHard);
    const std::string saved = FormatCheckpoint(level, o, 6);
    const auto back = ReadCheckpoint(saved, o);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->first, level);
    EXPECT_EQ(back->second, 6);
    o.Generations = 40;
    ASSERT_TRUE(ReadCheckpoint(saved, o));
    EXPECT_EQ(ReadCheckpoint(saved, o)->second, 6);
    // Fewer generations than done, another command, or a damaged file: a fresh start.
    o.Generations = 5;
    EXPECT_FALSE(ReadCheckpoint(saved, o));
    o.Generations = 40;
    for (auto change : std::vector<std::function<void(EvolveOptions&)>>{
             [](EvolveOptions& e) { e.Seed = 8; }, [](EvolveOptions& e) { e.Cap = 1; },
             [](EvolveOptions& e) { e.Aims.Pushes = 3; }, [](EvolveOptions& e) { e.From = "-"; }}) {
        EvolveOptions other = o;
        change(other);
        EXPECT_FALSE(ReadCheckpoint(saved, other)) << EvolveCommand(other);
    }
    std::string damaged = saved;
    damaged.replace(damaged.find("done: 6"), 7, "done: x");
    EXPECT_FALSE(ReadCheckpoint(damaged, o));
    EXPECT_FALSE(ReadCheckpoint(saved + "\n" + saved, o));
    EXPECT_FALSE(ReadCheckpoint("", o));
}
