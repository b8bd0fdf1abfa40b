// Injected input for tests: SDL events pushed onto SDL's queue, which drive the program (and the
// DirectInput layer's event watch) exactly like a real keyboard, mouse and window system, and
// SDL virtual joysticks standing in for game controllers.
#pragma once

#include "platform/win/Forms.h"

#include <SDL.h>

namespace testing_support {

// The SDL window id of a form, creating its window if needed.
uint32_t WindowIdOf(win::TForm& form);

void PushKey(SDL_Scancode scancode, bool down, uint32_t windowId = 0);
void PushFocus(uint32_t windowId, bool gained);
void PushMouseMotion(int dx, int dy, uint32_t windowId = 0);
void PushMouseWheel(int notches, uint32_t windowId = 0);
void PushMouseButton(uint8_t button, bool down, uint32_t windowId = 0);

// An attached virtual joystick, detached again when destroyed. Values set here reach readers
// at the next SDL_JoystickUpdate (which polling a DirectInput joystick performs).
class VirtualJoystick {
public:
    VirtualJoystick(int axes, int buttons, int hats);
    ~VirtualJoystick();
    VirtualJoystick(const VirtualJoystick&) = delete;
    VirtualJoystick& operator=(const VirtualJoystick&) = delete;

    bool Attached() const { return FJoystick != nullptr; }
    void SetAxis(int axis, Sint16 value);
    void SetButton(int button, bool down);
    void SetHat(int hat, Uint8 value);
    void Detach();

private:
    SDL_Joystick* FJoystick = nullptr;
};

} // namespace testing_support
