// The Direct3D-8-shaped device: the one front end of our two backends.
//
// Stands in for IDirect3DDevice8 with exactly the calls the engine makes. The front end keeps
// everything the backends share: the render and texture-stage states (checked, refused with
// D3DERR_INVALIDCALL when a value is one no backend draws), resource bookkeeping, the scene
// bracket, device loss and reset, the window, the gamma ramp and front-buffer reads. A backend
// (SoftDevice, GlDevice) implements a short table of protected hooks: make targets, clear,
// draw a triangle fan, present, read back what it presented.
//
// Conventions both backends keep, so they give the same pictures: pixel centres on integer
// coordinates, top-left fill rule, positions snapped to 1/256 pixel, affine (rhw = 1)
// interpolation of colour and texture coordinates, samples 1/1024 texel after the
// interpolated position (a sample on a texel boundary takes the texel after it), WRAP
// addressing, point and bilinear filtering (texel centres at half-integers), a filter chosen by
// magnification or minification, stage 0 combining texture and diffuse colour,
// the blend factor pairs, 16-bit targets as R5G6B5, a 16-bit depth buffer compared with
// less-or-equal.
//
// Implemented: vertex format 0x144 through stream 0, triangle fans; stage 0 only, its colour
// and alpha operations DISABLE, SELECTARG1, SELECTARG2 and MODULATE of TEXTURE, DIFFUSE and
// CURRENT; blend factors ZERO to INVDESTCOLOR; culling; depth enable and write.
// Not implemented (refused): other primitive types and vertex formats, stages above 0, fill
// modes other than solid, flat shading, dithering, depth functions other than LESSEQUAL,
// texture addressing other than WRAP, mipmap filtering, partial clears.
#pragma once

#include "platform/d3d/D3D8Types.h"
#include "platform/d3d/DeviceWindow.h"
#include "platform/d3d/Resources.h"

#include <array>
#include <memory>
#include <vector>

namespace d3d {

// A vertex of format 0x144 (pre-transformed position, diffuse colour, one texture coordinate
// pair) exactly as it lies in a vertex buffer.
struct TLVertex {
    float X;
    float Y;
    float Z;
    float Rhw;
    D3DCOLOR Diffuse;
    float U;
    float V;
};
static_assert(sizeof(TLVertex) == 28, "a 0x144 vertex is 28 bytes");

constexpr DWORD kTLVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The largest texture side any device offers (its caps say so; a backend may offer less).
constexpr DWORD kMaxTextureSize = 4096;

// The fixed-function state one draw runs with, gathered and checked by the front end.
struct DrawState {
    bool BlendEnable = false;
    D3DBLEND SrcBlend = D3DBLEND_ONE;
    D3DBLEND DestBlend = D3DBLEND_ZERO;
    bool DepthTest = false;
    bool DepthWrite = false;
    D3DCULL Cull = D3DCULL_CCW;
    D3DTEXTUREOP ColorOp = D3DTOP_MODULATE;
    DWORD ColorArg1 = D3DTA_TEXTURE;
    DWORD ColorArg2 = D3DTA_CURRENT;
    D3DTEXTUREOP AlphaOp = D3DTOP_SELECTARG1;
    DWORD AlphaArg1 = D3DTA_TEXTURE;
    DWORD AlphaArg2 = D3DTA_CURRENT;
    D3DTEXTUREFILTERTYPE MagFilter = D3DTEXF_POINT;
    D3DTEXTUREFILTERTYPE MinFilter = D3DTEXF_POINT;
    // nullptr: the texture argument reads as opaque white.
    const Texture* BoundTexture = nullptr;
    // The back buffer has no alpha channel of its own (X8R8G8B8, R5G6B5): destination alpha
    // reads as opaque.
    bool TargetHasAlpha = false;

    bool operator==(const DrawState&) const = default;
};

class Device {
public:
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    // Leaves the resources it made as plain memory (they can be freed later) and gives the
    // window back.
    virtual ~Device();

    D3DDEVTYPE DeviceType() const { return FType; }
    // "soft" or "gl", for logs and benchmarks.
    virtual const char* BackendName() const = 0;

