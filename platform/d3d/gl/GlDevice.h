// GlDevice: the hardware device, OpenGL 3.3 core through libepoxy.
//
// Stands in for a Direct3D 8 HAL device. It draws into a framebuffer object of the back
// buffer's size and format (eight bits a channel, or RGB565 for a 16-bit back buffer, so every
// write is quantised as the software device quantises it) with a 16-bit depth renderbuffer, and
// presents by copying that picture into the window when it is shown at its own size, else by
// drawing it: stretched over the client area in a window, scaled to fit and letterboxed in
// full screen. Draws wait in one triangle list until
// their result is needed; consecutive ones in the same state reach GL as one draw call.
//
// D3D conventions kept: pixel centres on integers (positions move half a pixel before they
// reach GL), rows top to bottom (the framebuffer holds row 0 at GL's y = 0, and presenting
// turns it upright), diffuse colours as BGRA bytes, texel centres on half-integers (the same in
// GL), WRAP addressing, point and linear filters chosen by magnification as D3D does, stage-0
// operations in the fragment shader, the blend factor pairs as glBlendFunc, culling with the
// winding mirrored to match, destination alpha reading as opaque for targets without alpha
// (their alpha channel is cleared to opaque and stays so: blending keeps it, and draws without
// blending write opaque alpha).
//
// Relies on: an SDL window made with SDL_WINDOW_OPENGL (forms make theirs so when the driver
// can), a 3.3 core context drawn by a GPU (a CPU rasterizer only when asked for), libepoxy for
// entry points.
// Limits: results differ from the software device's within a few levels per channel (filter
// weights and products are rounded by the GL implementation); the gamma ramp is applied when
// presenting in full screen only, as a display's ramp would be.
#pragma once

#include "platform/d3d/Device.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace d3d {

class GlDevice final : public Device {
public:
    // nullptr when the window has no OpenGL support, no 3.3 core context can be made on it, or
    // the renderer is a CPU rasterizer (unless accepted). The window is then made again without
    // OpenGL, so that the driver leaves the process.
    static std::unique_ptr<GlDevice> Create(HWND window, bool acceptCpuRenderer = false);
    // Mesa's llvmpipe, softpipe and swrast: OpenGL drawn by the processor, slower than the
    // software device and several times its memory.
    static bool IsCpuRenderer(const char* renderer);
    // Whether a GPU could draw OpenGL here: a render node (dri/renderD*) or an NVIDIA device
    // under devices (normally /dev), and LIBGL_ALWAYS_SOFTWARE not set. Without one, OpenGL
    // could only be drawn by the processor, and loading its driver to find that out would leave
    // LLVM in the process for good (it cannot be unloaded).
    static bool GpuPresent(const char* devices = "/dev");
    ~GlDevice() override;

    const char* BackendName() const override { return "gl"; }
    std::vector<uint32_t> ReadBackBuffer() override;

protected:
    HRESULT MakeTargets(const D3DPRESENT_PARAMETERS& params) override;
    void ClearTargets(DWORD flags, D3DCOLOR color, float z) override;
    void DrawTriangleFan(const TLVertex* vertices, UINT count, const DrawState& state) override;
    HRESULT PresentFrame() override;
    std::vector<uint32_t> ReadPresented() override;
    void FillCaps(D3DCAPS8& caps) const override;
    void ForgetResource(Resource& resource) override;

private:
    struct Objects;
    GlDevice(HWND window, void* context);
    bool Setup();
    void MakeCurrent();
    void ReleaseTargets();
    // Binds the texture's GL copy; refresh brings its texels up to date first.
    unsigned BindTexture(const Texture& texture, bool refresh);
    // Puts the draw program for the state's stage-0 operations in use (made on first use);
    // true when the program in use changed, false also when the driver cannot build it.
    bool UseProgramFor(const DrawState& state);
    void ApplyState(const DrawState& state);
    // Hands the waiting triangles to GL in one upload, one draw call for each run of them in
    // one state; everything that reads or changes what they draw into, or their textures,
    // flushes first.
    void Flush();
    // Copies the back buffer's contents back from the front picture after a present, when
    // they are used before a clear overwrites them.
    void RestoreBack();
    // What was drawn becomes the front picture, kept for front-buffer reads, and the back
    // buffer becomes stale (see RestoreBack).
    void TradeFrontAndBack();
    // The screen's gamma ramp, into the texture the present program looks it up in.
    void UploadGammaRamp();
    std::vector<uint32_t> ReadFramebuffer(unsigned framebuffer);

    void* FContext; // SDL_GLContext
    std::unique_ptr<Objects> FGl;
    D3DFORMAT FFormat = D3DFMT_X8R8G8B8;
    int FWidth = 0;
    int FHeight = 0;
    bool FPresented = false;
};

} // namespace d3d
