// The screen's frames and quads: beginning, clearing and ending a scene (with a device that is
// lost or must be reset), the requested screenshot, and the hand-over of each quad's vertices
// to the device with the global tint, transform and blend mode.
#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/D3DX.h"
#include "platform/win/Forms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <type_traits>

using namespace d3d;

namespace {

struct BlendPair {
    D3DBLEND Source;
    D3DBLEND Dest;
};

constexpr BlendPair kBlendModes[14] = {
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},      // 0 normal alpha blending
    {D3DBLEND_ONE, D3DBLEND_ONE},                   // 1 additive
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE},              // 2 additive weighted by alpha
    {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR},      // 3
    {D3DBLEND_SRCCOLOR, D3DBLEND_ONE},              // 4
    {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},             // 5 multiply
    {D3DBLEND_ZERO, D3DBLEND_SRCALPHA},             // 6
    {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR},          // 7
    {D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA},          // 8
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},         // 9 inverts the background
    {D3DBLEND_SRCCOLOR, D3DBLEND_SRCCOLOR},         // 10
    {D3DBLEND_DESTCOLOR, D3DBLEND_DESTCOLOR},       // 11
    {D3DBLEND_INVSRCCOLOR, D3DBLEND_INVSRCCOLOR},   // 12
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVDESTCOLOR}, // 13
};

} // namespace

// ---- Frames ------------------------------------------------------------------------------------

void TArvexScreen::BeginScene() {
    // Initialize marks the screen initialised even when the capability query lost the device.
    if (!FDevice)
        return;
    const HRESULT hr = FDevice->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST)
        return;
    if (hr == D3DERR_DEVICENOTRESET) {
        D3DDISPLAYMODE mode;
        if (!FullScreen && FD3D && SUCCEEDED(FD3D->GetAdapterDisplayMode(0, &mode)))
            FPresentParams.BackBufferFormat = mode.Format;
        ResetDevice();
        return;
    }
    if (FAILED(hr))
        return;
    if (FInitialized && FActive && SUCCEEDED(FDevice->BeginScene()))
        FInScene = true;
}

void TArvexScreen::Clear(uint8_t R, uint8_t G, uint8_t B, uint8_t A) {
    if (!FDevice)
        return;
    const DWORD flags = D3DCLEAR_TARGET | (ZBuffer ? D3DCLEAR_ZBUFFER : 0);
    FDevice->Clear(0, nullptr, flags, PackARGB(R, G, B, A), 1.0f, 0);
}

void TArvexScreen::EndScene() {
    if (!FInScene)
        return;
    FInScene = false;
    FDevice->EndScene();
    if (FScreenshotPending)
        SaveScreenshot();
    FDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void TArvexScreen::SaveScreenshot() {
    // Any failure leaves the request pending for the next frame.
    D3DDISPLAYMODE mode;
    std::unique_ptr<Surface> surface;
    if (FAILED(FDevice->GetDisplayMode(&mode)) ||
        FAILED(FDevice->CreateImageSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, &surface)) ||
        FAILED(FDevice->GetFrontBuffer(surface.get())))
        return;
    RECT rect{0, 0, static_cast<int32_t>(mode.Width), static_cast<int32_t>(mode.Height)};
    if (auto* form = dynamic_cast<win::TForm*>(FWindow); form && form->HandleAllocated()) {
        int left = 0, top = 0;
        form->ClientToScreen(left, top);
        // Only the part of the client area that is on the display can be saved.
        rect.left = std::max(left, 0);
        rect.top = std::max(top, 0);
        rect.right = std::min(left + form->ClientWidth(), static_cast<int>(mode.Width));
        rect.bottom = std::min(top + form->ClientHeight(), static_cast<int>(mode.Height));
    }
    if (FAILED(D3DXSaveSurfaceToFile(FScreenshotFile, D3DXIFF_BMP, surface.get(), nullptr, &rect)))
        return;
    FScreenshotPending = false;
}

// ---- Quads -----------------------------------------------------------------------------------

// PrepareVertices hands the device ArvexVertex bytes that it reads back as d3d::TLVertex.
static_assert(std::is_trivially_copyable_v<ArvexVertex> &&
                  std::is_trivially_copyable_v<d3d::TLVertex> &&
                  sizeof(ArvexVertex) == sizeof(d3d::TLVertex) &&
                  offsetof(ArvexVertex, y) == offsetof(d3d::TLVertex, Y) &&
                  offsetof(ArvexVertex, z) == offsetof(d3d::TLVertex, Z) &&
                  offsetof(ArvexVertex, rhw) == offsetof(d3d::TLVertex, Rhw) &&
                  offsetof(ArvexVertex, diffuse) == offsetof(d3d::TLVertex, Diffuse) &&
                  offsetof(ArvexVertex, u) == offsetof(d3d::TLVertex, U) &&
                  offsetof(ArvexVertex, v) == offsetof(d3d::TLVertex, V),
              "the engine's vertex and the device's are one layout");

void TArvexScreen::PrepareVertices(ArvexVertex* vertices, int count) {
    const double a = Rotation * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    for (int i = 0; i < count; ++i) {
        ArvexVertex& v = vertices[i];
        uint32_t tinted = 0;
        for (int shift = 0; shift < 32; shift += 8)
            tinted |= ((((v.diffuse >> shift) & 0xFF) * ((FColor >> shift) & 0xFF)) >> 8) << shift;
        v.diffuse = tinted;
        const double dx = v.x - CenterX, dy = v.y - CenterY;
        v.x = static_cast<float>(OffsetX + CenterX + c * ScaleX * dx - s * ScaleY * dy);
        v.y = static_cast<float>(OffsetY + CenterY + s * ScaleX * dx + c * ScaleY * dy);
    }
    if (!FDevice || !FVertexBuffer || count <= 0 || count > kVertexCount)
        return;
    FDevice->SetVertexShader(d3d::kTLVertexFVF);
    uint8_t* data = nullptr;
    const UINT bytes = static_cast<UINT>(count) * sizeof(ArvexVertex);
    if (FAILED(FVertexBuffer->Lock(0, bytes, &data, D3DLOCK_DISCARD)))
        return;
    std::memcpy(data, vertices, bytes);
    FVertexBuffer->Unlock();
    FDevice->SetStreamSource(0, FVertexBuffer.get(), sizeof(ArvexVertex));
}

void TArvexScreen::SetBlendMode(int32_t mode) {
    if (mode == FCurrentBlendMode || mode == -1 || !FDevice)
        return;
    const BlendPair& pair = kBlendModes[(mode >= 0 && mode <= 13) ? mode : 0];
    FDevice->SetRenderState(D3DRS_SRCBLEND, pair.Source);
    FDevice->SetRenderState(D3DRS_DESTBLEND, pair.Dest);
    FCurrentBlendMode = mode;
}
