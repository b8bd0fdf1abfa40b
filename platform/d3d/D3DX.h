// The D3DX 8 helpers the engine uses: textures from pictures, and saving a surface as a BMP.
//
// Stands in for D3DXCreateTextureFromFileInMemoryEx as the engine calls it (full size, no
// filtering, managed pool, colour key) — except that decoding the file is not done here: the
// caller decodes the picture and hands over its 32-bit ARGB pixels. The texture's sides are
// rounded up to powers of two and the image sits at its top left, unscaled; the rest is
// transparent black.
//
// Relies on: SDL2's BMP writer for D3DXSaveSurfaceToFile.
// Limits: BMP is the only file format written; one mipmap level is made.
#pragma once

#include "platform/d3d/Device.h"

#include <memory>
#include <string>
#include <vector>

namespace d3d {

struct D3DXIMAGE_INFO {
    UINT Width = 0; // of the picture
    UINT Height = 0;
};

// pixels: height rows of width ARGB values. colorKey: pixels exactly equal to it (alpha
// included) become transparent black; 0 disables the key. The texture is A8R8G8B8.
// D3DERR_INVALIDCALL for an empty picture or one larger than the device's largest texture.
HRESULT D3DXCreateTextureFromPixels(Device* device, const uint32_t* pixels, UINT width, UINT height,
                                    D3DCOLOR colorKey, std::unique_ptr<Texture>* texture,
                                    D3DXIMAGE_INFO* info = nullptr);

// The same from pixels the caller gives up (pixels is left empty whatever the outcome): they
// become the texture's texels, laid out in place, so a large picture is not copied once more.
// A vector with room for the texture's size (rtl's decoders leave that room) is not even moved.
HRESULT D3DXCreateTextureFromPixels(Device* device, std::vector<uint32_t>&& pixels, UINT width,
                                    UINT height, D3DCOLOR colorKey,
                                    std::unique_ptr<Texture>* texture,
                                    D3DXIMAGE_INFO* info = nullptr);

// The smallest power of two at least value (1 for 0).
UINT NextPowerOfTwo(UINT value);

enum D3DXIMAGE_FILEFORMAT : DWORD { D3DXIFF_BMP = 0 };

// Saves rect of the surface (all of it when null) as a 24-bit BMP file. The file name uses
// the program's file name rules (rtl::ResolvePath). E_FAIL when it cannot be written.
HRESULT D3DXSaveSurfaceToFile(const std::string& file, D3DXIMAGE_FILEFORMAT format,
                              Surface* surface, const void* palette, const RECT* rect);

} // namespace d3d
