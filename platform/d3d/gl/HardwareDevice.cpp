#include "platform/d3d/HardwareDevice.h"

#include "platform/d3d/gl/GlDevice.h"

namespace d3d {

bool HardwarePresent() {
    return GlDevice::GpuPresent();
}

std::unique_ptr<Device> CreateHardwareDevice(HWND window, bool acceptCpuRenderer) {
    return GlDevice::Create(window, acceptCpuRenderer);
}

} // namespace d3d
