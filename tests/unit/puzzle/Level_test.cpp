#include "puzzle/Notation.h"

#include <gtest/gtest.h>

using namespace puzzle;

namespace {

Level One(const std::string& text) {
    const std::vector<Level> all = ParseLevels(text);
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? Level{} : all[0];
}

} // namespace

TEST(LevelText, ReadsEveryNotationCharacterCentredOnTheBoard) {
    // 7 x 5 drawn: centred at column (16 - 7) / 2 = 4, row (12 - 5) / 2 = 3.
    const Level l = One("; Title here\n"
                        "; a note\n"
                        "#######\n"
                        "#+$*. #\n"
                        "#-_  $#\n"
                        "#.    #\n"
                        "#######\n");
    EXPECT_EQ(l.Title, "Title here");
    ASSERT_EQ(l.Notes.size(), 1u);
    EXPECT_EQ(l.Notes[0], "a note");
    EXPECT_EQ(l.Hero, (Cell{5, 4}));
    EXPECT_TRUE(l.Walls[4][3] && l.Walls[10][7]);
    EXPECT_FALSE(l.Walls[5][5] || l.Walls[6][5]); // '-' and '_' are floor
    // Column-major order, as in the file.
    EXPECT_EQ(l.Boxes, (std::vector<Cell>{{6, 4}, {7, 4}, {9, 5}}));
    EXPECT_EQ(l.Zones, (std::vector<Cell>{{5, 4}, {5, 6}, {7, 4}, {8, 4}}));
}

TEST(LevelText, SplitsLevelsAtBlankLinesAndSkipsCommentOnlyBlocks) {
    const std::vector<Level> all = ParseLevels("; a collection header\n\n"
                                               "; One\n#####\n#@$.#\n#####\n\r\n"
                                               "#####\r\n#.$@#\r\n#####\r\n; Two\n");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].Title, "One");
    EXPECT_EQ(all[1].Title, "Two"); // a comment after the drawing still names it
    EXPECT_EQ(all[1].Hero, (Cell{8, 5}));
}

TEST(LevelText, MovesADrawingOffTheButtonBarCorner) {
    // 13 x 12 drawn: centred (from column 1) its inside would reach column 12 of rows 10..11,
    // so it moves one column left.
    std::string text;
    text += "#############\n";
    for (int row = 0; row < 10; ++row)
        text += row == 0 ? "#@$.        #\n" : "#           #\n";
    text += "#############\n";
    const Level l = One(text);
    EXPECT_EQ(l.Hero, (Cell{1, 1}));
    const auto inside = l.Inside();
    for (int x = kBarLeft; x < kBoardColumns; ++x)
        for (int y = kBarTop; y < kBoardRows; ++y)
            EXPECT_FALSE(inside[x][y]) << x << "," << y;
}

TEST(LevelText, RefusesMalformedDrawings) {
    EXPECT_THROW(ParseLevels("#####\n#@$.#\n#####\n#x###\n"), TextError);
    EXPECT_THROW(ParseLevels("#####\n#@$@#\n#####\n"), TextError);
    EXPECT_THROW(ParseLevels("#####\n# $.#\n#####\n"), TextError);
    EXPECT_THROW(ParseLevels(std::string(17, '#') + "\n#@$.#\n"), TextError);
    std::string tall;
    for (int i = 0; i < 13; ++i)
        tall += i == 1 ? "#@$.#\n" : "#####\n";
    EXPECT_THROW(ParseLevels(tall), TextError);
    try {
        ParseLevels("#####\n#@$.#\n#####\n\n#####\n#@$.#\n#?###\n");
        FAIL();
    } catch (const TextError& e) {
        EXPECT_STREQ(e.what(), "level 2 (line 7): unknown character '?'");
    }
}

TEST(LevelText, FormatReadsBackToTheSameLevel) {
    const std::string text = "; Ring\n"
                             "; made by hand\n"
                             "  #####\n"
                             "###   #\n"
                             "#.@$  #\n"
                             "### $.#\n"
                             "#*#$ ##\n"
                             "# . *##\n"
                             "#######\n";
    const Level l = One(text);
    EXPECT_EQ(FormatLevel(l), text);
    EXPECT_EQ(ParseLevels(FormatLevels({l, l})), (std::vector<Level>{l, l}));
}

TEST(LevelText, ReadsTheEightMoveLettersAndNoOtherByte) {
    struct Expected {
        char Letter;
        int DX, DY;
    };
    const Expected directions[] = {{'l', -1, 0}, {'u', 0, -1}, {'r', 1, 0}, {'d', 0, 1}};
    for (const Expected& e : directions) {
        const char push = static_cast<char>(e.Letter - 'a' + 'A');
        for (const char letter : {e.Letter, push}) {
            const MoveStep step = ReadMove(letter);
            EXPECT_EQ(step.DX, e.DX) << letter;
            EXPECT_EQ(step.DY, e.DY) << letter;
            EXPECT_EQ(step.Push, letter == push) << letter;
        }
    }
    // Everything else is no step at all, not a walk: the readers refuse it rather than guess
    // (a byte with the case bit set, such as a control character or ',', must not become one).
    int steps = 0;
    for (int b = 0; b < 256; ++b) {
        const MoveStep step = ReadMove(static_cast<char>(b));
        const bool moves = step.DX != 0 || step.DY != 0;
        steps += moves;
        EXPECT_TRUE(moves || !step.Push) << b;
    }
    EXPECT_EQ(steps, 8);
}
