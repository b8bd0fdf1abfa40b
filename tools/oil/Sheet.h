// A contact sheet of a theme file for review: every picture on a checkerboard (which shows its
// transparency), with its index, name, pixel size, class, tile size, colour key and the role it
// plays in the game.
#pragma once

#include "platform/rtl/Pictures.h"
#include "tools/oil/Theme.h"

#include <string>
#include <vector>

namespace oil {

// Pictures larger than a cell are shown smaller, small ones twice their size; the label says so.
rtl::TPixels ContactSheet(const std::vector<ThemePicture>& pictures, const std::string& title);

} // namespace oil
