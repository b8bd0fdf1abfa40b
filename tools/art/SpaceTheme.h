// The Space theme: the 40 pictures in the order of their roles in the game, and the theme
// description that places the menu buttons painted for them.
#pragma once

#include "game/ThemeRoles.h"
#include "tools/oil/Theme.h"

#include <string>
#include <vector>

namespace art {

std::vector<oil::ThemePicture> SpaceThemePictures();
// The "Themes/Space.ini" text: section [Space], Rotation and the menu button places.
std::string SpaceThemeIni();

// JPEG quality of the full-screen pictures.
constexpr int kBackgroundQuality = 90;

} // namespace art
