#include "puzzle/Notation.h"
#include "tools/levels/Evolver.h"
#include "tools/levels/LevelCheck.h"

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
    const std::string command = EvolveCommand(o);
    EXPECT_EQ(command, "levels evolve --seed 7 --boxes 2 --size 6x5 --generations 6 --cap 123456 "
                       "--brood 4");
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
                                               {"--seed"},
                                               {"--colour", "3"}})
        EXPECT_FALSE(ParseEvolveArguments(bad)) << bad[0];
}
