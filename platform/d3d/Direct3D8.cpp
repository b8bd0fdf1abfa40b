#include "platform/d3d/Direct3D8.h"

#include "platform/d3d/DeviceWindow.h"
#include "platform/d3d/HardwareDevice.h"
#include "platform/d3d/soft/SoftDevice.h"
#include "platform/win/Forms.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace d3d {

namespace {

CreationFaults& Faults() {
    static CreationFaults faults;
    return faults;
}

DeviceOverride FromEnvironment() {
    return DeviceOverrideFrom(std::getenv("KOSMORRA_DEVICE"));
}

} // namespace

DeviceOverride DeviceOverrideFrom(const char* value) {
    if (!value || !*value)
        return DeviceOverride::None;
    const std::string v = value;
    if (v == "gl")
        return DeviceOverride::OpenGL;
    if (v == "soft")
        return DeviceOverride::Software;
    static bool told = false;
    if (!told)
        std::fprintf(stderr,
                     "KOSMORRA_DEVICE=%s is neither gl nor soft; the device is chosen as usual\n",
                     value);
    told = true;
    return DeviceOverride::None;
}

void SetCreationFaults(const CreationFaults& faults) {
    Faults() = faults;
}

std::unique_ptr<Direct3D8> Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || Faults().NoDirect3D || !SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    // A hardware device will need its window made for OpenGL. Programs that never ask for a
    // Direct3D object, are told to draw in software, or run where no GPU could draw, never load
    // the OpenGL driver: once loaded, a CPU rasterizer's LLVM stays in the process.
    const DeviceOverride choice = FromEnvironment();
    win::SetOpenGLWindows(choice == DeviceOverride::OpenGL ||
                          (choice == DeviceOverride::None && HardwarePresent()));
    return std::make_unique<Direct3D8>();
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) const {
    if (adapter != 0 || !mode)
        return D3DERR_INVALIDCALL;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        return D3DERR_NOTAVAILABLE;
    mode->Width = static_cast<UINT>(desktop.w);
    mode->Height = static_cast<UINT>(desktop.h);
    mode->RefreshRate = static_cast<UINT>(desktop.refresh_rate);
    mode->Format = DisplayFormatOf(desktop.format);
    return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD,
                                D3DPRESENT_PARAMETERS* params, std::unique_ptr<Device>* device) {
    if (adapter != 0 || !params || !device)
        return D3DERR_INVALIDCALL;
    device->reset();
    HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
    params->hDeviceWindow = window;
    std::unique_ptr<Device> made;
    switch (type) {
    case D3DDEVTYPE_HAL:
        if (Faults().NoHardware || FromEnvironment() == DeviceOverride::Software)
            return D3DERR_NOTAVAILABLE;
        made = CreateHardwareDevice(window, FromEnvironment() == DeviceOverride::OpenGL);
        if (!made)
            return D3DERR_NOTAVAILABLE;
        break;
    case D3DDEVTYPE_REF:
    case D3DDEVTYPE_SW:
        if (Faults().NoSoftware)
            return D3DERR_NOTAVAILABLE;
        made = std::make_unique<SoftDevice>(type, window);
        break;
    default:
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = made->Initialize(*params);
    if (FAILED(hr))
        return hr;
    *device = std::move(made);
    return D3D_OK;
}

} // namespace d3d
