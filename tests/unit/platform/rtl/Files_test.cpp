#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Streams.h"
#include "tests/support/Headless.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rtl;
using testing_support::TempDir;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode));
    return text;
}

std::string ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? Octal(st.st_mode & 07777) : "missing";
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

TEST(Files, ReplacingFollowsLinksAndKeepsPermissions) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.Path / "synced");
    WriteFile(dir.File("synced/Config.ini"), "old");
    fs::permissions(dir.File("synced/Config.ini"), fs::perms::owner_read | fs::perms::owner_write);
    // A relative link, as a player makes one to a synced folder.
    fs::create_symlink("synced/Config.ini", dir.Path / "Config.ini");
    WriteFileAtomic(dir.File("Config.ini"), "new", 3);
    EXPECT_TRUE(fs::is_symlink(dir.Path / "Config.ini"));
    EXPECT_EQ(ReadFileBytes(dir.File("synced/Config.ini")), (std::vector<uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(fs::status(dir.File("synced/Config.ini")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // No temporary file left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path / "synced"), fs::directory_iterator()),
              1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 2);
    // A link to a file not made yet makes it there.
    fs::create_symlink(dir.File("synced/compleated.cmp"), dir.Path / "compleated.cmp");
    WriteFileAtomic(dir.File("compleated.cmp"), "p", 1);
    EXPECT_TRUE(fs::is_symlink(dir.Path / "compleated.cmp"));
    EXPECT_TRUE(fs::is_regular_file(dir.Path / "synced/compleated.cmp"));
}

// Every way a player's file is replaced keeps its mode to the bit. The temporary file starts at
// 0600, so that mode alone would prove nothing; group bits show a mode copied only in part.
TEST(Files, EveryReplacementKeepsTheFilesExactMode) {
    TempDir dir;
    const std::string file = dir.File("Config.ini");
    const std::pair<const char*, std::function<void()>> writers[] = {
        {"WriteFileAtomic", [&] { WriteFileAtomic(file, "[Options]\n", 10); }},
        {"UpdateFileAtomic",
         [&] { UpdateFileAtomic(file, 100, [](std::vector<uint8_t>& b) { b.push_back('\n'); }); }},
        {"TIniFile", [&] { TIniFile(file).WriteBool("Options", "Music", false); }},
    };
    for (const mode_t mode : {0600, 0640, 0660, 0664, 0604})
        for (const auto& [name, write] : writers) {
            const std::string before = "[Options]\nMusic=1\n";
            WriteFile(file, before);
            ASSERT_EQ(::chmod(file.c_str(), mode), 0);
            write();
            const std::vector<uint8_t> after = ReadFileBytes(file);
            EXPECT_NE(std::string(after.begin(), after.end()), before) << name << " wrote nothing";
            EXPECT_EQ(ModeOf(file), Octal(mode)) << name;
        }
    // A new file gets what an ordinary open would give it: 0644 less the umask, but never less
    // than its owner's reading and writing.
    for (const mode_t mask : {022, 077, 027, 0277, 0777}) {
        const mode_t old = ::umask(mask);
        for (const auto& [name, write] : writers) {
            std::filesystem::remove(file);
            write();
            EXPECT_EQ(ModeOf(file), Octal((0644 & ~mask) | 0600))
                << name << " under umask " << Octal(mask);
        }
        ::umask(old);
    }
}

TEST(Files, AReadOnlyFileIsRefusedAsAnOpenWouldRefuseIt) {
    TempDir dir;
    namespace fs = std::filesystem;
    WriteFile(dir.File("compleated.cmp"), "old");
    fs::permissions(dir.File("compleated.cmp"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.Path, fs::perms::all);
    testing_support::ExpectAsUnprivileged([&] {
        std::string message;
        try {
            WriteFileAtomic(dir.File("compleated.cmp"), "new", 3);
        } catch (const EFOpenError& e) {
            message = e.Message;
        }
        bool updateRefused = false;
        try {
            UpdateFileAtomic(dir.File("compleated.cmp"), 100,
                             [](std::vector<uint8_t>& b) { b.assign(3, 'x'); });
        } catch (const EFOpenError&) {
            updateRefused = true;
        }
        return message ==
                   "Cannot open file \"" + dir.File("compleated.cmp") + "\". Permission denied." &&
               updateRefused && ReadFileBytes(dir.File("compleated.cmp")).size() == 3 &&
               ReadFileBytes(dir.File("compleated.cmp"))[0] == 'o' &&
               std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()) == 1;
    });
}

// A named pipe where a file belongs would block open() until someone writes to it; every way
// of opening refuses it at once instead. A watchdog turns a hang into a failure.
TEST(Files, ANamedPipeIsRefusedWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("Config.ini").c_str(), 0644), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(10); // the default action of SIGALRM ends the child
        const std::string pipe = dir.File("Config.ini");
        const auto refused = [&](const std::function<void()>& open) {
            try {
                open();
            } catch (const EStreamError& e) {
                return e.Message.find("Not a regular file.") != std::string::npos;
            }
            return false;
        };
        const bool ok = refused([&] { TFileStream(pipe, fmOpenRead); }) &&
                        refused([&] { TFileStream(pipe, fmOpenReadWrite); }) &&
                        refused([&] { TFileStream(pipe, fmCreate); }) &&
                        refused([&] { ReadFileBytes(pipe, 1 << 20); }) &&
                        refused([&] { WriteFileAtomic(pipe, "x", 1); }) &&
                        refused([&] { UpdateFileAtomic(pipe, 100, [](std::vector<uint8_t>&) {}); });
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "the child hung on the pipe and was stopped";
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path / "Config.ini"));
}

TEST(Files, AFileLargerThanItsKindIsRefusedBeforeItIsRead) {
    TempDir dir;
    {
        std::ofstream big(dir.File("Config.ini"), std::ios::binary);
        big.seekp((3 << 20) - 1);
        big.put('\n');
    }
    try {
        ReadFileBytes(dir.File("Config.ini"), 1 << 20);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, "Cannot open file \"" + dir.File("Config.ini") +
                                 "\". It is 3 MB, more than such a file can be (1 MB at most).");
    }
    EXPECT_EQ(ReadFileBytes(dir.File("Config.ini"), 3 << 20).size(), size_t{3} << 20);
}

// Two programs adding marks to one file at the same time: with the lock each works on what the
// other wrote, so no mark is lost, however their turns fall.
TEST(Files, LockedUpdatesFromTwoProgramsKeepEachOthersChanges) {
    TempDir dir;
    const std::string file = dir.File("compleated.cmp");
    constexpr int kPrograms = 3, kMarks = 30;
    std::vector<pid_t> children;
    for (int p = 0; p < kPrograms; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(60);
            for (int m = 0; m < kMarks; ++m)
                UpdateFileAtomic(file, 100, [&](std::vector<uint8_t>& bytes) {
                    bytes.resize(100);
                    bytes[static_cast<size_t>(p * kMarks + m)] = 1;
                });
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 1), kPrograms * kMarks);
}
