// The 34 pictures the game form carries before any theme is loaded, under the names and tile
// sizes the form gives them, and the program's mouse pointer; and the C++ source that embeds
// both in the program.
#pragma once

#include "tools/oil/Theme.h"

#include <string>
#include <vector>

namespace art {

std::vector<oil::ThemePicture> BuiltinPictures();

// A C++ source defining the data declared in game/BuiltinPictureData.h: the built-in pictures
// as one theme-encoded stream, and the pointer's pixels and hot spot.
std::string EmbeddedSource();

} // namespace art
