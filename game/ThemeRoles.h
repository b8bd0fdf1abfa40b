// The pictures by the part they play. A theme file holds its pictures in the order of their roles
// below (the game draws picture rMenuScreen as the menu's background, and so on); the art tool
// paints them in that order and the theme tool labels them by it. The built-in pictures, the image
// list's content until a theme is loaded, are another set in an order of their own.
#pragma once

// Roles of a theme's pictures. The "Other" picture of a button is the one shown while the pointer
// is over it or it is pressed.
enum TThemeRole : int {
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

// Pictures the game's screens draw: a theme must provide at least these.
constexpr int kThemeRoleCount = 40;

// The characters of the font picture's cells, in order. The at sign and both square brackets
// occur twice; the font takes the first of each.
constexpr const char kFontCharacters[] = " !@#$%&\"()*+,-./0123456789:;<=>?@"
                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                                         "abcdefghijklmnopqrstuvwxyz[~]{}";

// The roles as a reviewer reads them, by index.
constexpr const char* kThemeRoleNames[kThemeRoleCount] = {
    "wall",         "pusher",
    "zone",         "crate",
    "edit box",     "tick off",
    "tick on",      "options screen",
    "level screen", "16-bit on",
    "new game",     "new game over",
    "font",         "load",
    "load over",    "options",
    "options over", "exit",
    "exit over",    "yes",
    "yes over",     "no",
    "no over",      "dialog",
    "menu screen",  "credits screen",
    "credits",      "credits over",
    "back",         "back over",
    "undo",         "undo over",
    "restart",      "restart over",
    "game screen",  "16-bit off",
    "32-bit on",    "32-bit off",
    "OK over",      "OK",
};

// The built-in pictures, in the order the program carries them. They fill the image list only
// until the theme is loaded at start-up.
enum TBuiltinPicture : int {
    bpPusher = 0,
    bpCrate,
    bpWall,
    bpLight,
    bpBigButton,
    bpLoad,
    bpDemoScreen,
    bpLogIn,
    bpCredits,
    bpHallOfFame,
    bpExit,
    bpCreditsOther,
    bpExitOther,
    bpHallOfFameOther,
    bpLogInOther,
    bpLoadGameOther,
    bpNewGameOther,
    bpNewGameOtherAgain,
    bpEditBox,
    bpStar,
    bpZoneTaken,
    bpRestart,
    bpBack,
    bpUndo,
    bpMusicOff,
    bpTitleScreen,
    bpCreditsScreen,
    bpLoadScreen,
    bpBackOther,
    bpBackButton,
    bpLevelNumber,
    bpBlock,
    bpMiniLogo,
    bpLastScreen,
    kBuiltinPictureCount
};
static_assert(kBuiltinPictureCount == 34);
