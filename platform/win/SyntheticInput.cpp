#include "platform/win/SyntheticInput.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>

namespace win {

namespace {

uint32_t WindowIdOf(TForm& form) {
    form.Handle();
    return SDL_GetWindowID(static_cast<SDL_Window*>(form.NativeWindow()));
}

uint8_t SdlButton(int button) {
    switch (button) {
    case 1:
        return SDL_BUTTON_RIGHT;
    case 2:
        return SDL_BUTTON_MIDDLE;
    default:
        return SDL_BUTTON_LEFT;
    }
}

// Bytes in the UTF-8 sequence that starts with lead (1 for a stray continuation byte).
size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

bool IsKeyName(const std::string& keyName) {
    return SDL_GetScancodeFromName(keyName.c_str()) != SDL_SCANCODE_UNKNOWN;
}

bool SendKey(TForm& form, const std::string& keyName, bool down) {
    const SDL_Scancode scancode = SDL_GetScancodeFromName(keyName.c_str());
    if (scancode == SDL_SCANCODE_UNKNOWN)
        return false;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = WindowIdOf(form);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&e);
    return true;
}

void SendMouseMove(TForm& form, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = WindowIdOf(form);
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

void SendMouseButton(TForm& form, int button, bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = WindowIdOf(form);
    e.button.button = SdlButton(button);
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void SendText(TForm& form, const std::string& utf8) {
    const uint32_t window = WindowIdOf(form);
    for (size_t i = 0; i < utf8.size();) {
        const size_t n = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = window;
        std::memcpy(e.text.text, utf8.data() + i, n);
        SDL_PushEvent(&e);
        i += n;
    }
}

void SendFocus(TForm& form, bool gained) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = WindowIdOf(form);
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
}

} // namespace win
