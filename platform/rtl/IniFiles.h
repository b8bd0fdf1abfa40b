// INI files with the semantics the game's configuration was written for: section and key names
// ignore letter case; a missing file, section or key yields the caller's default; booleans are
// integers (0 false, anything else true) and are written as 1 or 0. Every read looks at the
// file as it is now, and every write replaces the file atomically (a temporary file renamed
// over it), keeping other sections, keys and comments, so a crash never leaves half a file.
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

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void DeleteKey(const std::string& section, const std::string& key);

    const std::string FileName;

private:
    std::vector<std::string> LoadLines(std::string& newline) const;
    void SaveLines(const std::vector<std::string>& lines, const std::string& newline) const;
};

} // namespace rtl
