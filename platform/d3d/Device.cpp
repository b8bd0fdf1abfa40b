#include "platform/d3d/Device.h"

#include "platform/d3d/PixelFormats.h"
#include "platform/win/Forms.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace d3d {

namespace {

bool IsPowerOfTwo(UINT v) {
    return v != 0 && (v & (v - 1)) == 0;
}

} // namespace

Device::Device(D3DDEVTYPE type, HWND window) : FType(type), FWindow(window) {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint16_t>(i << 8 | i);
        FGamma.red[i] = FGamma.green[i] = FGamma.blue[i] = v;
    }
}

Device::~Device() {
    // A backend that keeps data beside its resources has dropped it in its own destructor;
    // what is left here is plain memory the owners will free.
    for (Resource* r : FResources) {
        r->Backend.reset();
        r->FDevice = nullptr;
    }
    if (FWindow.NativeWindow() && !FWindow.Windowed())
        FWindow.Apply(true, FParams.BackBufferWidth, FParams.BackBufferHeight);
}

HRESULT Device::CheckParameters(D3DPRESENT_PARAMETERS& p) const {
    if (p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
        // A windowed device takes the client area's size for a size of 0.
        win::TForm* form = FWindow.Form();
        if (!form)
            return D3DERR_INVALIDCALL;
        if (p.BackBufferWidth == 0)
            p.BackBufferWidth = static_cast<UINT>(form->ClientWidth());
        if (p.BackBufferHeight == 0)
            p.BackBufferHeight = static_cast<UINT>(form->ClientHeight());
    }
    if (p.Windowed && p.BackBufferFormat == D3DFMT_UNKNOWN)
        p.BackBufferFormat =
            FWindow.NativeWindow() ? FWindow.DesktopMode().Format : D3DFMT_X8R8G8B8;
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || p.BackBufferWidth > 8192 ||
        p.BackBufferHeight > 8192)
        return D3DERR_INVALIDCALL;
    if (!IsRenderTargetFormat(p.BackBufferFormat))
        return D3DERR_INVALIDCALL;
    if (p.BackBufferCount > 3 || p.MultiSampleType != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    if (p.EnableAutoDepthStencil && p.AutoDepthStencilFormat != D3DFMT_D16)
        return D3DERR_INVALIDCALL;
    if (p.BackBufferCount == 0)
        p.BackBufferCount = 1;
    return D3D_OK;
}

HRESULT Device::Initialize(D3DPRESENT_PARAMETERS& params) {
    const HRESULT hr = CheckParameters(params);
    if (FAILED(hr))
        return hr;
    FParams = params;
    FWindow.Apply(params.Windowed != 0, params.BackBufferWidth, params.BackBufferHeight);
    const HRESULT made = MakeTargets(FParams);
    if (FAILED(made))
        return made;
    ResetStates();
    return D3D_OK;
}