    // ---- Presentation, loss and reset ------------------------------------------------------
    // D3DERR_DEVICELOST while the full-screen window is away (or a test holds the device
    // lost), D3DERR_DEVICENOTRESET once it is back until Reset succeeds.
    HRESULT TestCooperativeLevel();
    // Refused while default-pool resources exist; managed ones survive.
    HRESULT Reset(D3DPRESENT_PARAMETERS* params);
    // The whole back buffer into the window; the arguments must be null (whole buffer, the
    // device window).
    HRESULT Present(const RECT* source, const RECT* dest, HWND destWindow, const void* dirty);
    HRESULT GetDeviceCaps(D3DCAPS8* caps) const;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) const;
    // What GetBackBuffer(index) followed by GetDesc returns.
    HRESULT GetBackBufferDesc(UINT index, D3DSURFACE_DESC* desc) const;
    // The screen as last presented: a display-sized A8R8G8B8 surface, black outside the
    // window's client area (or the back buffer's size when there is no window).
    HRESULT GetFrontBuffer(Surface* dest);
    void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp);
    void GetGammaRamp(D3DGAMMARAMP* ramp) const;
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return FParams; }

    // ---- Resources --------------------------------------------------------------------------
    // Power-of-two sides up to the maximum in the capabilities; levels 0 makes the full chain.
    // level0, when given, is level 0's texels already in place (rows of the full width, as many
    // words as the level takes), taken over instead of a new, cleared level (left as it was when
    // the texture cannot be made).
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, std::unique_ptr<Texture>* texture,
                          std::vector<uint32_t>* level0 = nullptr);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               std::unique_ptr<VertexBuffer>* buffer);
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               std::unique_ptr<Surface>* surface);

    // ---- State ------------------------------------------------------------------------------
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const;
    HRESULT SetTexture(DWORD stage, Texture* texture);
    Texture* GetTexture(DWORD stage) const { return stage == 0 ? FTexture : nullptr; }
    HRESULT SetVertexShader(DWORD fvf);
    HRESULT SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride);

    // ---- Drawing ----------------------------------------------------------------------------
    // Whole target only (count 0). Clearing the depth buffer needs one.
    HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil);
    HRESULT BeginScene();
    HRESULT EndScene();
    // Triangle fans only, between BeginScene and EndScene.
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);

    // ---- Test hooks --------------------------------------------------------------------------
    // Holds the device lost, as a full-screen window that was switched away from would, until
    // released; it then reports D3DERR_DEVICENOTRESET.
    void ForceLost(bool lost);

    // The last presented frame as back-buffer-sized ARGB rows (alpha as stored, opaque for
    // targets without alpha). Tests and screenshots read it.
    std::vector<uint32_t> ReadPresentedFrame();
    // The back buffer as it is now, as ARGB rows. For tests.
    virtual std::vector<uint32_t> ReadBackBuffer() = 0;

    DeviceWindow& Window() { return FWindow; }

protected:
    Device(D3DDEVTYPE type, HWND window);
    // Second step of construction, run by the Direct3D object: checks the parameters, sets the
    // window up and makes the targets.
    HRESULT Initialize(D3DPRESENT_PARAMETERS& params);
    friend class Direct3D8;

    // ---- The backend's table ----------------------------------------------------------------
    // (Re)makes the back buffer and depth buffer for these parameters (already checked).
    virtual HRESULT MakeTargets(const D3DPRESENT_PARAMETERS& params) = 0;
    virtual void ClearTargets(DWORD flags, D3DCOLOR color, float z) = 0;
    virtual void DrawTriangleFan(const TLVertex* vertices, UINT count, const DrawState& state) = 0;
    // Shows the back buffer and keeps what was shown for ReadPresented; the back buffer keeps
    // its contents.
    virtual HRESULT PresentFrame() = 0;
    virtual std::vector<uint32_t> ReadPresented() = 0;
    virtual void FillCaps(D3DCAPS8& caps) const = 0;
    // Drops the backend's data of a resource that is going away.
    virtual void ForgetResource(Resource& resource) { resource.Backend.reset(); }

    const std::vector<Resource*>& Resources() const { return FResources; }
    const D3DGAMMARAMP& GammaRamp() const { return FGamma; }
    bool GammaIsIdentity() const;

private:
    friend class Resource;
    void ResourceDestroyed(Resource& resource);
    template <typename T>
    T* Register(std::unique_ptr<T>& resource);
    HRESULT CheckParameters(D3DPRESENT_PARAMETERS& params) const;
    void ResetStates();
    bool UpdateLoss();
    bool ValidRenderState(D3DRENDERSTATETYPE state, DWORD value) const;
    bool ValidStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value) const;
    DrawState CurrentDrawState() const;

    D3DDEVTYPE FType;
    DeviceWindow FWindow;
    D3DPRESENT_PARAMETERS FParams;
    std::array<DWORD, 256> FRenderStates{};
    std::array<DWORD, 32> FStageStates{};
    Texture* FTexture = nullptr;
    VertexBuffer* FStream = nullptr;
    UINT FStride = 0;
    DWORD FFVF = 0;
    D3DGAMMARAMP FGamma;
    bool FInScene = false;
    bool FForcedLost = false;
    bool FLost = false;
    bool FNeedsReset = false;
    std::vector<Resource*> FResources;
    std::vector<TLVertex> FVertices; // scratch for the draw being made
};

} // namespace d3d
