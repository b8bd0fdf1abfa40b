#include "game/CollectionFile.h"
#include "platform/rtl/Exceptions.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CollectionFile : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("kosmorra-collection-" + std::to_string(getpid()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = Dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    static std::string Refusal(const std::string& path) {
        try {
            ReadCollectionFile(path);
        } catch (const rtl::EFOpenError& e) {
            return e.what();
        }
        return "opened";
    }

    fs::path Dir;
};

const char* const kTwo = "; One\n#####\n#@$.#\n#####\n\n"
                         "; Two\n######\n#@$ .#\n######\n";

} // namespace

TEST_F(CollectionFile, KeyFollowsThePlayableBoardsNotTheNameNorTheText) {
    const TCollection a = ReadCollectionFile(Write("a.txt", kTwo));
    EXPECT_EQ(a.Name, "a.txt");
    EXPECT_EQ(a.Size(), 2);
    EXPECT_EQ(a.Key.size(), 16u);
    EXPECT_EQ(a.Marks, (std::vector<uint8_t>{0, 0}));
    // Other titles, CRLF lines, a run-length row and an unplayable level between: the same key.
    const TCollection b = ReadCollectionFile(
        Write("sub/b.sok", "Title: x\r\n5#|#@$.#|5#\r\n\r\n###\r\n\r\n######\n#@$ .#\n######\n"));
    EXPECT_EQ(b.Key, a.Key);
    EXPECT_EQ(b.Size(), 3);
    // One floor cell more in a level: another key (a wall nobody can reach would not count).
    const TCollection c = ReadCollectionFile(Write("c.xsb", "#####\n#@$.#\n#####\n\n"
                                                            "#######\n#@$  .#\n#######\n"));
    EXPECT_NE(c.Key, a.Key);
    EXPECT_EQ(CollectionProgressFile(a.Key), "collection-" + a.Key + ".cmp");
}

TEST_F(CollectionFile, AFolderIsItsCollectionFilesInNameOrder) {
    Write("pack/2.XSB", "######\n#@$ .#\n######\n");
    Write("pack/1.txt", "#####\n#@$.#\n#####\n");
    Write("pack/notes.md", "#####\n#@$.#\n#####\n");
    const TCollection c = ReadCollectionFile((Dir / "pack").string() + "/");
    EXPECT_EQ(c.Name, "pack");
    ASSERT_EQ(c.Size(), 2);
    EXPECT_EQ(c.Levels.Levels[1].Board.Boxes.size(), 1u);
    EXPECT_EQ(c.Levels.Levels[1].Board.Zones[0].X - c.Levels.Levels[1].Board.Boxes[0].X, 2);
    fs::create_directories(Dir / "empty");
    EXPECT_NE(Refusal((Dir / "empty").string()).find("holds no .txt, .xsb or .sok file"),
              std::string::npos);
}

TEST_F(CollectionFile, RefusesWhatIsNoCollectionNamingFileAndLine) {
    const std::string fifo = (Dir / "pipe.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(Refusal(fifo).find("The collection \"" + fifo + "\" cannot be opened"),
              std::string::npos);
    const std::string binary = Write("bin.txt", std::string("#####\n\n\x01\0\x02\n", 10));
    EXPECT_EQ(Refusal(binary), "The collection \"" + binary +
                                   "\" cannot be opened: line 3 holds a NUL byte: this is no "
                                   "text file.");
    const std::string big = Write("big.txt", std::string(puzzle::kMaxCollectionBytes + 1, '\n'));
    EXPECT_EQ(Refusal(big),
              "The collection \"" + big +
                  "\" cannot be opened: it is larger than a collection can be (8 MB at most).");
    EXPECT_NE(Refusal((Dir / "missing.txt").string()).find("cannot be opened"), std::string::npos);
}

TEST_F(CollectionFile, RecordsPlayWhatWasDrawnAndLevelsWrapToTheFirstPlayable) {
    const TCollection c =
        ReadCollectionFile(Write("w.txt", std::string("####\n#@ #\n####\n\n") + kTwo));
    EXPECT_FALSE(c.Levels.Levels[0].Playable());
    EXPECT_EQ(c.NextPlayable(0), 2);
    EXPECT_EQ(c.NextPlayable(2), 3);
    EXPECT_EQ(c.NextPlayable(3), 2); // after the last, level 1 if it can be played, else on
    const puzzle::Level& level = c.Levels.Levels[2].Board;
    const TLevelData record = LevelRecord(level);
    EXPECT_EQ(LevelFault(record), "");
    EXPECT_EQ(record.BoxCount, 1);
    EXPECT_EQ(record.HeroX, level.Hero.X);
    EXPECT_EQ(record.Cells[level.Boxes[0].X][level.Boxes[0].Y], ccBox);
    EXPECT_EQ(record.Cells[level.Zones[0].X][level.Zones[0].Y], ccFloor);
    EXPECT_EQ(record.Cells[0][0], ccFloor); // outside the walls: free, drawn as the background
    EXPECT_EQ(record.Cells[level.Hero.X - 1][level.Hero.Y], ccWall);
    EXPECT_NE(NothingPlayable(ReadCollectionFile(Write("n.txt", "####\n#@ #\n####\n")))
                  .find("(1 level; level 1, line 1: no objects)"),
              std::string::npos);
}
