#include "puzzle/Notation.h"
#include "puzzle/Solver.h"
#include "tools/levels/Figures.h"
#include "tools/levels/Report.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace levels;
using namespace puzzle;

namespace {

Level Parse(const std::string& text) {
    return ParseLevels(text).at(0);
}

} // namespace

TEST(Report, FiguresOfSmallLevelsCheckedByHand) {
    // One push.
    ReportRow r = MeasureLevel(Parse("#####\n#@$.#\n#####\n"), 1, 1000);
    EXPECT_TRUE(r.Optimal);
    EXPECT_EQ(r.Objects, 1);
    EXPECT_EQ(r.Pushes, 1);
    EXPECT_EQ(r.Moves, 1);
    EXPECT_EQ(r.Changes, 1);
    EXPECT_EQ(r.Lines, 1);

    // Down into the corridor's mouth, then five along it: two lines of one object.
    r = MeasureLevel(Parse("#####\n"
                           "#   #\n"
                           "# $ ######\n"
                           "#@     .#\n"
                           "##########\n"),
                     2, 1000);
    EXPECT_EQ(r.Number, 2);
    EXPECT_EQ(r.Pushes, 6);
    EXPECT_EQ(r.Moves, 11);
    EXPECT_EQ(r.Changes, 1);
    EXPECT_EQ(r.Lines, 2);

    // The lower object in first, then the upper one past it, then the lower one on: the
    // solution pushes B left, A three times left, B up, B left.
    r = MeasureLevel(Parse("#######\n"
                           "#.. $ ##\n"
                           "### $  #\n"
                           "  #@   #\n"
                           "  ######\n"),
                     3, 1000);
    EXPECT_EQ(r.Objects, 2);
    EXPECT_EQ(r.Pushes, 6);
    EXPECT_EQ(r.Moves, 18);
    EXPECT_EQ(r.Changes, 3);
    EXPECT_EQ(r.Lines, 4);
    EXPECT_GT(r.States, 0u);

    // Not proven within the positions allowed.
    r = MeasureLevel(Parse("#######\n"
                           "#.. $ ##\n"
                           "### $  #\n"
                           "  #@   #\n"
                           "  ######\n"),
                     4, 2);
    EXPECT_FALSE(r.Optimal);
}

TEST(Report, RankCorrelation) {
    EXPECT_DOUBLE_EQ(RankCorrelation({1, 2, 3, 4}, {10, 20, 30, 400}), 1.0);
    EXPECT_DOUBLE_EQ(RankCorrelation({1, 2, 3, 4}, {4, 3, 2, 1}), -1.0);
    // Ties share their mean rank: ranks 1.5, 1.5, 3 against 1, 2, 3.
    EXPECT_NEAR(RankCorrelation({1, 2, 3}, {5, 5, 9}), 1.5 / std::sqrt(3.0), 1e-12);
    EXPECT_EQ(RankCorrelation({1, 2, 3}, {7, 7, 7}), 0.0);
    EXPECT_EQ(RankCorrelation({1}, {1}), 0.0);
}

TEST(Report, TableAndPlot) {
    std::vector<ReportRow> rows;
    rows.push_back({1, "One", 1, true, true, 1, 1, 1, 1, 2, 0.0});
    rows.push_back({2, "Two", 2, true, false, 9, 30, 4, 6, 1'234'567, 1.5});
    rows.push_back({3, "Three", 3, false, false, 0, 0, 0, 0, 4'000'000, 9.25});
    const std::string table = FormatReport(rows);
    EXPECT_NE(table.find("| 1 | One | 1 | 1 | 1 | 1 | 1 | 2 | 0.00 |"), std::string::npos);
    EXPECT_NE(table.find("| 2 | Two | 2 | 9 (not proven) | 30 | 4 | 6 | 1,234,567 | 1.50 |"),
              std::string::npos);
    EXPECT_NE(table.find("| 3 | Three | 3 | unsolved |"), std::string::npos);
    // Changes 1, 4, 0 rank 2, 3, 1 against 1, 2, 3: -0.5; positions rise with the number.
    EXPECT_NE(table.find("object changes -0.500, solver positions 1.000"), std::string::npos)
        << table;

    const rtl::TPixels plot = PlotReport(rows);
    EXPECT_EQ(plot.Width, 1100);
    EXPECT_EQ(plot.Height, 810);
    // The pushes' bar of level 2 (the tallest) is drawn in its colour, and text in ink.
    int pushBar = 0, ink = 0;
    for (uint32_t p : plot.Argb) {
        pushBar += p == 0xFF2E6FD8;
        ink += p == 0xFF202020;
    }
    EXPECT_GT(pushBar, 500);
    EXPECT_GT(ink, 500);
    EXPECT_THROW(PlotReport({}), std::invalid_argument);
}

TEST(Figures, NotesReadBackAndChangesCountAsTheSolverDoes) {
    Level level = Parse("#######\n"
                        "#.. $ ##\n"
                        "### $  #\n"
                        "  #@   #\n"
                        "  ######\n");
    const Solution s = Solve(level);
    const RecordedFigures f{s.Pushes, static_cast<int>(s.Moves.size()), s.BoxChanges, 4, s.States,
                            s.Moves};
    level.Notes = {"made by hand"};
    EXPECT_FALSE(ReadFigures(level));
    for (const std::string& note : FigureNotes(f))
        level.Notes.push_back(note);
    ASSERT_TRUE(ReadFigures(level));
    EXPECT_EQ(*ReadFigures(level), f);
    EXPECT_EQ(ObjectChanges(level, s.Moves), s.BoxChanges);
    EXPECT_EQ(ObjectChanges(level, "rrrrrrr"), -1);
    // A malformed note is no figure.
    level.Notes[2] = "figures: many object changes";
    EXPECT_FALSE(ReadFigures(level));
}
