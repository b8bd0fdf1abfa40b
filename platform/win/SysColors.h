// Platform colours and the system colour table.
//
// A platform colour (TColor) holds red in its low byte, then green and blue (0x00BBGGRR). The
// values 0xFF0000nn name system colour nn instead; they resolve to the colours of the classic
// desktop scheme, the same on every machine, since we have no desktop scheme to ask.
#pragma once

#include "platform/rtl/Colors.h"

#include <cstdint>

namespace win {

// The one platform colour type, shared with the colour names of picture lists.
using rtl::TColor;

constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;

// 0x00BBGGRR of system colour index (0 for an index outside the table).
uint32_t GetSysColor(int index);
bool IsSysColor(TColor color);
// The colour's 0x00BBGGRR value, system colours resolved.
uint32_t ColorToRGB(TColor color);

} // namespace win
