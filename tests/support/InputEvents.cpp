#include "tests/support/InputEvents.h"

namespace testing_support {

uint32_t WindowIdOf(win::TForm& form) {
    form.Handle();
    return SDL_GetWindowID(static_cast<SDL_Window*>(form.NativeWindow()));
}

void PushKey(SDL_Scancode scancode, bool down, uint32_t windowId) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = windowId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&e);
}

void PushFocus(uint32_t windowId, bool gained) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId;
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
}

void PushMouseMotion(int dx, int dy, uint32_t windowId) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowId;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    SDL_PushEvent(&e);
}

void PushMouseWheel(int notches, uint32_t windowId) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = windowId;
    e.wheel.y = notches;
    e.wheel.preciseY = static_cast<float>(notches);
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&e);
}

void PushMouseButton(uint8_t button, bool down, uint32_t windowId) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    SDL_PushEvent(&e);
}

VirtualJoystick::VirtualJoystick(int axes, int buttons, int hats) {
    // Holding the subsystem keeps the virtual device listed while readers come and go.
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    const int index =
        SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    if (index >= 0)
        FJoystick = SDL_JoystickOpen(index);
}

VirtualJoystick::~VirtualJoystick() {
    Detach();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void VirtualJoystick::SetAxis(int axis, Sint16 value) {
    SDL_JoystickSetVirtualAxis(FJoystick, axis, value);
}

void VirtualJoystick::SetButton(int button, bool down) {
    SDL_JoystickSetVirtualButton(FJoystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualJoystick::SetHat(int hat, Uint8 value) {
    SDL_JoystickSetVirtualHat(FJoystick, hat, value);
}

void VirtualJoystick::Detach() {
    if (!FJoystick)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(FJoystick);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) {
            SDL_JoystickDetachVirtual(index);
            break;
        }
    }
    SDL_JoystickClose(FJoystick);
    FJoystick = nullptr;
}

} // namespace testing_support
