#include "platform/win/SysColors.h"

namespace win {

namespace {

constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// The classic scheme, by system colour index (25 is unassigned).
constexpr uint32_t kSysColors[] = {
    RGB(212, 208, 200), // 0 scroll bar
    RGB(58, 110, 165),  // 1 desktop
    RGB(10, 36, 106),   // 2 active caption
    RGB(128, 128, 128), // 3 inactive caption
    RGB(212, 208, 200), // 4 menu
    RGB(255, 255, 255), // 5 window
    RGB(0, 0, 0),       // 6 window frame
    RGB(0, 0, 0),       // 7 menu text
    RGB(0, 0, 0),       // 8 window text
    RGB(255, 255, 255), // 9 caption text
    RGB(212, 208, 200), // 10 active border
    RGB(212, 208, 200), // 11 inactive border
    RGB(128, 128, 128), // 12 application workspace
    RGB(10, 36, 106),   // 13 highlight
    RGB(255, 255, 255), // 14 highlight text
    RGB(212, 208, 200), // 15 button face
    RGB(128, 128, 128), // 16 button shadow
    RGB(128, 128, 128), // 17 grey text
    RGB(0, 0, 0),       // 18 button text
    RGB(212, 208, 200), // 19 inactive caption text
    RGB(255, 255, 255), // 20 button highlight
    RGB(64, 64, 64),    // 21 3-D dark shadow
    RGB(212, 208, 200), // 22 3-D light
    RGB(0, 0, 0),       // 23 tooltip text
    RGB(255, 255, 225), // 24 tooltip background
    RGB(0, 0, 0),       // 25 unassigned
    RGB(0, 0, 128),     // 26 hot-tracked item
    RGB(166, 202, 240), // 27 active caption gradient
    RGB(192, 192, 192), // 28 inactive caption gradient
    RGB(10, 36, 106),   // 29 menu highlight
    RGB(212, 208, 200), // 30 menu bar
};

} // namespace

uint32_t GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(sizeof kSysColors / sizeof kSysColors[0]))
        return 0;
    return kSysColors[index];
}

bool IsSysColor(TColor color) {
    return (static_cast<uint32_t>(color) & 0xFFFFFF00u) == 0xFF000000u;
}

uint32_t ColorToRGB(TColor color) {
    if (IsSysColor(color))
        return GetSysColor(static_cast<int>(static_cast<uint32_t>(color) & 0xFF));
    return static_cast<uint32_t>(color) & 0x00FFFFFFu;
}

} // namespace win
