#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "tests/support/Headless.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace rtl;
using testing_support::TempDir;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    const TIniFile missing(dir.File("none.ini"));
    EXPECT_EQ(missing.ReadString("Options", "Theme", "Space"), "Space");
    EXPECT_EQ(missing.ReadInteger("Options", "Depth", 32), 32);
    EXPECT_TRUE(missing.ReadBool("Options", "Music", true));

    WriteText(dir.File("c.ini"), "[Options]\nMusic=0\n");
    const TIniFile ini(dir.File("c.ini"));
    EXPECT_EQ(ini.ReadInteger("Other", "Music", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Options", "Depth", 32), 32);
    EXPECT_FALSE(ini.SectionExists("Other"));
    EXPECT_TRUE(ini.ValueExists("options", "MUSIC"));
}

TEST(IniFile, NamesIgnoreCaseAndValuesAreTrimmed) {
    TempDir dir;
    WriteText(dir.File("c.ini"), "; settings\r\n[ OPTIONS ]\r\n  theme = Nebula  \r\n"
                                 "Quoted=\"  padded \"\r\n[Space]\r\nRotation=1\r\n");
    const TIniFile ini(dir.File("C.INI")); // the file name, too
    EXPECT_EQ(ini.ReadString("options", "Theme", "Space"), "Nebula");
    EXPECT_EQ(ini.ReadString("Options", "quoted", ""), "  padded ");
    EXPECT_TRUE(ini.ReadBool("space", "rotation", false));
}

TEST(IniFile, BooleansAndIntegersReadAsIntegers) {
    TempDir dir;
    WriteText(dir.File("c.ini"), "[O]\nZero=0\nTwo=2\nNeg=-1\nWord=yes\nHex=0x10\nEmpty=\n");
    const TIniFile ini(dir.File("c.ini"));
    EXPECT_FALSE(ini.ReadBool("O", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("O", "Two", false));
    EXPECT_TRUE(ini.ReadBool("O", "Neg", false));
    // Not a number: the default, whichever it is.
    EXPECT_TRUE(ini.ReadBool("O", "Word", true));
    EXPECT_FALSE(ini.ReadBool("O", "Word", false));
    EXPECT_EQ(ini.ReadInteger("O", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("O", "Empty", 5), 5);
}

TEST(IniFile, WritingKeepsForeignSectionsKeysAndComments) {
    TempDir dir;
    const std::string original = "; player settings\n[Options]\nMusic=1\n"
                                 "Extra=keep me\n\n[Mods]\nFoo=bar\n";
    WriteText(dir.File("Config.ini"), original);
    TIniFile ini(dir.File("config.ini"));
    ini.WriteBool("options", "Music", false);
    ini.WriteInteger("Options", "Depth", 16);
    ini.WriteString("New", "Key", "v");
    EXPECT_EQ(ReadText(dir.File("Config.ini")),
              "; player settings\n[Options]\nMusic=0\nExtra=keep me\nDepth=16\n\n"
              "[Mods]\nFoo=bar\n\n[New]\nKey=v\n");
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path),
                            std::filesystem::directory_iterator()),
              1);
    ini.DeleteKey("Mods", "foo");
    EXPECT_FALSE(ini.ValueExists("Mods", "Foo"));
}

TEST(IniFile, WritingKeepsTheFilesLineEnds) {
    TempDir dir;
    WriteText(dir.File("c.ini"), "[Options]\r\nMusic=1\r\n");
    TIniFile ini(dir.File("c.ini"));
    ini.WriteBool("Options", "Full", false);
    EXPECT_EQ(ReadText(dir.File("c.ini")), "[Options]\r\nMusic=1\r\nFull=0\r\n");
}

TEST(IniFile, AMissingFolderRaisesTheWriteError) {
    TempDir dir;
    TIniFile ini(dir.File("gone/c.ini"));
    EXPECT_THROW(ini.WriteBool("Options", "Music", false), EIniFileException);
}

