// SoftDevice: our CPU rasterizer behind the device interface.
//
// Stands in for the reference rasterizer of Direct3D 8 and for any device when no OpenGL
// context can be made; it is also the reference the OpenGL device is compared with. It draws
// into a back buffer in memory (A8R8G8B8, X8R8G8B8 or R5G6B5) with a lazily kept 16-bit depth
// buffer (see SoftRaster.h), and presents through the SDL window surface, scaled as the device
// window places it, or nowhere when there is no window.
//
// Relies on: SDL2's window surface and blitter for presenting; where the video driver has no
// window surface of its own (Wayland), SDL makes it with a renderer of its own, OpenGL or
// OpenGL ES, so even this device needs the GL driver there.
// Limits: the gamma ramp is applied in full screen only, as a display's ramp would be; the
// scaled full-screen picture uses nearest-pixel scaling.
#pragma once

#include "platform/d3d/Device.h"
#include "platform/d3d/soft/SoftRaster.h"

#include <memory>
#include <vector>

namespace d3d {

// Whether SDL's video driver of this name keeps window surfaces itself (X11's shared memory,
// the headless drivers' memory); the others show them only through an SDL renderer.
bool DriverHasWindowSurface(const char* videoDriver);

class SoftDevice final : public Device {
public:
    SoftDevice(D3DDEVTYPE type, HWND window);
    ~SoftDevice() override;

    const char* BackendName() const override { return "soft"; }
    std::vector<uint32_t> ReadBackBuffer() override;

    // Which rasterizer path draws (the reference exists to check the fast one against).
    void SetPath(soft::Path path) { FPath = path; }

protected:
    HRESULT MakeTargets(const D3DPRESENT_PARAMETERS& params) override;
    void ClearTargets(DWORD flags, D3DCOLOR color, float z) override;
    void DrawTriangleFan(const TLVertex* vertices, UINT count, const DrawState& state) override;
    HRESULT PresentFrame() override;
    std::vector<uint32_t> ReadPresented() override;
    void FillCaps(D3DCAPS8& caps) const override;

private:
    soft::Target TargetView();
    soft::TextureView ViewOf(const Texture* texture);

    soft::TargetFormat FFormat = soft::TargetFormat::XRGB;
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint32_t> FColour32;
    std::vector<uint16_t> FColour16;
    std::unique_ptr<soft::DepthBuffer> FDepth;
    std::vector<uint32_t> FPresented;
    soft::Path FPath = soft::Path::Spans;
};

} // namespace d3d
