#include "platform/d3d/D3DX.h"

#include "platform/d3d/PixelFormats.h"
#include "platform/rtl/Files.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <vector>

namespace d3d {

UINT NextPowerOfTwo(UINT value) {
    UINT p = 1;
    while (p < value && p < 0x80000000u)
        p <<= 1;
    return p;
}

HRESULT D3DXCreateTextureFromPixels(Device* device, const uint32_t* pixels, UINT width, UINT height,
                                    D3DCOLOR colorKey, std::unique_ptr<Texture>* texture,
                                    D3DXIMAGE_INFO* info) {
    if (!device || !pixels || !texture || width == 0 || height == 0)
        return D3DERR_INVALIDCALL;
    const HRESULT hr = device->CreateTexture(NextPowerOfTwo(width), NextPowerOfTwo(height), 1, 0,
                                             D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT locked;
    if (FAILED((*texture)->LockRect(0, &locked, nullptr, 0))) {
        texture->reset();
        return D3DERR_INVALIDCALL;
    }
    auto* base = static_cast<uint8_t*>(locked.pBits);
    for (UINT y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(y) * locked.Pitch);
        const uint32_t* source = pixels + static_cast<size_t>(y) * width;
        for (UINT x = 0; x < width; ++x)
            row[x] = (colorKey != 0 && source[x] == colorKey) ? 0 : source[x];
    }
    (*texture)->UnlockRect(0);
    if (info) {
        info->Width = width;
        info->Height = height;
    }
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromPixels(Device* device, std::vector<uint32_t>&& pixels, UINT width,
                                    UINT height, D3DCOLOR colorKey,
                                    std::unique_ptr<Texture>* texture, D3DXIMAGE_INFO* info) {
    std::vector<uint32_t> texels = std::move(pixels);
    if (!device || !texture || width == 0 || height == 0 ||
        texels.size() != static_cast<size_t>(width) * height)
        return D3DERR_INVALIDCALL;
    texture->reset();
    const UINT textureWidth = NextPowerOfTwo(width), textureHeight = NextPowerOfTwo(height);
    // Refused before the pixels are spread over a texture no device would take.
    D3DCAPS8 caps;
    device->GetDeviceCaps(&caps);
    if (textureWidth > caps.MaxTextureWidth || textureHeight > caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    texels.resize(static_cast<size_t>(textureWidth) * textureHeight);
    // Each row moves to its place in the wider texture from the last row up: a row lands at or
    // after where it was and after every row still to move, so nothing is overwritten before it
    // has moved. What the picture does not cover is transparent black (the rows below it are,
    // from the resize).
    for (UINT y = height; y-- > 0;) {
        uint32_t* row = texels.data() + static_cast<size_t>(y) * textureWidth;
        if (textureWidth != width && y > 0)
            std::memmove(row, texels.data() + static_cast<size_t>(y) * width,
                         static_cast<size_t>(width) * sizeof(uint32_t));
        std::fill(row + width, row + textureWidth, 0u);
        if (colorKey != 0)
            std::replace(row, row + width, static_cast<uint32_t>(colorKey), 0u);
    }
    const HRESULT hr = device->CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, texture, &texels);
    if (FAILED(hr))
        return hr;
    // Locked and unlocked as a fill is, so that the texture counts as written.
    D3DLOCKED_RECT locked;
    if (FAILED((*texture)->LockRect(0, &locked, nullptr, 0))) {
        texture->reset();
        return D3DERR_INVALIDCALL;
    }
    (*texture)->UnlockRect(0);
    if (info) {
        info->Width = width;
        info->Height = height;
    }
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFile(const std::string& file, D3DXIMAGE_FILEFORMAT format,
                              Surface* surface, const void*, const RECT* rect) {
    if (format != D3DXIFF_BMP || !surface)
        return D3DERR_INVALIDCALL;
    const RECT area = rect ? *rect
                           : RECT{0, 0, static_cast<int32_t>(surface->Width()),
                                  static_cast<int32_t>(surface->Height())};
    if (area.left < 0 || area.top < 0 || area.left >= area.right || area.top >= area.bottom ||
        static_cast<UINT>(area.right) > surface->Width() ||
        static_cast<UINT>(area.bottom) > surface->Height())
        return D3DERR_INVALIDCALL;
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<uint32_t> argb(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        ConvertRowToARGB(surface->Format(),
                         surface->Bits() + static_cast<size_t>(area.top + y) * surface->Pitch() +
                             static_cast<size_t>(area.left) * BytesPerPixel(surface->Format()),
                         argb.data() + static_cast<size_t>(y) * width, width);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), width, height, 32,
                                                             width * 4, SDL_PIXELFORMAT_RGB888);
    if (!source)
        return E_OUTOFMEMORY;
    // 24 bits: a screenshot has no alpha worth keeping, and every viewer reads these.
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(source);
    if (!rgb)
        return E_OUTOFMEMORY;
    const int saved = SDL_SaveBMP(rgb, rtl::ResolvePath(file).c_str());
    SDL_FreeSurface(rgb);
    return saved == 0 ? D3D_OK : E_FAIL;
}

} // namespace d3d
