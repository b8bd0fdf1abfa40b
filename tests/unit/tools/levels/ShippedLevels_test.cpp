// Every shipped level, from its source text to the file the build staged beside the program:
// sound, solved by the moves its notes keep, matching the figures recorded with it, distinct up
// to rotation and mirroring, and harder as they go. That the recorded push counts are minimal
// and the positions are the solver's is proven in the Release build (make levels-proof): the
// hardest levels take the solver too long under the sanitizers.
#include "puzzle/Measures.h"
#include "puzzle/Solver.h"
#include "tools/levels/Evolver.h"
#include "tools/levels/Figures.h"
#include "tools/levels/Generator.h"
#include "tools/levels/LevelCheck.h"
#include "tools/levels/Report.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

using namespace levels;
using namespace puzzle;

namespace {

constexpr int kShipped = 50;
// What the set reaches (see data/README.md).
constexpr double kMinChangesCorrelation = 0.85;
constexpr double kMinPositionsCorrelation = 0.85;
constexpr int kMinExpertPushes = 100;
constexpr int kMinExpertChanges = 40;
constexpr size_t kMillion = 1'000'000;
// Of the last ten, at least this many need a million positions.
constexpr int kMinExpertMillions = 5;

const std::vector<Level>& Shipped() {
    static const std::vector<Level> levels = [] {
        std::ifstream in(std::string(KOSMORRA_SOURCE_DIR) + "/data/levels.txt", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return ParseLevels(text.str());
    }();
    return levels;
}

RecordedFigures Recorded(const Level& level) {
    return ReadFigures(level).value_or(RecordedFigures{-1, -1, -1, -1, 0, ""});
}

class ShippedLevel : public testing::TestWithParam<int> {};

} // namespace

TEST(ShippedLevels, FiftyTitledAndDistinct) {
    ASSERT_EQ(Shipped().size(), static_cast<size_t>(kShipped));
    std::set<std::string> rooms, titles;
    for (const Level& l : Shipped()) {
        EXPECT_FALSE(l.Title.empty());
        titles.insert(l.Title);
        rooms.insert(CanonicalRoom(l));
    }
    // No room is another turned or mirrored, whatever its objects and pusher.
    EXPECT_EQ(rooms.size(), Shipped().size());
    EXPECT_EQ(titles.size(), Shipped().size());
}

TEST(ShippedLevels, RiseFromFirstStepsToExpert) {
    ASSERT_EQ(Shipped().size(), static_cast<size_t>(kShipped));
    // The first ten teach: few objects, short solutions, each made by hand for one idea,
    // which its notes name.
    for (int i = 0; i < 10; ++i) {
        const Level& l = Shipped()[i];
        EXPECT_LE(l.Boxes.size(), 3u) << i + 1;
        EXPECT_LE(Recorded(l).Pushes, 25) << i + 1;
        EXPECT_GE(l.Notes.size(), 5u) << i + 1;
    }
    EXPECT_EQ(Recorded(Shipped().front()).Pushes, 1);
    // Difficulty rises with the level number, by the measures that predict people's solving
    // time (object changes) and by the solver's effort.
    std::vector<double> number, changes, positions;
    for (int i = 0; i < kShipped; ++i) {
        number.push_back(i + 1);
        changes.push_back(Recorded(Shipped()[i]).Changes);
        positions.push_back(static_cast<double>(Recorded(Shipped()[i]).States));
    }
    EXPECT_GE(RankCorrelation(number, changes), kMinChangesCorrelation);
    EXPECT_GE(RankCorrelation(number, positions), kMinPositionsCorrelation);
    // The last ten are expert levels: long, with many changes from one object to another, and
    // half of them hard for the solver too.
    int millions = 0;
    for (int i = kShipped - 10; i < kShipped; ++i) {
        EXPECT_GE(Recorded(Shipped()[i]).Pushes, kMinExpertPushes) << i + 1;
        EXPECT_GE(Recorded(Shipped()[i]).Changes, kMinExpertChanges) << i + 1;
        EXPECT_GE(Shipped()[i].Boxes.size(), 4u) << i + 1;
        millions += Recorded(Shipped()[i]).States >= kMillion;
    }
    EXPECT_GE(millions, kMinExpertMillions);
}

TEST_P(ShippedLevel, IsSoundStagedAsCompiledAndSolvedByItsMoves) {
    const int number = GetParam();
    ASSERT_GE(Shipped().size(), static_cast<size_t>(number));
    const Level& level = Shipped()[number - 1];
    EXPECT_EQ(CheckLevel(level), std::vector<std::string>{});

    // The staged file is this level compiled, and reads back as it.
    const LevelBytes bytes = ReadLevelFile("levels/" + LevelFileName(number));
    EXPECT_EQ(bytes, EncodeLevel(level));
    EXPECT_EQ(CheckLevelBytes(bytes), std::vector<std::string>{});

    const std::optional<RecordedFigures> f = ReadFigures(level);
    ASSERT_TRUE(f) << level.Title << ": no recorded figures";
    bool solved = false;
    EXPECT_EQ(Replay(level, f->Solution, solved), "") << level.Title;
    EXPECT_TRUE(solved) << level.Title;
    EXPECT_EQ(Replay(DecodeLevel(bytes), f->Solution, solved), "") << level.Title;
    EXPECT_TRUE(solved) << level.Title;
    EXPECT_EQ(static_cast<int>(f->Solution.size()), f->Moves) << level.Title;
    EXPECT_EQ(std::count_if(f->Solution.begin(), f->Solution.end(),
                            [](char c) { return std::isupper(static_cast<unsigned char>(c)); }),
              f->Pushes)
        << level.Title;
    EXPECT_EQ(ObjectChanges(level, f->Solution), f->Changes) << level.Title;
    EXPECT_EQ(ObjectLines(level, f->Solution), f->Lines) << level.Title;
    // No solution can beat the solver's lower bound.
    EXPECT_LE(PushLowerBound(level), f->Pushes) << level.Title;
}

INSTANTIATE_TEST_SUITE_P(All, ShippedLevel, testing::Range(1, kShipped + 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Level" + std::to_string(info.param);
                         });

TEST(ShippedLevels, TheGeneratorMakesThemAgain) {
    // Each generated level names the command that made it. Those of up to four objects are
    // remade here; the larger ones take the generator seconds each under the sanitizers, and
    // the same code makes them all. The evolved ones take minutes each: their commands are
    // read back, and the generator's own tests remake small runs.
    int remade = 0, evolved = 0;
    for (const Level& level : Shipped()) {
        for (const std::string& note : level.Notes) {
            if (note.rfind("levels evolve ", 0) == 0) {
                std::vector<std::string> args;
                std::istringstream words(note.substr(14));
                for (std::string w; words >> w;)
                    args.push_back(w);
                const std::optional<EvolveOptions> options = ParseEvolveArguments(args);
                ASSERT_TRUE(options) << note;
                EXPECT_EQ(EvolveCommand(*options), note);
                // Objects the search's last level never needed went, with their zones.
                EXPECT_LE(level.Boxes.size(), static_cast<size_t>(options->Boxes)) << note;
                ++evolved;
            }
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
    EXPECT_GT(remade, 10);
    EXPECT_GE(evolved, 5);
}
