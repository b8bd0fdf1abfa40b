// What a device makes and others hold: textures, vertex buffers and image surfaces.
//
// Every resource keeps its contents in system memory; a device that draws from somewhere else
// (OpenGL) keeps its own copy beside it in Backend and refreshes it when Revision has moved on,
// which is what lets managed-pool resources survive a device reset untouched.
//
// Lifetimes are explicit: whoever creates a resource owns it (std::unique_ptr). A resource and
// its device know each other: destroying a texture unbinds it from the device, and destroying
// the device first leaves its resources as plain memory that can still be locked but no longer
// drawn (GetDevice() then returns nullptr).
#pragma once

#include "platform/d3d/D3D8Types.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace d3d {

class Device;

// A device's private data for one resource (a GL object name, a converted copy).
class BackendData {
public:
    virtual ~BackendData() = default;
};

class Resource {
public:
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;
    virtual ~Resource();

    D3DPOOL Pool() const { return FPool; }
    D3DRESOURCETYPE Type() const { return FType; }
    DWORD Usage() const { return FUsage; }
    // The device that made it, or nullptr once that device is gone.
    Device* GetDevice() const { return FDevice; }
    // Moves on whenever the contents change (every unlock).
    uint64_t Revision() const { return FRevision; }

    // Owned by the device's backend; dropped when either side goes.
    std::unique_ptr<BackendData> Backend;

protected:
    Resource(Device* device, D3DRESOURCETYPE type, DWORD usage, D3DPOOL pool);
    void Touch() { ++FRevision; }

private:
    friend class Device;
    Device* FDevice;
    D3DRESOURCETYPE FType;
    DWORD FUsage;
    D3DPOOL FPool;
    uint64_t FRevision = 1;
};

class Texture final : public Resource {
public:
    UINT GetLevelCount() const { return static_cast<UINT>(FLevels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    // rect == nullptr locks the whole level. One lock per level at a time.
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

    D3DFORMAT Format() const { return FFormat; }
    UINT Width() const { return FLevels[0].Width; }
    UINT Height() const { return FLevels[0].Height; }
    // Level 0 as stored (rows of Width() * BytesPerPixel bytes), for devices.
    const uint8_t* Bits() const {
        return reinterpret_cast<const uint8_t*>(FLevels[0].Words.data());
    }
    // Level 0 of a 32-bit texture as its texels.
    const uint32_t* Texels() const { return FLevels[0].Words.data(); }
    int Pitch() const { return FLevels[0].Pitch; }
    bool AnyLevelLocked() const;

private:
    friend class Device;
    // level0, when given, is level 0's storage already filled, taken instead of a new one.
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
            D3DPOOL pool, std::vector<uint32_t>* level0 = nullptr);

    struct Level {
        UINT Width = 0;
        UINT Height = 0;
        int Pitch = 0;
        // Stored in 32-bit words so that 32-bit texels can be read as what they are.
        std::vector<uint32_t> Words;
        bool Locked = false;
    };
    D3DFORMAT FFormat;
    std::vector<Level> FLevels;
};

class VertexBuffer final : public Resource {
public:
    // size 0 locks from offset to the end.
    HRESULT Lock(UINT offset, UINT size, uint8_t** data, DWORD flags);
    HRESULT Unlock();
    UINT Length() const { return static_cast<UINT>(FBytes.size()); }
    bool Locked() const { return FLocked; }
    const uint8_t* Data() const { return FBytes.data(); }

private:
    friend class Device;
    // The device checks the vertex format when it makes the buffer; there is only one.
    VertexBuffer(Device* device, UINT length, DWORD usage, D3DPOOL pool);
    std::vector<uint8_t> FBytes;
    bool FLocked = false;
};

// A system-memory image, the target of front-buffer reads and the source of saved pictures.
class Surface {
public:
    Surface(UINT width, UINT height, D3DFORMAT format);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    UINT Width() const { return FWidth; }
    UINT Height() const { return FHeight; }
    D3DFORMAT Format() const { return FFormat; }
    int Pitch() const { return FPitch; }
    uint8_t* Bits() { return reinterpret_cast<uint8_t*>(FWords.data()); }
    const uint8_t* Bits() const { return reinterpret_cast<const uint8_t*>(FWords.data()); }
    uint32_t* Pixels32() { return FWords.data(); }

private:
    UINT FWidth;
    UINT FHeight;
    D3DFORMAT FFormat;
    int FPitch;
    std::vector<uint32_t> FWords;
    bool FLocked = false;
};

} // namespace d3d
