// The five full-screen pictures of the Space theme, with the labels the game does not draw
// itself, and the plainer full-screen pictures of the built-in set.
#pragma once

#include "platform/rtl/Pictures.h"

#include <string>
#include <vector>

namespace art {

rtl::TPixels MenuScreen();
rtl::TPixels LevelScreen();
rtl::TPixels OptionsScreen();
rtl::TPixels CreditsScreen();
rtl::TPixels GameScreen();

// The credits as lines of text: a line starting with "#" is a heading.
const std::vector<std::string>& CreditLines();

// A starry sky without nebulae (small as PNG) with a centred title and optional lines under it.
rtl::TPixels PlainScreen(const std::string& title, const std::vector<std::string>& lines,
                         uint64_t seed);
// The game's name as a logo, on transparent.
rtl::TPixels Logo(int width, int height);

} // namespace art