void Device::ResetStates() {
    FRenderStates.fill(0);
    FStageStates.fill(0);
    FRenderStates[D3DRS_ZENABLE] = FParams.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    FRenderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    FRenderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    FRenderStates[D3DRS_ZWRITEENABLE] = 1;
    FRenderStates[D3DRS_LASTPIXEL] = 1;
    FRenderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    FRenderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    FRenderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    FRenderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    FRenderStates[D3DRS_DITHERENABLE] = 0;
    FRenderStates[D3DRS_ALPHABLENDENABLE] = 0;
    FRenderStates[D3DRS_LIGHTING] = 1;
    FStageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    FStageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    FStageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    FStageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    FStageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    FStageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    FStageStates[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    FStageStates[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    FStageStates[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    FStageStates[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    FStageStates[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    FTexture = nullptr;
    FStream = nullptr;
    FStride = 0;
    FFVF = 0;
}

// ---- Loss and reset ----------------------------------------------------------------------------

bool Device::UpdateLoss() {
    if (FForcedLost || FWindow.Left()) {
        FLost = true;
        FNeedsReset = true;
        FInScene = false;
    } else {
        FLost = false;
    }
    return FNeedsReset;
}

void Device::ForceLost(bool lost) {
    FForcedLost = lost;
    UpdateLoss();
}

HRESULT Device::TestCooperativeLevel() {
    UpdateLoss();
    if (FLost)
        return D3DERR_DEVICELOST;
    return FNeedsReset ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params)
        return D3DERR_INVALIDCALL;
    UpdateLoss();
    if (FLost)
        return D3DERR_DEVICELOST;
    // Default-pool resources do not survive a reset: their owners must free them first.
    for (const Resource* r : FResources)
        if (r->Pool() == D3DPOOL_DEFAULT) {
            FNeedsReset = true;
            return D3DERR_INVALIDCALL;
        }
    D3DPRESENT_PARAMETERS p = *params;
    p.hDeviceWindow = FParams.hDeviceWindow;
    if (FAILED(CheckParameters(p))) {
        FNeedsReset = true;
        return D3DERR_INVALIDCALL;
    }
    FParams = p;
    *params = p;
    FWindow.Apply(p.Windowed != 0, p.BackBufferWidth, p.BackBufferHeight);
    const HRESULT made = MakeTargets(FParams);
    if (FAILED(made)) {
        FNeedsReset = true;
        return made;
    }
    ResetStates();
    FInScene = false;
    FNeedsReset = false;
    return D3D_OK;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND destWindow, const void* dirty) {
    if (source || dest || destWindow || dirty || FInScene)
        return D3DERR_INVALIDCALL;
    if (UpdateLoss())
        return D3DERR_DEVICELOST;
    return PresentFrame();
}

// ---- Queries ------------------------------------------------------------------------------------

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) const {
    if (!caps)
        return D3DERR_INVALIDCALL;
    *caps = D3DCAPS8{};
    caps->DeviceType = FType;
    caps->TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                              D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP;
    caps->SrcBlendCaps = caps->DestBlendCaps = 0x3FF; // ZERO to INVDESTCOLOR
    caps->MaxTextureWidth = caps->MaxTextureHeight = kMaxTextureSize;
    caps->MaxTextureAspectRatio = kMaxTextureSize;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    FillCaps(*caps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) const {
    if (!mode)
        return D3DERR_INVALIDCALL;
    if (FWindow.NativeWindow()) {
        *mode = FWindow.DesktopMode();
    } else {
        mode->Width = FParams.BackBufferWidth;
        mode->Height = FParams.BackBufferHeight;
        mode->RefreshRate = 0;
        mode->Format = FParams.BackBufferFormat == D3DFMT_R5G6B5 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    }
    return D3D_OK;
}

HRESULT Device::GetBackBufferDesc(UINT index, D3DSURFACE_DESC* desc) const {
    if (!desc || index >= FParams.BackBufferCount)
        return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{};
    desc->Format = FParams.BackBufferFormat;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = 1; // render target
    desc->Pool = D3DPOOL_DEFAULT;
    desc->Width = FParams.BackBufferWidth;
    desc->Height = FParams.BackBufferHeight;
    desc->Size = desc->Width * desc->Height * static_cast<UINT>(BytesPerPixel(desc->Format));
    return D3D_OK;
}

std::vector<uint32_t> Device::ReadPresentedFrame() {
    return ReadPresented();
}

HRESULT Device::GetFrontBuffer(Surface* dest) {
    D3DDISPLAYMODE mode;
    GetDisplayMode(&mode);
    if (!dest || dest->Format() != D3DFMT_A8R8G8B8 || dest->Width() != mode.Width ||
        dest->Height() != mode.Height)
        return D3DERR_INVALIDCALL;
    const int width = static_cast<int>(mode.Width), height = static_cast<int>(mode.Height);
    uint32_t* out = dest->Pixels32();
    std::fill(out, out + static_cast<size_t>(width) * height, 0xFF000000u);
    const std::vector<uint32_t> frame = ReadPresented();
    if (frame.empty())
        return D3D_OK;
    const int bw = static_cast<int>(FParams.BackBufferWidth);
    const int bh = static_cast<int>(FParams.BackBufferHeight);
    // Where the picture is on the display: in the client area, placed as Present placed it.
    RECT client{0, 0, bw, bh};
    FWindow.ClientRectOnDesktop(client);
    const Placement p = FWindow.Place(client.right - client.left, client.bottom - client.top);
    for (int y = 0; y < p.Height; ++y) {
        const int dy = client.top + p.Y + y;
        if (dy < 0 || dy >= height)
            continue;
        const int sy = static_cast<int>(static_cast<long long>(y) * bh / p.Height);
        for (int x = 0; x < p.Width; ++x) {
            const int dx = client.left + p.X + x;
            if (dx < 0 || dx >= width)
                continue;
            const int sx = static_cast<int>(static_cast<long long>(x) * bw / p.Width);
            out[static_cast<size_t>(dy) * width + dx] =
                frame[static_cast<size_t>(sy) * bw + sx] | 0xFF000000u;
        }
    }
    return D3D_OK;
}

void Device::SetGammaRamp(DWORD, const D3DGAMMARAMP* ramp) {
    if (ramp)
        FGamma = *ramp;
}

void Device::GetGammaRamp(D3DGAMMARAMP* ramp) const {
    if (ramp)
        *ramp = FGamma;
}

bool Device::GammaIsIdentity() const {
    for (int i = 0; i < 256; ++i)
        if ((FGamma.red[i] >> 8) != i || (FGamma.green[i] >> 8) != i || (FGamma.blue[i] >> 8) != i)
            return false;
    return true;
}

// ---- Resources
// -----------------------------------------------------------------------------------

template <typename T>
T* Device::Register(std::unique_ptr<T>& resource) {
    FResources.push_back(resource.get());
    return resource.get();
}

void Device::ResourceDestroyed(Resource& resource) {
    if (FTexture == &resource)
        FTexture = nullptr;
    if (FStream == &resource)
        FStream = nullptr;
    ForgetResource(resource);
    FResources.erase(std::remove(FResources.begin(), FResources.end(), &resource),
                     FResources.end());
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, std::unique_ptr<Texture>* texture,
                              std::vector<uint32_t>* level0) {
    if (!texture)
        return D3DERR_INVALIDCALL;
    texture->reset();
    D3DCAPS8 caps;
    GetDeviceCaps(&caps);
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > caps.MaxTextureWidth ||
        height > caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    if (!IsTextureFormat(format))
        return D3DERR_INVALIDCALL;
    if ((pool != D3DPOOL_MANAGED && pool != D3DPOOL_DEFAULT) || (usage & ~D3DUSAGE_DYNAMIC) ||
        (pool == D3DPOOL_MANAGED && (usage & D3DUSAGE_DYNAMIC)))
        return D3DERR_INVALIDCALL;
    UINT chain = 1;
    for (UINT side = std::max(width, height); side > 1; side /= 2)
        ++chain;
    if (levels > chain)
        return D3DERR_INVALIDCALL;
    texture->reset(new Texture(this, width, height, levels == 0 ? chain : levels, usage, format,
                               pool, level0));
    Register(*texture);
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   std::unique_ptr<VertexBuffer>* buffer) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    buffer->reset();
    if (length < sizeof(TLVertex) || (fvf != 0 && fvf != kTLVertexFVF))
        return D3DERR_INVALIDCALL;
    if ((pool != D3DPOOL_MANAGED && pool != D3DPOOL_DEFAULT) ||
        (usage & ~(D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC)) ||
        (pool == D3DPOOL_MANAGED && (usage & D3DUSAGE_DYNAMIC)))
        return D3DERR_INVALIDCALL;
    buffer->reset(new VertexBuffer(this, length, usage, pool));
    Register(*buffer);
    return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                   std::unique_ptr<Surface>* surface) {
    if (!surface || width == 0 || height == 0 || width > 16384 || height > 16384 ||
        !IsRenderTargetFormat(format))
        return D3DERR_INVALIDCALL;
    *surface = std::make_unique<Surface>(width, height, format);
    return D3D_OK;
}

// ---- State
// ---------------------------------------------------------------------------------------

bool Device::ValidRenderState(D3DRENDERSTATETYPE state, DWORD value) const {
    switch (state) {
    case D3DRS_ZENABLE:
        return value == D3DZB_FALSE || value == D3DZB_TRUE;
    case D3DRS_FILLMODE:
        return value == D3DFILL_SOLID;
    case D3DRS_SHADEMODE:
        return value == D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE:
    case D3DRS_LASTPIXEL: // lines only: no effect on triangles
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_LIGHTING: // pre-transformed vertices are never lit
        return true;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
        return value >= D3DBLEND_ZERO && value <= D3DBLEND_INVDESTCOLOR;
    case D3DRS_CULLMODE:
        return value >= D3DCULL_NONE && value <= D3DCULL_CCW;
    case D3DRS_ZFUNC:
        return value == D3DCMP_LESSEQUAL;
    case D3DRS_DITHERENABLE:
        return value == 0;
    }
    return false;
}

bool Device::ValidStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value) const {
    switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_ALPHAOP:
        return value >= D3DTOP_DISABLE && value <= D3DTOP_MODULATE;
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
        return value == D3DTA_DIFFUSE || value == D3DTA_CURRENT || value == D3DTA_TEXTURE;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
        return value == D3DTADDRESS_WRAP;
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER: // NONE samples like POINT
        return value <= D3DTEXF_LINEAR;
    case D3DTSS_MIPFILTER:
        return value == D3DTEXF_NONE;
    }
    return false;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!ValidRenderState(state, value))
        return D3DERR_INVALIDCALL;
    FRenderStates[state] = value;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
    if (!value || !ValidRenderState(state, FRenderStates[state & 0xFF]))
        return D3DERR_INVALIDCALL;
    *value = FRenderStates[state];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage != 0 || !ValidStageState(type, value))
        return D3DERR_INVALIDCALL;
    FStageStates[type] = value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                     DWORD* value) const {
    if (!value || stage != 0 || !ValidStageState(type, FStageStates[type & 31]))
        return D3DERR_INVALIDCALL;
    *value = FStageStates[type];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, Texture* texture) {
    if (stage != 0 || (texture && texture->GetDevice() != this))
        return D3DERR_INVALIDCALL;
    FTexture = texture;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD fvf) {
    if (fvf != kTLVertexFVF)
        return D3DERR_INVALIDCALL;
    FFVF = fvf;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride) {
    if (stream != 0 || (buffer && (buffer->GetDevice() != this || stride < sizeof(TLVertex))))
        return D3DERR_INVALIDCALL;
    FStream = buffer;
    FStride = buffer ? stride : 0;
    return D3D_OK;
}

