// The Direct3D 8 object: the adapter's display mode and device creation.
//
// Stands in for IDirect3D8 and Direct3DCreate8. There is one adapter, the display SDL reports
// first. A hardware device (D3DDEVTYPE_HAL) is our OpenGL device and needs a window whose
// OpenGL context can be made and a GPU drawing it; the reference and software types make a
// SoftDevice, which needs no window at all. When no hardware device can be had the caller is
// told D3DERR_NOTAVAILABLE and asks for the software one (the display layer does), with the
// OpenGL driver unloaded again by then.
//
// KOSMORRA_DEVICE overrides the choice for hardware requests: "gl" takes OpenGL even when the
// processor draws it (tests and benchmarks compare the devices on Mesa's llvmpipe), "soft"
// never loads OpenGL at all.
//
// Relies on: SDL's video subsystem being started (the application does it); without it there
// is no Direct3D object, as on a system without Direct3D.
#pragma once

#include "platform/d3d/Device.h"

#include <memory>

namespace d3d {

class Direct3D8 {
public:
    UINT GetAdapterCount() const { return 1; }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) const;
    // The device renders into params->hDeviceWindow, or focusWindow when that is null.
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, std::unique_ptr<Device>* device);
};

// nullptr when the SDK version is not D3D_SDK_VERSION or there is no display subsystem.
std::unique_ptr<Direct3D8> Direct3DCreate8(UINT sdkVersion);

// What KOSMORRA_DEVICE asks of hardware requests. An unknown value is reported on stderr and
// leaves the choice to the device.
enum class DeviceOverride { None, OpenGL, Software };
DeviceOverride DeviceOverrideFrom(const char* value);

// Test hooks: make creation fail as it would on a machine without the piece in question.
struct CreationFaults {
    bool NoDirect3D = false; // Direct3DCreate8 returns nullptr
    bool NoHardware = false; // D3DDEVTYPE_HAL devices cannot be made
    bool NoSoftware = false; // D3DDEVTYPE_REF and D3DDEVTYPE_SW devices cannot be made
};
void SetCreationFaults(const CreationFaults& faults);

} // namespace d3d
