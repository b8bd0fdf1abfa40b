// INI files with the semantics the game's configuration was written for: section and key names
// ignore letter case; a missing file, section or key yields the caller's default; booleans are
// integers (0 false, anything else true) and are written as 1 or 0. Every read looks at the
// file as it is now, and every write replaces the file atomically (a temporary file renamed
// over it), keeping other sections, keys and comments, so a crash never leaves half a file.
// Text as editors write it: a UTF-8 byte-order mark is skipped and written back, CRLF or LF line
// ends are kept. A file that is there but cannot be read (a folder, a pipe, no permission, more
// than kMaxIniFileSize) reads as missing, and is never replaced, since that would lose it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rtl {

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : FileName(std::move(fileName)) {}

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // A value that is not a decimal integer (or "0x"/"$" hexadecimal) yields the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    // Raise EIniFileException "Unable to write to <file>" when the file cannot be replaced.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Why the file cannot be read, as the open error's message; empty when it can, or when
    // there is no file.
    std::string ReadProblem() const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void DeleteKey(const std::string& section, const std::string& key);

    const std::string FileName;

    // Settings are a few lines: a larger file is no settings file, and is not read.
    static constexpr int64_t kMaxIniFileSize = 1 << 20;

private:
    struct TIniText {
        std::vector<std::string> Lines;
        std::string Newline = "\n";
        bool Bom = false;
    };
    // False (and the reason in problem) when the file exists but cannot be read.
    bool LoadLines(TIniText& text, std::string* problem) const;
    // The text to change; raises EIniFileException when the file exists but cannot be read.
    TIniText LoadForWriting() const;
    void SaveLines(const TIniText& text) const;
};

} // namespace rtl
