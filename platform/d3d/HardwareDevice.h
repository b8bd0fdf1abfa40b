// The hardware device of this build, as the device choice sees it: on a desktop the OpenGL
// device (gl/GlDevice.h); the browser build has none and always draws in software.
#pragma once

#include "platform/d3d/Device.h"

#include <memory>

namespace d3d {

// Whether a GPU could draw here, judged without loading a driver.
bool HardwarePresent();
// The hardware device in the window, or nullptr when none can be made (a CPU rasterizer as the
// renderer counts only when accepted).
std::unique_ptr<Device> CreateHardwareDevice(HWND window, bool acceptCpuRenderer);

} // namespace d3d
