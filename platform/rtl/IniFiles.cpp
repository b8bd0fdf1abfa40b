#include "platform/rtl/IniFiles.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace rtl {

namespace {

// What editors put before the text to say it is UTF-8; it is no part of the first line.
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

// "[name]" -> name; empty when the line is not a section header.
bool SectionName(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key = value" -> key, value (value unquoted when wrapped in matching quotes).
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[')
        return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

// Where section starts (the header's index) and ends (one past its last line); npos when the
// file has no such section. The first section of that name counts.
struct SectionRange {
    size_t header = std::string::npos;
    size_t end = std::string::npos;
};

SectionRange FindSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionRange range;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (!SectionName(lines[i], name))
            continue;
        if (range.header != std::string::npos) {
            range.end = i;
            return range;
        }
        if (SameText(name, section))
            range.header = i;
    }
    if (range.header != std::string::npos)
        range.end = lines.size();
    return range;
}

size_t FindKey(const std::vector<std::string>& lines, const SectionRange& range,
               const std::string& key, std::string* value) {
    if (range.header == std::string::npos)
        return std::string::npos;
    for (size_t i = range.header + 1; i < range.end; ++i) {
        std::string k, v;
        if (KeyValue(lines[i], k, v) && SameText(k, key)) {
            if (value)
                *value = v;
            return i;
        }
    }
    return std::string::npos;
}

bool ParseIniInteger(const std::string& text, int32_t& value) {
    const std::string t = Trim(text);
    std::string digits;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        digits = t.substr(2);
    else if (t.size() > 1 && t[0] == '$')
        digits = t.substr(1);
    else
        return TryStrToInt(t, value);
    if (digits.empty() || digits.size() > 8)
        return false;
    uint32_t v = 0;
    for (const char c : digits) {
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    value = static_cast<int32_t>(v);
    return true;
}

} // namespace

bool TIniFile::LoadLines(TIniText& text, std::string* problem) const {
    text = TIniText();
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadFileBytes(FileName, kMaxIniFileSize);
    } catch (const EStreamError& e) {
        struct stat st {};
        if (::stat(ResolvePath(FileName).c_str(), &st) != 0 && errno == ENOENT)
            return true; // no file yet: nothing to lose, every key has its default
        if (problem)
            *problem = e.Message;
        return false;
    }
    std::string all(bytes.begin(), bytes.end());
    if (all.rfind(kUtf8Bom, 0) == 0) {
        all.erase(0, std::strlen(kUtf8Bom));
        text.Bom = true;
    }
    size_t pos = 0;
    bool first = true;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (first)
                text.Newline.assign("\r\n"); // keep the file's own line ends when rewriting it
        }
        first = false;
        text.Lines.push_back(std::move(line));
    }
    return true;
}

TIniFile::TIniText TIniFile::LoadForWriting() const {
    TIniText text;
    // A file that is there but cannot be read would lose everything else it holds.
    if (!LoadLines(text, nullptr))
        throw EIniFileException("Unable to write to " + FileName);
    return text;
}

void TIniFile::SaveLines(const TIniText& text) const {
    std::string all = text.Bom ? kUtf8Bom : "";
    for (const std::string& line : text.Lines)
        all += line + text.Newline;
    try {
        WriteFileAtomic(FileName, all.data(), all.size());
    } catch (const EStreamError&) {
        throw EIniFileException("Unable to write to " + FileName);
    }
}

std::string TIniFile::ReadProblem() const {
    TIniText text;
    std::string problem;
    LoadLines(text, &problem);
    return problem;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    TIniText text;
    LoadLines(text, nullptr);
    const std::vector<std::string>& lines = text.Lines;
    std::string value;
    if (FindKey(lines, FindSection(lines, section), key, &value) == std::string::npos)
        return fallback;
    return value;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t fallback) const {
    int32_t value = 0;
    return ParseIniInteger(ReadString(section, key, ""), value) ? value : fallback;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    TIniText text = LoadForWriting();
    std::vector<std::string>& lines = text.Lines;
    const SectionRange range = FindSection(lines, section);
    const std::string entry = key + "=" + value;
    if (range.header == std::string::npos) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else if (const size_t at = FindKey(lines, range, key, nullptr); at != std::string::npos) {
        lines[at] = entry;
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t insert = range.end;
        while (insert > range.header + 1 && Trim(lines[insert - 1]).empty())
            --insert;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), entry);
    }
    SaveLines(text);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
    TIniText text;
    LoadLines(text, nullptr);
    return FindSection(text.Lines, section).header != std::string::npos;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    TIniText text;
    LoadLines(text, nullptr);
    const std::vector<std::string>& lines = text.Lines;
    return FindKey(lines, FindSection(lines, section), key, nullptr) != std::string::npos;
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    TIniText text = LoadForWriting();
    std::vector<std::string>& lines = text.Lines;
    const size_t at = FindKey(lines, FindSection(lines, section), key, nullptr);
    if (at == std::string::npos)
        return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    SaveLines(text);
}

} // namespace rtl
