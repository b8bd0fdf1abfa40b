#include "tests/support/Headless.h"
#include "tools/levels/LevelFile.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

using namespace levels;

namespace {

Level Sample(const std::string& title) {
    Level l = ParseLevels("#######\n#@$ . #\n# *   #\n#######\n").at(0);
    l.Title = title;
    return l;
}

int32_t CellCode(const LevelBytes& bytes, int x, int y) {
    int32_t code;
    std::memcpy(&code, bytes.data() + 172 + (x * 12 + y) * 4, 4);
    return code;
}

} // namespace

TEST(LevelFile, WritesTheGamesLayoutAndOurHeader) {
    const Level l = Sample("A title longer than twenty-one bytes");
    const LevelBytes bytes = EncodeLevel(l);
    ASSERT_EQ(bytes.size(), 952u);
    EXPECT_EQ(std::memcmp(bytes.data(), "KSL\x01", 4), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 4), 21),
              "A title longer than t");
    EXPECT_EQ(bytes[169] | bytes[170] | bytes[171], 0);

    const TLevelData data = ToLevelData(bytes);
    const int32_t count = data.BoxCount, heroX = data.HeroX, heroY = data.HeroY;
    EXPECT_EQ(count, 2);
    EXPECT_EQ(heroX, l.Hero.X);
    EXPECT_EQ(heroY, l.Hero.Y);
    for (int i = 0; i < 2; ++i) {
        const TCellPos box = data.Boxes[i], zone = data.Zones[i];
        EXPECT_EQ(box.X, l.Boxes[i].X);
        EXPECT_EQ(box.Y, l.Boxes[i].Y);
        EXPECT_EQ(zone.X, l.Zones[i].X);
        EXPECT_EQ(zone.Y, l.Zones[i].Y);
    }
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            // Walls 0 and objects 2; the pusher's cell, zones and the outside are plain floor.
            const int32_t expected = l.Walls[x][y] ? 0 : l.HasBox(x, y) ? 2 : 1;
            EXPECT_EQ(CellCode(bytes, x, y), expected) << x << "," << y;
        }
}

TEST(LevelFile, DecodesWhatItEncodes) {
    const Level l = Sample("Short");
    Level back = DecodeLevel(EncodeLevel(l));
    EXPECT_EQ(back, l);

    // A file from elsewhere has no header and so no title, but is a level all the same.
    LevelBytes foreign = EncodeLevel(l);
    std::memset(foreign.data(), 0, 25);
    back = DecodeLevel(foreign);
    EXPECT_EQ(back.Title, "");
    EXPECT_EQ(back.Boxes, l.Boxes);
}

TEST(LevelFile, RefusesWhatTheGameRefusesInTheGamesWords) {
    const LevelBytes good = EncodeLevel(Sample("x"));
    const auto refusal = [&](size_t offset, int32_t value) -> std::string {
        LevelBytes b = good;
        std::memcpy(b.data() + offset, &value, 4);
        try {
            DecodeLevel(b);
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), LevelFault(ToLevelData(b)));
            return e.what();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal(948, 10), "it lists 10 objects (0 to 9 are possible)");
    EXPECT_EQ(refusal(948, -1), "it lists -1 objects (0 to 9 are possible)");
    EXPECT_EQ(refusal(940, 16), "the pusher starts outside the board");
    EXPECT_EQ(refusal(944, -3), "the pusher starts outside the board");
    EXPECT_EQ(refusal(25 + 4, 12), "object 1 lies outside the board");
    EXPECT_EQ(refusal(97 + 8, 1 << 30), "zone 2 lies outside the board");

    Level tooMany = Sample("x");
    tooMany.Zones.pop_back();
    EXPECT_THROW(EncodeLevel(tooMany), FileError);
    // Refused before its cell is marked: the place indexes the cell table.
    Level offBoard = Sample("x");
    offBoard.Boxes[0] = {kBoardColumns, 0};
    try {
        EncodeLevel(offBoard);
        ADD_FAILURE() << "an object off the board was written";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "object 1 lies outside the board");
    }
}

TEST(LevelFile, ReadsOnlyWholeLevelFiles) {
    testing_support::TempDir dir;
    const std::string path = dir.File(LevelFileName(7));
    EXPECT_EQ(LevelFileName(7), "Level7.sal");
    WriteLevelFile(path, EncodeLevel(Sample("x")));
    EXPECT_EQ(ReadLevelFile(path), EncodeLevel(Sample("x")));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
    EXPECT_THROW(ReadLevelFile(path), FileError);
    EXPECT_THROW(ReadLevelFile(dir.File("missing.sal")), FileError);
    EXPECT_THROW(WriteLevelFile(dir.File("no/such/folder/x.sal"), EncodeLevel(Sample("x"))),
                 FileError);
}
