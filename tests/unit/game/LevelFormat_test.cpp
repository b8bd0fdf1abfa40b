#include "game/LevelFormat.h"

#include <gtest/gtest.h>

TEST(LevelFormat, OnBoardIsTheSixteenByTwelveBoard) {
    EXPECT_TRUE(OnBoard(0, 0));
    EXPECT_TRUE(OnBoard(kBoardColumns - 1, kBoardRows - 1));
    EXPECT_FALSE(OnBoard(kBoardColumns, 0));
    EXPECT_FALSE(OnBoard(0, kBoardRows));
    EXPECT_FALSE(OnBoard(-1, 5));
    EXPECT_FALSE(OnBoard(5, -1));
}

TEST(LevelFormat, FaultNamesTheFirstThingTheBoardCodeCouldNotIndex) {
    TLevelData level{};
    level.BoxCount = 2;
    level.Boxes[1] = {kBoardColumns - 1, kBoardRows - 1};
    level.Zones[1] = {3, 4};
    // Places past the count are never read: whatever they hold is no fault.
    level.Boxes[2] = {-7, 1000};
    EXPECT_EQ(LevelFault(level), "");

    TLevelData bad = level;
    bad.BoxCount = kMaxBoxes + 1;
    EXPECT_EQ(LevelFault(bad), "it lists 10 objects (0 to 9 are possible)");
    bad = level;
    bad.HeroY = kBoardRows;
    EXPECT_EQ(LevelFault(bad), "the pusher starts outside the board");
    bad = level;
    bad.Zones[1].X = -1;
    EXPECT_EQ(LevelFault(bad), "zone 2 lies outside the board");
    // The count comes first, then the pusher, then the pairs in order.
    bad.Boxes[0].Y = kBoardRows;
    EXPECT_EQ(LevelFault(bad), "object 1 lies outside the board");
    bad.HeroX = kBoardColumns;
    EXPECT_EQ(LevelFault(bad), "the pusher starts outside the board");
}
