// The board's pictures, seen from above at 64 x 64: a steel wall plate that tiles, the pusher
// (a small rover facing right, which the game turns), a glowing target zone, and a cargo crate
// with a transparent margin through which a zone's glow shows when it stands on one. Also the
// mouse pointer.
#pragma once

#include "platform/rtl/Pictures.h"

namespace art {

rtl::TPixels Wall(int size);
rtl::TPixels Pusher(int size);
rtl::TPixels Zone(int size);
rtl::TPixels Crate(int size);
// A lamp's glow on black, for pictures keyed on black.
rtl::TPixels Light(int size);

struct Pointer {
    rtl::TPixels Pixels;
    int HotSpotX, HotSpotY;
};
Pointer MousePointer();

} // namespace art
