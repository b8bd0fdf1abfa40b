// Translation of SDL's key codes into the virtual-key codes of WM_KEYDOWN.
#pragma once

#include "platform/win/Messages.h"

namespace win {

// 0 for keys that have no virtual-key code.
UINT VirtualKeyFromSDL(int sdlKeycode);

} // namespace win
