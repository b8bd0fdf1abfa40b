// Platform colours: 32-bit values with red in the low byte (0x00BBGGRR), as pictures' colour
// keys and theme files name them. Values 0xFF000000 + n stand for system colour n and are
// resolved by whoever turns them into pixels.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// "clBlack" -> 0, "clBtnFace" -> 0xFF00000F, ...; case-insensitive. False for unknown names.
bool IdentToColor(const std::string& ident, TColor& color);
// The identifier naming color, or false when it has none (then it is written as a number).
bool ColorToIdent(TColor color, std::string& ident);

} // namespace rtl
