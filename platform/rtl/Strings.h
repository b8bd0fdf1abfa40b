// String helpers. Text inside the engine and the game is Windows-1252 bytes (the bitmap font's
// character list, typed characters, file names from the data); it becomes UTF-8 only at the
// edges where the platform wants it (window captions, message boxes).
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

std::string Trim(const std::string& text);
std::string UpperCase(const std::string& text); // ASCII letters only
bool SameText(const std::string& a, const std::string& b);

// Windows-1252 byte for a Unicode code point; false when the code point has none.
bool UnicodeToWin1252(uint32_t codePoint, uint8_t& byte);
uint32_t Win1252ToUnicode(uint8_t byte);

// Whole-string conversions. Code points without a Windows-1252 byte, and malformed UTF-8, are
// dropped rather than guessed.
std::string Utf8ToWin1252(const std::string& utf8);
std::string Win1252ToUtf8(const std::string& text);

} // namespace rtl
