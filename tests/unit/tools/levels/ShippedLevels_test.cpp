// Every shipped level, from its source text to the file the build staged beside the program:
// sound, solvable, matching the figures recorded with it, distinct, and harder as they go.
#include "puzzle/Solver.h"
#include "tools/levels/Generator.h"
#include "tools/levels/LevelCheck.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

using namespace levels;
using namespace puzzle;

namespace {

constexpr int kShipped = 50;

const std::vector<Level>& Shipped() {
    static const std::vector<Level> levels = [] {
        std::ifstream in(std::string(KOSMORRA_SOURCE_DIR) + "/data/levels.txt", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return ParseLevels(text.str());
    }();
    return levels;
}

// The figures each level's notes record: "; solution: N pushes, M moves".
std::pair<int, int> Recorded(const Level& level) {
    static const std::regex figures(R"(solution: (\d+) pushes, (\d+) moves)");
    for (const std::string& note : level.Notes) {
        std::smatch m;
        if (std::regex_search(note, m, figures))
            return {std::stoi(m[1]), std::stoi(m[2])};
    }
    return {-1, -1};
}

class ShippedLevel : public testing::TestWithParam<int> {};

} // namespace

TEST(ShippedLevels, FiftyTitledAndDistinct) {
    ASSERT_EQ(Shipped().size(), static_cast<size_t>(kShipped));
    std::set<std::string> boards, titles;
    for (const Level& l : Shipped()) {
        EXPECT_FALSE(l.Title.empty());
        titles.insert(l.Title);
        Level board = l;
        board.Title.clear();
        board.Notes.clear();
        boards.insert(FormatLevel(board));
    }
    EXPECT_EQ(boards.size(), Shipped().size());
    EXPECT_EQ(titles.size(), Shipped().size());
}

TEST(ShippedLevels, GetHarderAsTheyGo) {
    // The first teaches one push; the last ones want many objects and long solutions. In blocks
    // of ten, objects and pushes rise on average, and objects never drop from one level to the
    // next.
    ASSERT_EQ(Shipped().size(), static_cast<size_t>(kShipped));
    EXPECT_EQ(Shipped().front().Boxes.size(), 1u);
    EXPECT_EQ(Recorded(Shipped().front()).first, 1);
    double lastBoxes = 0, lastPushes = 0;
    for (int block = 0; block < kShipped / 10; ++block) {
        double boxes = 0, pushes = 0;
        for (int i = block * 10; i < block * 10 + 10; ++i) {
            boxes += static_cast<double>(Shipped()[i].Boxes.size()) / 10;
            pushes += Recorded(Shipped()[i]).first / 10.0;
            if (i > 0) {
                EXPECT_GE(Shipped()[i].Boxes.size(), Shipped()[i - 1].Boxes.size()) << i + 1;
            }
        }
        EXPECT_GT(boxes, lastBoxes) << "block " << block + 1;
        EXPECT_GT(pushes, lastPushes) << "block " << block + 1;
        lastBoxes = boxes;
        lastPushes = pushes;
    }
    for (int i = kShipped - 5; i < kShipped; ++i) {
        EXPECT_GE(Shipped()[i].Boxes.size(), 7u) << i + 1;
        EXPECT_GE(Recorded(Shipped()[i]).first, 40) << i + 1;
    }
}

TEST_P(ShippedLevel, IsSoundSolvableAndStagedAsCompiled) {
    const int number = GetParam();
    ASSERT_GE(Shipped().size(), static_cast<size_t>(number));
    const Level& level = Shipped()[number - 1];
    EXPECT_EQ(CheckLevel(level), std::vector<std::string>{});

    // The staged file is this level compiled, and reads back as it.
    const LevelBytes bytes = ReadLevelFile("levels/" + LevelFileName(number));
    EXPECT_EQ(bytes, EncodeLevel(level));
    EXPECT_EQ(CheckLevelBytes(bytes), std::vector<std::string>{});

    const Solution s = Solve(level);
    ASSERT_TRUE(s.Solved) << level.Title;
    EXPECT_TRUE(s.Optimal) << level.Title;
    bool solved = false;
    EXPECT_EQ(Replay(DecodeLevel(bytes), s.Moves, solved), "");
    EXPECT_TRUE(solved);
    const auto [pushes, moves] = Recorded(level);
    EXPECT_EQ(s.Pushes, pushes) << level.Title;
    EXPECT_EQ(static_cast<int>(s.Moves.size()), moves) << level.Title;
    std::cout << "level " << number << " \"" << level.Title << "\": " << level.Boxes.size()
              << " objects, " << s.Pushes << " pushes, " << s.Moves.size() << " moves, " << s.States
              << " positions, " << s.Seconds << " s\n";
}

INSTANTIATE_TEST_SUITE_P(All, ShippedLevel, testing::Range(1, kShipped + 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Level" + std::to_string(info.param);
                         });

TEST(ShippedLevels, TheGeneratorMakesThemAgain) {
    // Each generated level names the command that made it. Those of up to four objects are
    // remade here; the larger ones take the generator seconds each under the sanitizers, and
    // the same code makes them all.
    int remade = 0;
    for (const Level& level : Shipped()) {
        for (const std::string& note : level.Notes) {
            if (note.rfind("levels generate ", 0) != 0)
                continue;
            std::vector<std::string> args;
            std::istringstream words(note.substr(16));
            for (std::string w; words >> w;)
                args.push_back(w);
            const std::optional<GenerateOptions> options = ParseGenerateArguments(args);
            ASSERT_TRUE(options) << note;
            EXPECT_EQ(GenerateCommand(*options), note);
            if (options->Boxes > 4)
                continue;
            const std::optional<Level> made = Generate(*options);
            ASSERT_TRUE(made) << note;
            // Compare the drawings: the generator's board sits where its room was, the text's
            // where the compiler centred it.
            Level a = *made, b = level;
            a.Title = b.Title = "";
            a.Notes.clear();
            b.Notes.clear();
            EXPECT_EQ(FormatLevel(a), FormatLevel(b)) << note;
            ++remade;
        }
    }
    EXPECT_GT(remade, 20);
}
