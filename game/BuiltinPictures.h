// Pictures the program carries inside itself: the main form's 34 built-in image-list pictures
// (the list's content until a theme is loaded) and the "CURSOR" mouse pointer.
#pragma once

#include "platform/rtl/Pictures.h"

#include <cstdint>
#include <vector>

// The built-in pictures as a component stream in the theme-file encoding: root
// "TImageListCollectionComponent" with a "List" collection of 34 items.
const std::vector<uint8_t>& BuiltinPictureStream();

struct TBuiltinCursor {
    rtl::TPixels Pixels; // 0xAARRGGBB, transparent around the pointer
    int HotSpotX = 0;    // the pixel that points
    int HotSpotY = 0;
};

// The pointer installed as the application's cursor "CURSOR".
const TBuiltinCursor& BuiltinCursor();
