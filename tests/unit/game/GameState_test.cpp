#include "game/GameState.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(GameState, StartsZeroFilledInTheMenu) {
    TGameState state;
    EXPECT_EQ(state.ScreenState, ssMenu);
    EXPECT_EQ(state.UndoIndex, 0);
    EXPECT_FALSE(state.DialogOpen || state.Won || state.Moving || state.BoxMoving);
    EXPECT_EQ(state.HeroSprite, nullptr);
    EXPECT_TRUE(state.UndoHistory.empty());
    const TLevelData zero{};
    EXPECT_EQ(std::memcmp(&state.Level, &zero, sizeof zero), 0);
    for (uint8_t mark : state.Progress)
        EXPECT_EQ(mark, 0);
}

TEST(GameState, LevelImageMapsFileBytesToFields) {
    // A level file is read in one piece; the cells are column-major int32 from byte 172.
    uint8_t bytes[sizeof(TLevelData)] = {};
    bytes[25] = 3;                     // Boxes[0].X
    bytes[97 + 8 * 8 + 4] = 11;        // Zones[8].Y
    bytes[172 + 4 * (1 * 12 + 2)] = 2; // Cells[1][2]: column 1, row 2
    bytes[940] = 5;                    // HeroX
    bytes[948] = 9;                    // BoxCount
    TLevelData level;
    std::memcpy(&level, bytes, sizeof level);
    // Fields of a packed record are read by value: a reference to one may be misaligned.
    const int32_t boxX = level.Boxes[0].X, zoneY = level.Zones[8].Y, cell = level.Cells[1][2];
    const int32_t heroX = level.HeroX, boxCount = level.BoxCount;
    EXPECT_EQ(boxX, 3);
    EXPECT_EQ(zoneY, 11);
    EXPECT_EQ(cell, 2);
    EXPECT_EQ(heroX, 5);
    EXPECT_EQ(boxCount, 9);
}
