// Synthetic input: key, mouse, text and focus events put into the queue the window system fills,
// as the system's SendInput does. The message translation turns them into window messages and the
// DirectInput layer's event watch sees them, exactly as it sees real devices, so a scripted run
// drives the whole program through its ordinary input paths.
//
// Relies on: SDL's event queue (SDL_PushEvent runs the event watches at once, so the DirectInput
// key table changes when a key is sent, not when the queue is read).
// Limits: no key repeat while a key is held; the mouse position reported by SDL's own state is
// not changed, only the events carry it; a form without a window gets one made.
#pragma once

#include "platform/win/Forms.h"

#include <string>

namespace win {

// Whether SDL has a key of that name.
bool IsKeyName(const std::string& keyName);

// The key that SDL calls keyName ("Left", "Escape", "U", "Return", "Keypad 7"), pressed or
// released over the form's window. False, with nothing sent, when no key has that name.
bool SendKey(TForm& form, const std::string& keyName, bool down);

// The pointer moved to (x, y) in window pixels.
void SendMouseMove(TForm& form, int x, int y);
// A mouse button (0 left, 1 right, 2 middle) pressed or released at (x, y), window pixels.
void SendMouseButton(TForm& form, int button, bool down, int x, int y);

// Text typed into the window, UTF-8, one text event per character (as an input method sends).
void SendText(TForm& form, const std::string& utf8);

// The form's window gains or loses the input focus. A window system with no window manager (the
// dummy video driver, a bare X server) never gives it by itself.
void SendFocus(TForm& form, bool gained);

} // namespace win
