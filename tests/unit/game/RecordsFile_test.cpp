#include "game/RecordsFile.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "tests/support/Headless.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

const std::string kA = "00000000000000aa";
const std::string kB = "0123456789abcdef";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TLevelData Room(int offsetX, bool outerWalls) {
    // A 4 x 3 room: pusher, one object, one zone.
    TLevelData level{};
    for (auto& column : level.Cells)
        for (int32_t& cell : column)
            cell = outerWalls ? ccWall : ccFloor;
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 5; ++y)
            level.Cells[offsetX + x][2 + y] =
                x == 0 || y == 0 || x == 5 || y == 4 ? ccWall : ccFloor;
    level.HeroX = offsetX + 1;
    level.HeroY = 3;
    level.Cells[offsetX + 2][4] = ccBox;
    level.Boxes[0] = {offsetX + 2, 4};
    level.Zones[0] = {offsetX + 4, 5};
    level.BoxCount = 1;
    return level;
}

} // namespace

TEST(RecordsFile, EachBestIsKeptWithItsTieBreakAndAWorseWinChangesNothing) {
    TRecords records;
    EXPECT_TRUE(records.Add(kA, "rrUUlDD"));   // 7 moves, 4 pushes
    EXPECT_FALSE(records.Add(kA, "rrUUlDDr")); // worse both ways
    const TBoardRecords* best = records.Find(kA);
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->ByPushes->Solution, "rrUUlDD");
    // As many moves, fewer pushes: the tie of moves goes to the pushes, and it is better by
    // pushes outright.
    EXPECT_TRUE(records.Add(kA, "rrUULdd"));
    EXPECT_EQ(best->ByMoves->Solution, "rrUULdd");
    EXPECT_EQ(best->ByPushes->Solution, "rrUULdd");

    // Fewer pushes for more moves: only the best by pushes changes.
    EXPECT_TRUE(records.Add(kA, "lllrrrUUd"));
    EXPECT_EQ(best->ByMoves->Solution, "rrUULdd");
    EXPECT_EQ(best->ByPushes->Solution, "lllrrrUUd");
    EXPECT_EQ(best->ByPushes->Moves, 9);
    EXPECT_EQ(best->ByPushes->Pushes, 2);
    // As many pushes, fewer moves: the tie of pushes goes to the moves.
    EXPECT_TRUE(records.Add(kA, "lrrUUd"));
    EXPECT_EQ(best->ByPushes->Solution, "lrrUUd");
    EXPECT_EQ(best->ByMoves->Solution, "lrrUUd");
    // An equal win keeps the older one.
    EXPECT_FALSE(records.Add(kA, "rlrUUd"));
    EXPECT_EQ(best->ByMoves->Solution, "lrrUUd");
    EXPECT_EQ(best->ByPushes->Solution, "lrrUUd");

    // Not a solution, or not a key: nothing kept.
    EXPECT_FALSE(records.Add(kB, "rrx"));
    EXPECT_FALSE(records.Add("0123", "rr"));
    EXPECT_EQ(records.Find(kB), nullptr);
    EXPECT_FALSE(records.Add(kB, std::string(TRecords::kMaxSolutionMoves + 1, 'r')));
    EXPECT_TRUE(records.Add(kB, std::string(TRecords::kMaxSolutionMoves, 'r')));
}

TEST(RecordsFile, LinesAreKeptInPlaceAndDamagedOnesIgnored) {
    const std::string text = "; my notes\r\n" + kA + " moves 3 1 rUl\r\n" + kA +
                             " pushes 3 1 rUl\r\n"
                             "future line kept\r\n" +
                             kB + " moves 3 2 rUl\r\n" +  // pushes not the solution's
                             kB + " moves 2 1 rRx\r\n" +  // not a move letter
                             kB + " moves 02 1 rR\r\n" +  // a leading zero
                             kB + " pushes 2 1 rR \r\n" + // an empty last word
                             kB.substr(1) + " moves 1 0 r\r\n" + kA + " moves 0 0\r\n";
    TRecords records(text);
    EXPECT_EQ(records.Find(kB), nullptr);
    ASSERT_NE(records.Find(kA), nullptr);
    // Of two lines, the better counts: the win without a move.
    EXPECT_EQ(records.Find(kA)->ByMoves->Moves, 0);
    EXPECT_EQ(records.Find(kA)->ByPushes->Solution, "rUl");

    EXPECT_TRUE(records.Add(kA, "U"));
    EXPECT_TRUE(records.Add(kB, "dL"));
    const std::string written = records.Text();
    // The best by pushes is replaced where it stood; every other line stays as it was (line ends
    // now "\n"), the new board at the end; no header is added to a file that had lines.
    EXPECT_EQ(written, "; my notes\n" + kA + " moves 3 1 rUl\n" + kA + " pushes 1 1 U\n" +
                           "future line kept\n" + kB + " moves 3 2 rUl\n" + kB +
                           " moves 2 1 rRx\n" + kB + " moves 02 1 rR\n" + kB + " pushes 2 1 rR \n" +
                           kB.substr(1) + " moves 1 0 r\n" + kA + " moves 0 0\n" + kB +
                           " moves 2 1 dL\n" + kB + " pushes 2 1 dL\n");
    // What is written reads back as the same records.
    const TRecords again(written);
    EXPECT_EQ(again.Find(kA)->ByPushes, records.Find(kA)->ByPushes);
    EXPECT_EQ(again.Find(kA)->ByMoves, records.Find(kA)->ByMoves);
    EXPECT_EQ(again.Find(kB)->ByMoves, records.Find(kB)->ByMoves);

    TRecords fresh;
    fresh.Add(kA, "");
    EXPECT_EQ(fresh.Text(),
              std::string(TRecords::kHeader) + "\n" + kA + " moves 0 0\n" + kA + " pushes 0 0\n");
}

