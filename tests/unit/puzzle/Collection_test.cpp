#include "puzzle/Collection.h"
#include "puzzle/Notation.h"

#include <gtest/gtest.h>

using namespace puzzle;

namespace {

const char* const kSmall = "#####\n"
                           "#@$.#\n"
                           "#####\n";

Level Plain(Level level) {
    level.Title.clear();
    level.Notes.clear();
    return level;
}

std::vector<std::string> Problems(const Collection& c) {
    std::vector<std::string> out;
    for (const CollectionLevel& l : c.Levels)
        out.push_back(l.Problem);
    return out;
}

} // namespace

TEST(Collection, ReadsBoardRowsBetweenAnyTextAndNamesEachLevel) {
    const Collection c = ReadCollection("Some collection, by somebody\n"
                                        "Email: someone@example.org\n"
                                        "\n"
                                        "Level 1\n" +
                                        std::string(kSmall) +
                                        "Title: The First\n"
                                        "Author: A. Body\n"
                                        "\n"
                                        "; Second\n"
                                        "; a note\n" +
                                        kSmall + "\n\n\n" + kSmall +
                                        "\n"
                                        "----------\n"
                                        "Just text\n" +
                                        kSmall + "Title: Fourth\n" + kSmall);
    ASSERT_EQ(c.Levels.size(), 5u);
    EXPECT_EQ(c.Levels[0].Title, "The First"); // a Title: line wins over "Level 1"
    EXPECT_EQ(c.Levels[0].Line, 5);
    EXPECT_EQ(c.Levels[1].Title, "Second");
    EXPECT_EQ(c.Levels[2].Title, "");
    EXPECT_EQ(c.Levels[3].Title, "Fourth"); // "Key: value" right under a board is that board's
    EXPECT_EQ(c.Levels[3].Line, 25);
    EXPECT_EQ(c.Levels[4].Title, "");
    EXPECT_EQ(c.PlayableCount(), 5u);
    // The same level as the strict reader places it.
    EXPECT_EQ(c.Levels[2].Board, ParseLevels(kSmall).at(0));
}

TEST(Collection, UnfoldsRunLengthsTabsAndIndentation) {
    const Collection c = ReadCollection("; Packed\n"
                                        "7#|#.@-$1-#|#3-$-#|#2-.2-#|7#\n"
                                        "\n"
                                        "\t#######   \n"
                                        "\t#.@ $ #\t\n"
                                        "\t#   $ #\n"
                                        "\t#  . -#\n"
                                        "\t#######\n"
                                        "\n"
                                        "   #####\n"
                                        "   #@*.#\n"
                                        "   #$  #\n"
                                        "   #####\n");
    ASSERT_EQ(c.Levels.size(), 3u);
    const Level& packed = c.Levels[0].Board;
    ASSERT_TRUE(c.Levels[0].Playable()) << c.Levels[0].Problem;
    EXPECT_EQ(c.Levels[0].Title, "Packed");
    EXPECT_EQ(Plain(packed), c.Levels[1].Board); // the tab-drawn one is the same
    EXPECT_EQ(packed.Boxes.size(), 2u);
    // 7 x 5 is centred at column 4, row 3; the common indentation is no part of the level.
    EXPECT_EQ(packed.Hero, (Cell{6, 4}));
    EXPECT_EQ(c.Levels[2].Board.Hero, (Cell{6, 5})); // 5 x 4 at column 5, row 4
}

TEST(Collection, SaysWhyEachLevelCannotBePlayedAndKeepsItsPlace) {
    std::string wide(20, '#');
    std::string tall;
    for (int i = 0; i < 14; ++i)
        tall += i == 1 ? "#@$.#\n" : "#####\n";
    const std::string text = wide + "\n#@$." + std::string(15, ' ') + "#\n" + wide + "\n\n" + tall +
                             "\n" +
                             "############\n#@$$$$$$$$$$#\n#..........#\n############\n\n"
                             "#####\n#@$$#\n#.  #\n#####\n\n"
                             "#####\n#@  #\n#   #\n#####\n\n"
                             "#####\n#@$.#\n#@  #\n#####\n\n"
                             "#####\n# $.#\n#####\n\n"
                             "#####\n#@$.#\n#  \n#####\n\n"
                             "#####\n#@$.\n#####\n\n"
                             "# ###\n#@$.#\n#####\n\n"
                             "#####\n#@$.#\n# ###\n\n"
                             "#####\n @$.#\n#####\n\n"
                             "#######\n#@$.#.#\n#### $#\n#######\n\n"
                             "########\n#@$$.#.#\n########\n\n" +
                             kSmall;
    const Collection c = ReadCollection(text);
    EXPECT_EQ(Problems(c), (std::vector<std::string>{
                               "20 x 3 is larger than the board",
                               "5 x 14 is larger than the board",
                               "10 objects: at most 9",
                               "2 objects but 1 zone",
                               "no objects",
                               "2 pushers: one at most",
                               "no pusher",
                               "not closed at row 3",
                               "not closed at row 2",
                               "not closed at row 1",
                               "not closed at row 3",
                               "not closed at row 2",
                               "an object out of the pusher's reach at row 3",
                               "a zone out of the pusher's reach at row 2",
                               "",
                           }));
    EXPECT_EQ(c.PlayableCount(), 1u);
    EXPECT_EQ(c.Levels.back().Line, 74);
}

TEST(Collection, RefusesALevelThatCannotStayClearOfTheButtonBar) {
    // 16 x 12 with floor in every corner of its inside: no offset keeps it off the bar.
    std::string text = std::string(16, '#') + "\n";
    for (int row = 0; row < 10; ++row)
        text += row == 0 ? "#@$.           #\n" : "#              #\n";
    text += std::string(16, '#') + "\n";
    EXPECT_EQ(ReadCollection(text).Levels.at(0).Problem, "it does not fit beside the button bar");
}

TEST(Collection, RefusesWhatIsNoTextOfLevels) {
    auto message = [](const std::string& text) {
        try {
            ReadCollection(text);
        } catch (const CollectionError& e) {
            return std::string(e.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(message(std::string(kSmall) + std::string("ok\nbin\0ary\n", 11)),
              "line 5 holds a NUL byte: this is no text file");
    EXPECT_EQ(message("\n\n" + std::string(5000, '#') + "\n"),
              "line 3 is longer than 4096 characters");
    std::string many;
    for (size_t i = 0; i <= kMaxCollectionLevels; ++i)
        many += "#\n\n";
    EXPECT_EQ(message(many), "line 20001: more than 10000 levels");
    // A run that would unfold into gigabytes is text, not a board.
    EXPECT_EQ(ReadCollection("99999999#\n").Levels.size(), 0u);
    EXPECT_EQ(ReadCollection("9999#\n").Levels.at(0).Problem, "9999 x 1 is larger than the board");
    EXPECT_EQ(ReadCollection("").Levels.size(), 0u);
}
