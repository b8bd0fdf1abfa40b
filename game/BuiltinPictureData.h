// The data behind BuiltinPictures.h, defined in a source that the build generates with the art
// tool (art embed). Only BuiltinPictures.cpp should need these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace builtin_data {

// The form's 34 built-in pictures in the theme-file encoding.
extern const uint8_t PictureStream[];
extern const size_t PictureStreamSize;

// The mouse pointer: CursorWidth x CursorHeight pixels, 0xAARRGGBB, rows top to bottom.
extern const uint32_t CursorArgb[];
extern const int CursorWidth;
extern const int CursorHeight;
extern const int CursorHotSpotX;
extern const int CursorHotSpotY;

} // namespace builtin_data