TEST(RecordsFile, TheKeyIsTheBoardWhereverItIsDrawn) {
    const std::string key = LevelKey(Room(3, false));
    EXPECT_EQ(key.size(), 16u);
    EXPECT_TRUE(TRecords::IsKey(key));
    // Moved across the board, with walls everywhere around it, another object order in the list:
    // the same puzzle.
    EXPECT_EQ(LevelKey(Room(8, true)), key);
    // Anything that changes the play changes the key.
    TLevelData moved = Room(3, false);
    moved.HeroX += 1;
    EXPECT_NE(LevelKey(moved), key);
    TLevelData zone = Room(3, false);
    zone.Zones[0].X -= 1;
    EXPECT_NE(LevelKey(zone), key);
    TLevelData wall = Room(3, false);
    wall.Cells[3 + 3][3] = ccWall;
    EXPECT_NE(LevelKey(wall), key);
}

TEST(RecordsFile, CountersAreTheMovesPlayedSoFar) {
    EXPECT_EQ(CountMoves("rRuUL", 5).Moves, 5);
    EXPECT_EQ(CountMoves("rRuUL", 5).Pushes, 3);
    // Undone steps (past the played ones) count for nothing.
    EXPECT_EQ(CountMoves("rRuUL", 3).Moves, 3);
    EXPECT_EQ(CountMoves("rRuUL", 3).Pushes, 1);
    EXPECT_EQ(CountMoves("", 0).Moves, 0);
}

TEST(RecordsFile, AWinMergesIntoTheFileAsItIsNowKeepingLinkAndMode) {
    TempDir dir;
    fs::create_directories(dir.Path / "synced");
    const std::string real = dir.File("synced/records.txt");
    WriteText(real, "; kept\n" + kB + " moves 2 1 rR\n" + kB + " pushes 2 1 rR\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("synced/records.txt", dir.Path / "records.txt");

    const TRecords merged = AddToRecordsFile(dir.File("records.txt"), kA, "dRR");
    EXPECT_TRUE(fs::is_symlink(dir.Path / "records.txt"));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadText(real), "; kept\n" + kB + " moves 2 1 rR\n" + kB + " pushes 2 1 rR\n" + kA +
                                  " moves 3 2 dRR\n" + kA + " pushes 3 2 dRR\n");
    EXPECT_NE(merged.Find(kB), nullptr);
    EXPECT_EQ(ReadRecordsFile(dir.File("records.txt")).Find(kA)->ByMoves->Solution, "dRR");

    // A worse win leaves the records as they were.
    AddToRecordsFile(dir.File("records.txt"), kA, "ddRR");
    EXPECT_EQ(ReadRecordsFile(dir.File("records.txt")).Find(kA)->ByMoves->Solution, "dRR");
    // No temporary file left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path / "synced"), fs::directory_iterator()),
              1);
    EXPECT_EQ(ReadRecordsFile(dir.File("missing.txt")).All().size(), 0u);
}

TEST(RecordsFile, HostileFilesAreRefusedAndLeftAsTheyAre) {
    TempDir dir;
    // Far larger than any records file, sparse: refused unread, never cut down and written back.
    const std::string big = dir.File("records.txt");
    {
        std::ofstream out(big, std::ios::binary);
        out << kA << " moves 1 0 r\n";
        out.seekp(TRecords::kMaxFileSize + 10);
        out.put('\n');
    }
    EXPECT_THROW(ReadRecordsFile(big), rtl::EFOpenError);
    EXPECT_THROW(AddToRecordsFile(big, kB, "r"), rtl::EFOpenError);
    EXPECT_EQ(fs::file_size(big), static_cast<uintmax_t>(TRecords::kMaxFileSize + 11));

    fs::create_directories(dir.Path / "folder");
    EXPECT_THROW(AddToRecordsFile(dir.File("folder"), kB, "r"), rtl::EFOpenError);
    EXPECT_THROW(ReadRecordsFile(dir.File("folder")), rtl::EFOpenError);

    const std::string locked = dir.File("locked.txt");
    WriteText(locked, kA + " moves 1 0 r\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.Path, fs::perms::all);
    testing_support::ExpectAsUnprivileged([&] {
        bool refused = false;
        try {
            AddToRecordsFile(locked, kB, "r");
        } catch (const rtl::EFOpenError&) {
            refused = true;
        }
        return refused && ReadText(locked) == kA + " moves 1 0 r\n";
    });
}

// Copies of the game winning at the same time: under the lock each adds to what the others
// wrote, so no record is lost.
TEST(RecordsFile, CopiesWinningAtOnceKeepEachOthersRecords) {
    TempDir dir;
    const std::string file = dir.File("records.txt");
    constexpr int kCopies = 3, kWins = 12;
    std::vector<pid_t> children;
    for (int c = 0; c < kCopies; ++c) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(60);
            for (int w = 0; w < kWins; ++w) {
                char key[17];
                std::snprintf(key, sizeof key, "%016x", c * 100 + w);
                AddToRecordsFile(file, key, std::string(static_cast<size_t>(w + 1), 'R'));
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadRecordsFile(file).All().size(), static_cast<size_t>(kCopies * kWins));
}
