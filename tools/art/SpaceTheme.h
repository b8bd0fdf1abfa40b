// The Space theme: the 40 pictures in the order of their roles in the game, and the theme
// description that places the menu buttons painted for them.
#pragma once

#include "tools/oil/Theme.h"

#include <string>
#include <vector>

namespace art {

constexpr int kThemeRoleCount = 40;

// Picture indices by role, as the game uses them.
enum Role {
    rWall = 0,
    rPusher = 1,
    rZone = 2,
    rCrate = 3,
    rEditBox = 4,
    rTickOff = 5,
    rTickOn = 6,
    rOptionsScreen = 7,
    rLevelScreen = 8,
    rDepth16On = 9,
    rNewGame = 10,
    rNewGameOther = 11,
    rFont = 12,
    rLoad = 13,
    rLoadOther = 14,
    rOptions = 15,
    rOptionsOther = 16,
    rExit = 17,
    rExitOther = 18,
    rYes = 19,
    rYesOther = 20,
    rNo = 21,
    rNoOther = 22,
    rDialog = 23,
    rMenuScreen = 24,
    rCreditsScreen = 25,
    rCredits = 26,
    rCreditsOther = 27,
    rBack = 28,
    rBackOther = 29,
    rUndo = 30,
    rUndoOther = 31,
    rRestart = 32,
    rRestartOther = 33,
    rGameScreen = 34,
    rDepth16Off = 35,
    rDepth32On = 36,
    rDepth32Off = 37,
    rOkOther = 38,
    rOk = 39,
};

std::vector<oil::ThemePicture> SpaceThemePictures();
// The "Themes/Space.ini" text: section [Space], Rotation and the menu button places.
std::string SpaceThemeIni();

// JPEG quality of the full-screen pictures.
constexpr int kBackgroundQuality = 90;

} // namespace art
