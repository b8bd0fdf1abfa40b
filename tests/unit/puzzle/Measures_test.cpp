#include "puzzle/Measures.h"
#include "puzzle/Notation.h"

#include <gtest/gtest.h>

using namespace puzzle;

namespace {

Level Parse(const std::string& text) {
    return ParseLevels(text).at(0);
}

} // namespace

TEST(ObjectLines, CountRunsOfOneObjectInOneDirection) {
    const Level level = Parse("#########\n"
                              "#       #\n"
                              "#@$  $  #\n"
                              "#       #\n"
                              "#   .  .#\n"
                              "#########\n");
    // The right object twice right, a walk round it, twice down: two lines.
    EXPECT_EQ(ObjectLines(level, "drrruRRurDD"), 2);
    // Then the left object the same way: four.
    EXPECT_EQ(ObjectLines(level, "drrruRRurDDlllllluRRurDD"), 4);
    // Walks make no line; a move into a wall ends the count there.
    EXPECT_EQ(ObjectLines(level, "ddrr"), 0);
    EXPECT_EQ(ObjectLines(level, "lRR"), 0);
}

TEST(ObjectLines, PushingAgainAfterAnotherObjectIsANewLine) {
    const Level level = Parse("#######\n"
                              "#@$  .#\n"
                              "#     #\n"
                              "# $  .#\n"
                              "#######\n");
    // Top right, bottom right, top right again: three lines, though the top one goes right
    // both times.
    EXPECT_EQ(ObjectLines(level, "RdldRuuR"), 3);
}

TEST(CanonicalRoom, SameUnderTheEightSymmetriesOnly) {
    const Level a = Parse("#####\n"
                          "#@$.#\n"
                          "#  ##\n"
                          "####\n");
    // Its axes swapped, the object and the pusher elsewhere: the same room.
    const Level turned = Parse("####\n"
                               "#@ #\n"
                               "#$ #\n"
                               "#.##\n"
                               "###\n");
    const Level mirrored = Parse("#####\n"
                                 "#.$@#\n"
                                 "##  #\n"
                                 " ####\n");
    const Level flipped = Parse("####\n"
                                "#  ##\n"
                                "#@$.#\n"
                                "#####\n");
    EXPECT_EQ(CanonicalRoom(a), CanonicalRoom(turned));
    EXPECT_EQ(CanonicalRoom(a), CanonicalRoom(mirrored));
    EXPECT_EQ(CanonicalRoom(a), CanonicalRoom(flipped));
    // The zone elsewhere: another room.
    const Level moved = Parse("#####\n"
                              "#.$@#\n"
                              "#  ##\n"
                              "####\n");
    EXPECT_NE(CanonicalRoom(a), CanonicalRoom(moved));
}
