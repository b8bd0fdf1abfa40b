// Message boxes, the beep, the mouse cursor, and headless mode.
//
// On a desktop, message boxes are SDL's, or where SDL cannot show one (no X core fonts, no
// helper program on Wayland) the platform's own window (MessageWindow.h). Headless (tests, the
// scripted player, a machine with no display), nothing is shown: each box is recorded with its
// text, caption and buttons, printed to stderr so logs still tell what happened, and answered
// with a configurable default.
#pragma once

#include "platform/win/Messages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace win {

// MessageBox type flags.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNOCANCEL = 0x03;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = MB_ICONERROR;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

// MessageBox answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Text and caption are Windows-1252, like all of the program's own text. Returns the button
// pressed (IDCANCEL when the box could not be shown and has a Cancel button, else its first).
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
void MessageBeep(UINT type);

struct RecordedMessageBox {
    std::string Text;
    std::string Caption;
    UINT Type = 0;
};

// Must be chosen before the application initialises SDL: it selects SDL's dummy video and audio
// drivers (unless a driver was asked for explicitly) as well as recording message boxes.
void SetHeadless(bool headless);
bool IsHeadless();
std::vector<RecordedMessageBox>& RecordedMessageBoxes();
int BeepCount();
// The answer headless boxes give; a box without that button answers with its first button.
void SetHeadlessAnswer(int answer);

// ---- Cursor ---------------------------------------------------------------------------------

// The display counter: the cursor shows while it is at least 0. Returns the new count.
int ShowCursor(bool show);

struct CursorImage;
using HCURSOR = CursorImage*;

// A cursor from 32-bit ARGB pixels (row by row, width * height) with its hot spot; nullptr when
// the platform cannot make one. Cursors live until the application ends.
HCURSOR CreateCursorFromPixels(const uint32_t* argb, int width, int height, int hotX, int hotY);
// The application's cursor table: registers a cursor under a number, and makes a number the
// one shown over the program's windows (0 is the system arrow).
void RegisterCursor(int id, HCURSOR cursor);
HCURSOR RegisteredCursor(int id);
void SelectCursor(int id);
void ReleaseCursors();

} // namespace win
