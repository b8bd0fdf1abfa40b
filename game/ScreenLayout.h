// Where the game puts things on its 1024 x 768 screens, and the sizes the Space theme gives the
// pictures that fill them. The game places its widgets and text here; the art tool paints the
// backgrounds around these places, and its mock-ups and tests put the widgets on them.
#pragma once

namespace layout {

struct Point {
    int X, Y;
};

struct Rgb {
    int R, G, B;
};

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kCell = 64; // board cells, and the size of the four board sprites
// A step of the pusher is animated in moves of kStepSize pixels, one per frame: a step ends
// after kStepsPerCell of them.
constexpr int kStepSize = 2;
constexpr int kStepsPerCell = kCell / kStepSize;
static_assert(kCell % kStepSize == 0, "a step must end exactly on the next cell");
// Steps queued by a click or a hint run that many moves a frame: a cell in 8 frames.
constexpr int kFastMovesPerFrame = 4;
static_assert(kStepsPerCell % kFastMovesPerFrame == 0, "a fast step must end on its cell too");

// The line the hint writes on the board (the font's cells are kFontCellWidth wide), centred
// at the top, and the colours of the comforts' marks: picked object, objects that can no
// longer reach a zone, and the cells the picked object can be pushed to (alpha, red, green,
// blue).
constexpr int kNoteTop = 6;
constexpr Rgb kNoteColour = {255, 236, 150};
constexpr Rgb kSelectedTint = {140, 205, 255};
constexpr Rgb kLostTint = {255, 90, 90};
constexpr unsigned kTargetMark = 0x70A0D8FFu;

// Menu buttons (all five are stretched to the size of rNewGameOther; rLoad is also drawn at its
// own size as the level-selection go button, so the two share one size). The game reads their
// places from the theme's description; these are the ones the Space theme writes there.
constexpr int kMenuButtonWidth = 160;
constexpr int kMenuButtonHeight = 32;
constexpr Point kMenuButtonPlaces[5] = {{432, 318}, {432, 366}, {432, 414}, {432, 462}, {432, 510}};

// The one-line buttons: back, undo, restart, OK, yes, no.
constexpr int kBarButtonWidth = 160;
constexpr int kBarButtonHeight = 20;

// In-game bar at the lower right.
constexpr Point kUndo = {819, 663};
constexpr Point kRestart = {819, 684};
constexpr Point kGameBack = {819, 705};
// The counters: two lines under the bar, right-aligned, inside the board's corner that no
// level may use (columns 12..15 of rows 10..11).
constexpr int kCountersRight = 1016;
constexpr int kCountersTop = 729;

// Level selection.
constexpr Point kLevelEdit = {60, 730};
constexpr int kEditWidth = 160, kEditHeight = 20;
constexpr Point kGo = {220, 730};
constexpr Point kLoadBack = {384, 730};
constexpr int kStatusLeft[2] = {133, 574}; // where the game prints Completed / Incompleted
constexpr int kFirstRowTop = 84;           // top of level 1 and of level 26
constexpr int kRowPitch = 19;
constexpr int kLevelsPerColumn = 25;
// The status text's colour: won levels light, the others grey.
constexpr Rgb kCompletedColour = {203, 223, 223};
constexpr Rgb kIncompletedColour = {114, 114, 114};
// A won level's best (moves / pushes) after its "Completed", in smaller type so that it stays
// inside the list's panel, its baseline on the status text's.
constexpr int kListedBestGap = 6;
constexpr float kListedBestScale = 0.75f;
constexpr int kListedBestDown = 4;
constexpr Rgb kListedBestColour = {150, 190, 210};

// Options.
constexpr Point kOk = {56, 728};
constexpr Point kOptionsBack = {220, 728};
constexpr Point kAntialiasBox = {285, 182};
constexpr Point kMusicBox = {285, 211};
constexpr Point kFullScreenBox = {285, 240};
constexpr int kTickSize = 21;
constexpr Point kDepth32 = {149, 317};
constexpr Point kDepth16 = {224, 317};
constexpr int kDepthWidth = 67, kDepthHeight = 27;

// Confirmation dialog: the panel sits in the middle of the screen, the two answers inside its
// lower edge, symmetric about its centre line.
constexpr Point kPanel = {287, 259};
constexpr int kPanelWidth = 450, kPanelHeight = 250;
constexpr Point kYes = {350, 481};
constexpr Point kNo = {514, 481};

// Bitmap font: 96 cells, 16 to a row.
constexpr int kFontCellWidth = 11;
constexpr int kFontCellHeight = 18;
constexpr int kFontBaseline = 14; // from the top of a cell
constexpr int kFontColumns = 16;
constexpr int kFontRows = 6;

} // namespace layout
