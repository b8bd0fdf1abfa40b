// The level file: the byte image of TLevelData, read in one piece, so its layout is fixed to the
// byte (packed, 952 bytes, the field offsets asserted below). The game plays it and the level
// tool writes and checks it; both hold a file to the same rules with the same words. Free of the
// engine, so the tool and the fuzzers stand on it alone.
//
// Traps: the cell table is column-major (Cells[column][row]), and only walls and objects are
// marked in it; zones and the pusher live in their own fields. A short file fills only its length
// and leaves the rest of the record as it was.
#pragma once

#include "puzzle/Level.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Cell codes. Any code but a wall or an object is free floor; files write ccFloor for it.
constexpr int32_t ccWall = 0;
constexpr int32_t ccFloor = 1;
constexpr int32_t ccBox = 2;

#pragma pack(push, 1)

struct TCellPos {
    int32_t X;
    int32_t Y;
};

struct TLevelData {
    uint8_t Unread1[25];
    TCellPos Boxes[kMaxBoxes];
    TCellPos Zones[kMaxBoxes];
    uint8_t Unread2[3];
    // Column-major: Cells[column][row].
    int32_t Cells[kBoardColumns][kBoardRows];
    int32_t HeroX;
    int32_t HeroY;
    int32_t BoxCount;
};

#pragma pack(pop)

static_assert(sizeof(TCellPos) == 8);
static_assert(sizeof(TLevelData) == 952, "a level file is exactly 952 bytes");
static_assert(offsetof(TLevelData, Boxes) == 25);
static_assert(offsetof(TLevelData, Zones) == 97);
static_assert(offsetof(TLevelData, Unread2) == 169);
static_assert(offsetof(TLevelData, Cells) == 172);
static_assert(offsetof(TLevelData, HeroX) == 940);
static_assert(offsetof(TLevelData, HeroY) == 944);
static_assert(offsetof(TLevelData, BoxCount) == 948);

bool OnBoard(int32_t column, int32_t row);

// What the board code needs before it may index its tables with the record: empty when it is
// safe to play; otherwise why not, as the player is told it ("it lists 12 objects (0 to 9 are
// possible)").
std::string LevelFault(const TLevelData& level);
