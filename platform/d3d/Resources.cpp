#include "platform/d3d/Resources.h"

#include "platform/d3d/Device.h"
#include "platform/d3d/PixelFormats.h"

namespace d3d {

namespace {

bool RectInside(const RECT& r, UINT width, UINT height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           static_cast<UINT>(r.right) <= width && static_cast<UINT>(r.bottom) <= height;
}

} // namespace

// ---- Resource -----------------------------------------------------------------------------

Resource::Resource(Device* device, D3DRESOURCETYPE type, DWORD usage, D3DPOOL pool)
    : FDevice(device), FType(type), FUsage(usage), FPool(pool) {}

Resource::~Resource() {
    if (FDevice)
        FDevice->ResourceDestroyed(*this);
}

// ---- Texture ------------------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool, std::vector<uint32_t>* level0)
    : Resource(device, D3DRTYPE_TEXTURE, usage, pool), FFormat(format) {
    const int bytes = BytesPerPixel(format);
    for (UINT i = 0; i < levels; ++i) {
        Level level;
        level.Width = width;
        level.Height = height;
        level.Pitch = static_cast<int>(width) * bytes;
        const size_t words = (static_cast<size_t>(level.Pitch) * height + 3) / 4;
        if (i == 0 && level0 && level0->size() == words)
            level.Words.swap(*level0);
        else
            level.Words.assign(words, 0);
        FLevels.push_back(std::move(level));
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
    if (level >= FLevels.size() || !desc)
        return D3DERR_INVALIDCALL;
    const Level& l = FLevels[level];
    desc->Format = FFormat;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = Usage();
    desc->Pool = Pool();
    desc->Size = static_cast<UINT>(l.Pitch) * l.Height;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = l.Width;
    desc->Height = l.Height;
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (level >= FLevels.size() || !locked)
        return D3DERR_INVALIDCALL;
    Level& l = FLevels[level];
    if (l.Locked || (rect && !RectInside(*rect, l.Width, l.Height)))
        return D3DERR_INVALIDCALL;
    const int bytes = BytesPerPixel(FFormat);
    const size_t offset =
        rect ? static_cast<size_t>(rect->top) * l.Pitch + static_cast<size_t>(rect->left) * bytes
             : 0;
    l.Locked = true;
    locked->Pitch = l.Pitch;
    locked->pBits = reinterpret_cast<uint8_t*>(l.Words.data()) + offset;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= FLevels.size() || !FLevels[level].Locked)
        return D3DERR_INVALIDCALL;
    FLevels[level].Locked = false;
    Touch();
    return D3D_OK;
}

bool Texture::AnyLevelLocked() const {
    for (const Level& l : FLevels)
        if (l.Locked)
            return true;
    return false;
}

// ---- VertexBuffer -------------------------------------------------------------------------

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, D3DPOOL pool)
    : Resource(device, D3DRTYPE_VERTEXBUFFER, usage, pool), FBytes(length, 0) {}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, uint8_t** data, DWORD) {
    if (!data || FLocked || offset > FBytes.size() || size > FBytes.size() - offset)
        return D3DERR_INVALIDCALL;
    FLocked = true;
    *data = FBytes.data() + offset;
    return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
    if (!FLocked)
        return D3DERR_INVALIDCALL;
    FLocked = false;
    Touch();
    return D3D_OK;
}

// ---- Surface ------------------------------------------------------------------------------

Surface::Surface(UINT width, UINT height, D3DFORMAT format)
    : FWidth(width), FHeight(height), FFormat(format),
      FPitch(static_cast<int>(width) * BytesPerPixel(format)),
      FWords((static_cast<size_t>(FPitch) * height + 3) / 4, 0) {}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) const {
    if (!desc)
        return D3DERR_INVALIDCALL;
    desc->Format = FFormat;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = 0;
    desc->Pool = D3DPOOL_SYSTEMMEM;
    desc->Size = static_cast<UINT>(FPitch) * FHeight;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = FWidth;
    desc->Height = FHeight;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked || FLocked || (rect && !RectInside(*rect, FWidth, FHeight)))
        return D3DERR_INVALIDCALL;
    const size_t offset = rect ? static_cast<size_t>(rect->top) * FPitch +
                                     static_cast<size_t>(rect->left) * BytesPerPixel(FFormat)
                               : 0;
    FLocked = true;
    locked->Pitch = FPitch;
    locked->pBits = Bits() + offset;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (!FLocked)
        return D3DERR_INVALIDCALL;
    FLocked = false;
    return D3D_OK;
}

} // namespace d3d
