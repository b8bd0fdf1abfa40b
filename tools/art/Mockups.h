// Screens put together from a theme the way the game draws them: every picture at its place and
// size, the level list printed with the theme's bitmap font. For looking at a theme as a player
// would see it, without running the game.
#pragma once

#include "platform/rtl/Pictures.h"

#include <map>
#include <string>

namespace art {

// Keyed by screen name: "menu", "level-selection", "options", "game", "dialog", "credits".
// Reads "Space.OIL" and "Space.ini" from themeDir.
std::map<std::string, rtl::TPixels> Mockups(const std::string& themeDir);

} // namespace art
