#include "tools/levels/LevelCheck.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace levels;

namespace {

std::vector<std::string> Problems(const std::string& text) {
    return CheckLevel(ParseLevels(text).at(0));
}

bool Mentions(const std::vector<std::string>& problems, const std::string& part) {
    for (const std::string& p : problems)
        if (p.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(LevelCheck, AcceptsASoundLevel) {
    EXPECT_TRUE(Problems("#####\n#@$.#\n#####\n").empty());
}

TEST(LevelCheck, CountsObjectsAndZones) {
    EXPECT_TRUE(Mentions(Problems("#####\n#@  #\n#####\n"), "0 objects"));
    EXPECT_TRUE(Mentions(Problems("######\n#@$..#\n######\n"), "1 objects but 2 zones"));
    EXPECT_TRUE(Mentions(Problems("#############\n#@$$$$$$$$$$#\n#..........##\n#############\n"),
                         "10 objects"));
}

TEST(LevelCheck, WantsTheWallsToEncloseEverything) {
    EXPECT_TRUE(Mentions(Problems("#####\n#@$.\n#####\n"), "do not enclose"));
    // An object and a zone shut away from the pusher.
    const auto shut = Problems("#########\n#@$.#$ .#\n#########\n");
    EXPECT_TRUE(Mentions(shut, "cannot reach the object"));
    EXPECT_TRUE(Mentions(shut, "cannot reach the zone"));
}

TEST(LevelCheck, KeepsTheButtonBarCornerOutOfReach) {
    // Sixteen by twelve drawn fills the board: its inside reaches under the bar.
    std::string text = std::string(16, '#') + "\n";
    for (int row = 0; row < 10; ++row)
        text += row == 0 ? "#@$.           #\n" : "#              #\n";
    text += std::string(16, '#') + "\n";
    EXPECT_TRUE(Mentions(Problems(text), "button bar"));
}

TEST(LevelCheck, FilesMustMarkExactlyTheObjectCells) {
    const LevelBytes good = EncodeLevel(ParseLevels("######\n#@$ .#\n######\n").at(0));
    EXPECT_TRUE(CheckLevelBytes(good).empty());

    LevelBytes stray = good;
    const int32_t two = 2, one = 1;
    std::memcpy(stray.data() + 172 + (9 * 12 + 5) * 4, &two, 4); // the zone's cell
    EXPECT_TRUE(Mentions(CheckLevelBytes(stray), "code 2 but no object"));

    LevelBytes unmarked = good;
    std::memcpy(unmarked.data() + 172 + (7 * 12 + 5) * 4, &one, 4); // the object's cell
    EXPECT_TRUE(Mentions(CheckLevelBytes(unmarked), "has cell code 1, not 2"));

    // The pusher moved onto the object.
    LevelBytes onBox = good;
    const int32_t x = 7;
    std::memcpy(onBox.data() + 940, &x, 4);
    EXPECT_TRUE(Mentions(CheckLevelBytes(onBox), "starts on an object"));

    LevelBytes hostile = good;
    const int32_t many = 99;
    std::memcpy(hostile.data() + 948, &many, 4);
    EXPECT_TRUE(Mentions(CheckLevelBytes(hostile), "it lists 99 objects (0 to 9 are possible)"));
}