DrawState Device::CurrentDrawState() const {
    DrawState st;
    st.BlendEnable = FRenderStates[D3DRS_ALPHABLENDENABLE] != 0;
    st.SrcBlend = static_cast<D3DBLEND>(FRenderStates[D3DRS_SRCBLEND]);
    st.DestBlend = static_cast<D3DBLEND>(FRenderStates[D3DRS_DESTBLEND]);
    // Without a depth buffer the depth states have nothing to act on.
    st.DepthTest = FParams.EnableAutoDepthStencil && FRenderStates[D3DRS_ZENABLE] != 0;
    st.DepthWrite = st.DepthTest && FRenderStates[D3DRS_ZWRITEENABLE] != 0;
    st.Cull = static_cast<D3DCULL>(FRenderStates[D3DRS_CULLMODE]);
    st.ColorOp = static_cast<D3DTEXTUREOP>(FStageStates[D3DTSS_COLOROP]);
    st.ColorArg1 = FStageStates[D3DTSS_COLORARG1];
    st.ColorArg2 = FStageStates[D3DTSS_COLORARG2];
    st.AlphaOp = static_cast<D3DTEXTUREOP>(FStageStates[D3DTSS_ALPHAOP]);
    st.AlphaArg1 = FStageStates[D3DTSS_ALPHAARG1];
    st.AlphaArg2 = FStageStates[D3DTSS_ALPHAARG2];
    const auto filter = [](DWORD f) {
        return f == D3DTEXF_LINEAR ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    };
    st.MagFilter = filter(FStageStates[D3DTSS_MAGFILTER]);
    st.MinFilter = filter(FStageStates[D3DTSS_MINFILTER]);
    st.BoundTexture = FTexture;
    st.TargetHasAlpha = HasAlpha(FParams.BackBufferFormat);
    return st;
}