TEST(IniFile, AnUnwritableFolderRaisesAndLeavesTheFileWhole) {
    TempDir dir;
    WriteText(dir.File("c.ini"), "[Options]\nMusic=1\n");
    WriteText(dir.File("compleated.cmp"), "old");
    namespace fs = std::filesystem;
    fs::permissions(dir.Path, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    testing_support::ExpectAsUnprivileged([&] {
        TIniFile ini(dir.File("c.ini"));
        bool refused = false;
        try {
            ini.WriteBool("Options", "Music", false);
        } catch (const EIniFileException& e) {
            refused = e.Message == "Unable to write to " + dir.File("c.ini");
        }
        bool atomicRefused = false;
        try {
            WriteFileAtomic(dir.File("compleated.cmp"), "new", 3);
        } catch (const EStreamError& e) {
            atomicRefused = e.Message.find("compleated.cmp") != std::string::npos;
        }
        // Both files whole, and no temporary left behind.
        return refused && atomicRefused && ReadText(dir.File("c.ini")) == "[Options]\nMusic=1\n" &&
               ReadText(dir.File("compleated.cmp")) == "old" &&
               std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()) == 2;
    });
}

TEST(IniFile, AFolderInTheFilesPlaceRaisesInsteadOfBeingReplaced) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path / "c.ini");
    TIniFile ini(dir.File("c.ini"));
    EXPECT_EQ(ini.ReadInteger("Options", "Depth", 32), 32);
    EXPECT_THROW(ini.WriteInteger("Options", "Depth", 16), EIniFileException);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path / "c.ini"));
}

TEST(IniFile, AnUnreadableFileGivesTheDefaults) {
    TempDir dir;
    WriteText(dir.File("c.ini"), "[Options]\nDepth=16\n");
    std::filesystem::permissions(dir.File("c.ini"), std::filesystem::perms::none);
    std::filesystem::permissions(dir.Path, std::filesystem::perms::all);
    testing_support::ExpectAsUnprivileged([&] {
        TIniFile ini(dir.File("c.ini"));
        return ini.ReadInteger("Options", "Depth", 32) == 32;
    });
}

TEST(IniFile, AByteOrderMarkIsSkippedOnReadingAndKeptOnWriting) {
    TempDir dir;
    for (const std::string newline : {"\n", "\r\n"}) {
        const std::string text = "\xEF\xBB\xBF[Options]" + newline + "Depth=16" + newline;
        WriteText(dir.File("c.ini"), text);
        TIniFile ini(dir.File("c.ini"));
        EXPECT_EQ(ini.ReadInteger("Options", "Depth", 32), 16);
        ini.WriteInteger("Options", "Depth", 32);
        // The one section changed in place, the mark and the line ends as they were.
        EXPECT_EQ(ReadText(dir.File("c.ini")),
                  "\xEF\xBB\xBF[Options]" + newline + "Depth=32" + newline);
    }
}

TEST(IniFile, AFileThatCannotBeReadIsReportedAndNeverReplaced) {
    TempDir dir;
    {
        std::ofstream big(dir.File("c.ini"), std::ios::binary);
        big << "[Options]\nDepth=16\n";
        big.seekp(TIniFile::kMaxIniFileSize);
        big.put('\n');
    }
    TIniFile ini(dir.File("c.ini"));
    EXPECT_EQ(ini.ReadInteger("Options", "Depth", 32), 32);
    EXPECT_NE(ini.ReadProblem().find("more than such a file can be (1 MB at most)"),
              std::string::npos);
    EXPECT_THROW(ini.WriteInteger("Options", "Depth", 16), EIniFileException);
    EXPECT_EQ(std::filesystem::file_size(dir.File("c.ini")), TIniFile::kMaxIniFileSize + 1);

    TIniFile missing(dir.File("none.ini"));
    EXPECT_EQ(missing.ReadProblem(), "");
}

TEST(IniFile, AReadOnlyOrUnreadableFileIsLeftAsItIs) {
    TempDir dir;
    namespace fs = std::filesystem;
    WriteText(dir.File("ro.ini"), "[Options]\nDepth=16\n");
    fs::permissions(dir.File("ro.ini"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    WriteText(dir.File("hidden.ini"), "[Options]\nDepth=16\n");
    fs::permissions(dir.File("hidden.ini"), fs::perms::owner_write);
    fs::permissions(dir.Path, fs::perms::all);
    testing_support::ExpectAsUnprivileged([&] {
        const auto refused = [](TIniFile ini) {
            try {
                ini.WriteInteger("Options", "Depth", 32);
            } catch (const EIniFileException& e) {
                return e.Message == "Unable to write to " + ini.FileName;
            }
            return false;
        };
        return refused(TIniFile(dir.File("ro.ini"))) && refused(TIniFile(dir.File("hidden.ini"))) &&
               ReadText(dir.File("ro.ini")) == "[Options]\nDepth=16\n" &&
               std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()) == 2;
    });
}
