// The browser build's hardware device: there is none. The OpenGL device needs desktop OpenGL 3.3
// through libepoxy, which a page does not offer (WebGL 2 lacks its BGRA transfers, 16-bit
// formats and texture level queries), so the device choice always ends at the software device.
#include "platform/d3d/HardwareDevice.h"

namespace d3d {

bool HardwarePresent() {
    return false;
}

std::unique_ptr<Device> CreateHardwareDevice(HWND, bool) {
    return nullptr;
}

} // namespace d3d