// ---- Drawing
// ---------------------------------------------------------------------------------------

HRESULT Device::Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
    if (count != 0 || rects || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) ||
        (flags & D3DCLEAR_STENCIL) ||
        ((flags & D3DCLEAR_ZBUFFER) && !FParams.EnableAutoDepthStencil) ||
        !(z >= 0.0f && z <= 1.0f))
        return D3DERR_INVALIDCALL;
    if (FNeedsReset)
        return D3D_OK; // a lost device ignores drawing
    ClearTargets(flags, color, z);
    return D3D_OK;
}

HRESULT Device::BeginScene() {
    if (FInScene)
        return D3DERR_INVALIDCALL;
    if (!FNeedsReset)
        FInScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (FNeedsReset)
        return D3D_OK;
    if (!FInScene)
        return D3DERR_INVALIDCALL;
    FInScene = false;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    if (FNeedsReset)
        return D3D_OK;
    if (!FInScene || type != D3DPT_TRIANGLEFAN || FFVF != kTLVertexFVF || !FStream ||
        FStream->Locked() || primitiveCount == 0 || (FTexture && FTexture->AnyLevelLocked()))
        return D3DERR_INVALIDCALL;
    const uint64_t count = uint64_t{primitiveCount} + 2;
    if ((uint64_t{startVertex} + count) * FStride >
        FStream->Length() + (FStride - sizeof(TLVertex)))
        return D3DERR_INVALIDCALL;
    // The buffer holds bytes; copy the vertices out rather than reading bytes as floats.
    FVertices.resize(count);
    const uint8_t* base = FStream->Data() + static_cast<size_t>(startVertex) * FStride;
    for (uint64_t i = 0; i < count; ++i)
        std::memcpy(&FVertices[i], base + i * FStride, sizeof(TLVertex));
    DrawTriangleFan(FVertices.data(), static_cast<UINT>(count), CurrentDrawState());
    return D3D_OK;
}

} // namespace d3d
