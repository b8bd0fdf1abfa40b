#include "platform/d3d/soft/SoftDevice.h"

#include "platform/d3d/PixelFormats.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>

namespace d3d {

namespace {

// A texture's texels widened to ARGB, kept beside textures of the other formats.
struct SoftTextureData : BackendData {
    std::vector<uint32_t> Texels;
    uint64_t Revision = 0;
};

} // namespace

bool DriverHasWindowSurface(const char* videoDriver) {
    if (!videoDriver)
        return false;
    for (const char* own : {"x11", "dummy", "offscreen"})
        if (std::strcmp(videoDriver, own) == 0)
            return true;
    return false;
}

SoftDevice::SoftDevice(D3DDEVTYPE type, HWND window) : Device(type, window) {
    // Our frames are made in memory: copy them into the window's own surface rather than let
    // SDL put an OpenGL renderer behind it, which would hold a context on a window the OpenGL
    // device may want later. The environment can still say otherwise. Where the driver has no
    // surface of its own (Wayland), SDL's renderer is the only way to the screen: forbidding
    // it there leaves the window without a single frame.
    if (DriverHasWindowSurface(SDL_GetCurrentVideoDriver()))
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
}

SoftDevice::~SoftDevice() = default;

HRESULT SoftDevice::MakeTargets(const D3DPRESENT_PARAMETERS& params) {
    FWidth = static_cast<int>(params.BackBufferWidth);
    FHeight = static_cast<int>(params.BackBufferHeight);
    const size_t pixels = static_cast<size_t>(FWidth) * FHeight;
    FColour32.clear();
    FColour16.clear();
    switch (params.BackBufferFormat) {
    case D3DFMT_R5G6B5:
        FFormat = soft::TargetFormat::RGB565;
        FColour16.assign(pixels, 0);
        break;
    case D3DFMT_A8R8G8B8:
        FFormat = soft::TargetFormat::ARGB;
        FColour32.assign(pixels, 0);
        break;
    default:
        FFormat = soft::TargetFormat::XRGB;
        FColour32.assign(pixels, 0xFF000000u);
        break;
    }
    FDepth.reset();
    if (params.EnableAutoDepthStencil) {
        FDepth = std::make_unique<soft::DepthBuffer>();
        FDepth->Resize(FWidth, FHeight);
    }
    FPresented.clear();
    return D3D_OK;
}

soft::Target SoftDevice::TargetView() {
    soft::Target t;
    t.Width = FWidth;
    t.Height = FHeight;
    t.Format = FFormat;
    if (FFormat == soft::TargetFormat::RGB565) {
        t.Bits = reinterpret_cast<uint8_t*>(FColour16.data());
        t.Pitch = FWidth * 2;
    } else {
        t.Bits = reinterpret_cast<uint8_t*>(FColour32.data());
        t.Pitch = FWidth * 4;
    }
    return t;
}

soft::TextureView SoftDevice::ViewOf(const Texture* texture) {
    soft::TextureView view;
    if (!texture)
        return view;
    view.Width = static_cast<int>(texture->Width());
    view.Height = static_cast<int>(texture->Height());
    view.Pitch = view.Width;
    if (texture->Format() == D3DFMT_A8R8G8B8) {
        view.Texels = texture->Texels();
        return view;
    }
    // Only the reader is const: the converted copy is the device's own cache.
    auto& resource = const_cast<Texture&>(*texture);
    auto* data = dynamic_cast<SoftTextureData*>(resource.Backend.get());
    if (!data) {
        resource.Backend = std::make_unique<SoftTextureData>();
        data = static_cast<SoftTextureData*>(resource.Backend.get());
    }
    if (data->Revision != texture->Revision()) {
        data->Texels.resize(static_cast<size_t>(view.Width) * view.Height);
        for (int y = 0; y < view.Height; ++y)
            ConvertRowToARGB(texture->Format(),
                             texture->Bits() + static_cast<size_t>(y) * texture->Pitch(),
                             data->Texels.data() + static_cast<size_t>(y) * view.Width, view.Width);
        data->Revision = texture->Revision();
    }
    view.Texels = data->Texels.data();
    return view;
}

void SoftDevice::ClearTargets(DWORD flags, D3DCOLOR color, float z) {
    if (flags & D3DCLEAR_TARGET) {
        switch (FFormat) {
        case soft::TargetFormat::RGB565:
            std::fill(FColour16.begin(), FColour16.end(), PackR5G6B5(color));
            break;
        case soft::TargetFormat::XRGB:
            std::fill(FColour32.begin(), FColour32.end(), color | 0xFF000000u);
            break;
        case soft::TargetFormat::ARGB:
            std::fill(FColour32.begin(), FColour32.end(), color);
            break;
        }
    }
    if ((flags & D3DCLEAR_ZBUFFER) && FDepth)
        FDepth->Clear(soft::QuantiseDepth(z));
}

void SoftDevice::DrawTriangleFan(const TLVertex* vertices, UINT count, const DrawState& state) {
    soft::RasterContext context;
    context.Colour = TargetView();
    context.Depth = state.DepthTest ? FDepth.get() : nullptr;
    context.Texels = ViewOf(state.BoundTexture);
    context.State = state;
    context.Mode = FPath;
    for (UINT i = 1; i + 1 < count; ++i)
        soft::DrawTriangle(context, vertices[0], vertices[i], vertices[i + 1]);
}

std::vector<uint32_t> SoftDevice::ReadBackBuffer() {
    std::vector<uint32_t> argb(static_cast<size_t>(FWidth) * FHeight);
    if (FFormat == soft::TargetFormat::RGB565)
        ConvertRowToARGB(D3DFMT_R5G6B5, FColour16.data(), argb.data(),
                         static_cast<int>(argb.size()));
    else
        argb = FColour32;
    return argb;
}

HRESULT SoftDevice::PresentFrame() {
    FPresented = ReadBackBuffer();
    if (!Window().Windowed() && !GammaIsIdentity()) {
        const D3DGAMMARAMP& ramp = GammaRamp();
        for (uint32_t& p : FPresented)
            p = (p & 0xFF000000u) | uint32_t(ramp.red[(p >> 16) & 0xFF] >> 8) << 16 |
                uint32_t(ramp.green[(p >> 8) & 0xFF] >> 8) << 8 | (ramp.blue[p & 0xFF] >> 8);
    }
    auto* window = static_cast<SDL_Window*>(Window().NativeWindow());
    if (!window)
        return D3D_OK;
    SDL_Surface* screen = SDL_GetWindowSurface(window);
    if (!screen)
        return D3D_OK; // nowhere to show it; the frame still counts as presented
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(FPresented.data(), FWidth, FHeight, 32,
                                                            FWidth * 4, SDL_PIXELFORMAT_RGB888);
    if (!frame)
        return D3D_OK;
    // The surface has the size SDL believes the window has; only the part the window really
    // covers is seen, so the picture is placed in that.
    int width = screen->w, height = screen->h;
    if (Window().PresentArea(width, height)) {
        width = std::min(width, screen->w);
        height = std::min(height, screen->h);
    }
    const Placement p = Window().Place(width, height);
    SDL_Rect dest{p.X, p.Y, p.Width, p.Height};
    if (p.Width != screen->w || p.Height != screen->h)
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    if (p.Width == FWidth && p.Height == FHeight)
        SDL_BlitSurface(frame, nullptr, screen, &dest);
    else
        SDL_BlitScaled(frame, nullptr, screen, &dest);
    SDL_FreeSurface(frame);
    SDL_UpdateWindowSurface(window);
    return D3D_OK;
}

std::vector<uint32_t> SoftDevice::ReadPresented() {
    return FPresented;
}

void SoftDevice::FillCaps(D3DCAPS8&) const {}

} // namespace d3d
