#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Streams.h"
#include "tests/support/Headless.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace rtl;
using testing_support::TempDir;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs the body with dir as the current folder, restoring the old one afterwards.
class InDir {
public:
    explicit InDir(const std::filesystem::path& dir) : FOld(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InDir() { std::filesystem::current_path(FOld); }

private:
    std::filesystem::path FOld;
};

} // namespace

TEST(Files, NamesMatchWithoutRegardToCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path / "levels");
    WriteFile(dir.File("levels/Level7.sal"), "seven");
    WriteFile(dir.File("Compleated.cmp"), "progress");
    InDir in(dir.Path);

    EXPECT_TRUE(FileExists("compleated.cmp"));
    EXPECT_TRUE(FileExists("./levels/level7.sal"));
    EXPECT_TRUE(FileExists(".\\LEVELS\\LEVEL7.SAL"));
    EXPECT_FALSE(FileExists("./levels/level8.sal"));
    EXPECT_FALSE(FileExists("levels")); // a folder is not a file
    EXPECT_TRUE(DirectoryExists("LEVELS"));
    EXPECT_EQ(ResolvePath("./levels/level7.sal"), "./levels/Level7.sal");

    TFileStream stream("./LEVELS/level7.SAL", fmOpenRead);
    char buffer[5];
    stream.ReadBuffer(buffer, 5);
    EXPECT_EQ(std::string(buffer, 5), "seven");
}

TEST(Files, AnExactMatchWinsOverOtherCases) {
    TempDir dir;
    WriteFile(dir.File("a.txt"), "lower");
    WriteFile(dir.File("A.txt"), "upper");
    InDir in(dir.Path);
    EXPECT_EQ(ResolvePath("A.txt"), "A.txt");
    EXPECT_EQ(ResolvePath("a.TXT"), "A.txt"); // no exact match: the first by name
}

TEST(Files, OpenErrorsNameTheFileAndTheReason) {
    TempDir dir;
    InDir in(dir.Path);
    try {
        TFileStream("missing.sal", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, "Cannot open file \"missing.sal\". No such file or directory.");
    }
    // A folder where a file is expected fails at once, with its own reason.
    std::filesystem::create_directories(dir.Path / "compleated.cmp");
    try {
        TFileStream("compleated.cmp", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, "Cannot open file \"compleated.cmp\". Is a directory.");
    }
    // Opening for writing never creates the file.
    EXPECT_THROW(TFileStream("new.cmp", fmOpenWrite), EFOpenError);
    EXPECT_FALSE(FileExists("new.cmp"));
}

TEST(Files, OpenForWritingKeepsTheRestOfTheFile) {
    TempDir dir;
    WriteFile(dir.File("p.cmp"), "abcdef");
    {
        TFileStream stream(dir.File("p.cmp"), fmOpenWrite);
        stream.WriteBuffer("XY", 2);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("p.cmp")),
              (std::vector<uint8_t>{'X', 'Y', 'c', 'd', 'e', 'f'}));
}

TEST(Streams, ShortReadsRaiseOnlyThroughReadBuffer) {
    TMemoryStream memory;
    memory.WriteBuffer("abc", 3);
    memory.SetPosition(0);
    char buffer[8] = {};
    EXPECT_EQ(memory.Read(buffer, 8), 3);
    memory.SetPosition(1);
    EXPECT_THROW(memory.ReadBuffer(buffer, 3), EReadError);
    EXPECT_EQ(memory.Size(), 3);
}

TEST(Files, PathPieces) {
    EXPECT_EQ(ExtractFilePath("/a/b/c.ini"), "/a/b/");
    EXPECT_EQ(ExtractFileName("Themes\\Space.OIL"), "Space.OIL");
    EXPECT_EQ(ExtractFileExt("x/Sound.mp3"), ".mp3");
    EXPECT_EQ(ExtractFileExt("x.d/noext"), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(ExpandFileName("/x/y"), "/x/y");
    EXPECT_EQ(ProgramDir().back(), '/');
}

TEST(Files, AnotherFolderCanStandForTheProgramsFolder) {
    const std::string real = ProgramDir();
    testing_support::TempDir dir;
    SetProgramDir(dir.Path.string());
    EXPECT_EQ(ProgramDir(), dir.Path.string() + "/");
    const std::string before = GetCurrentDir();
    ASSERT_TRUE(ChangeToProgramDir());
    EXPECT_TRUE(std::filesystem::equivalent(GetCurrentDir(), dir.Path));
    ASSERT_EQ(::chdir(before.c_str()), 0);
    SetProgramDir("");
    EXPECT_EQ(ProgramDir(), real);
}
