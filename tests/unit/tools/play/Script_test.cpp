#include "tools/play/Script.h"

#include <gtest/gtest.h>

using namespace play;

TEST(Script, ReadsEveryCommandWithItsArguments) {
    const std::vector<Command> c = ParseScript("# a comment\n"
                                               "\n"
                                               "frames 12\r\n"
                                               "down Left\n"
                                               "up Left\n"
                                               "press Keypad 7\n"
                                               "move 10 -20\n"
                                               "click 512 334\n"
                                               "type  two  spaces\n"
                                               "shot out/menu.png\n"
                                               "state menu.json\n"
                                               "expect board[5] ----#--@$.#-----\n"
                                               "expect objects [[8, 5], [9, 5]]\n"
                                               "  answer no\n"
                                               "remove Themes/Space.OIL\n"
                                               "rename marks.cmp compleated.cmp\n");
    ASSERT_EQ(c.size(), 14u);
    EXPECT_EQ(c[0].Kind, Op::Frames);
    EXPECT_EQ(c[0].Count, 12);
    EXPECT_EQ(c[0].Line, 3);
    EXPECT_EQ(c[1].Kind, Op::Down);
    EXPECT_EQ(c[1].Text, "Left");
    EXPECT_EQ(c[2].Kind, Op::Up);
    EXPECT_EQ(c[3].Kind, Op::Press);
    EXPECT_EQ(c[3].Text, "Keypad 7");
    EXPECT_EQ(c[4].Kind, Op::Move);
    EXPECT_EQ(c[4].X, 10);
    EXPECT_EQ(c[4].Y, -20);
    EXPECT_EQ(c[5].Kind, Op::Click);
    EXPECT_EQ(c[6].Kind, Op::Type);
    EXPECT_EQ(c[6].Text, " two  spaces") << "text after one separator, as written";
    EXPECT_EQ(c[7].Kind, Op::Shot);
    EXPECT_EQ(c[7].Text, "out/menu.png");
    EXPECT_EQ(c[8].Kind, Op::State);
    EXPECT_EQ(c[9].Kind, Op::Expect);
    EXPECT_EQ(c[9].Text, "board[5]");
    EXPECT_EQ(c[9].Value, "----#--@$.#-----") << "a # inside a value is no comment";
    EXPECT_EQ(c[10].Value, "[[8, 5], [9, 5]]");
    EXPECT_EQ(c[11].Kind, Op::Answer);
    EXPECT_EQ(c[11].Text, "no");
    EXPECT_EQ(c[11].Line, 14);
    EXPECT_EQ(c[12].Kind, Op::Remove);
    EXPECT_EQ(c[12].Text, "Themes/Space.OIL");
    EXPECT_EQ(c[13].Kind, Op::Rename);
    EXPECT_EQ(c[13].Text, "marks.cmp");
    EXPECT_EQ(c[13].Value, "compleated.cmp");
}

TEST(Script, RefusesWhatCannotBePlayedNamingTheLine) {
    const auto lineOf = [](const std::string& text) {
        try {
            ParseScript(text);
        } catch (const ScriptError& e) {
            return e.Line;
        }
        return 0;
    };
    EXPECT_EQ(lineOf("frames 1\njump 3\n"), 2);
    EXPECT_EQ(lineOf("frames -1\n"), 1);
    EXPECT_EQ(lineOf("frames many\n"), 1);
    EXPECT_EQ(lineOf("frames 1 2\n"), 1);
    EXPECT_EQ(lineOf("\n\nclick 10\n"), 3);
    EXPECT_EQ(lineOf("rclick 10 x\n"), 1);
    EXPECT_EQ(lineOf("press\n"), 1);
    EXPECT_EQ(lineOf("type\n"), 1);
    EXPECT_EQ(lineOf("shot\n"), 1);
    EXPECT_EQ(lineOf("expect screen\n"), 1);
    EXPECT_EQ(lineOf("answer maybe\n"), 1);
    EXPECT_EQ(lineOf("frames 2\n# fine\n"), 0);
    const std::vector<Command> right = ParseScript("rclick 544 -352\n");
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].Kind, Op::RightClick);
    EXPECT_EQ(right[0].X, 544);
    EXPECT_EQ(right[0].Y, -352);
}
