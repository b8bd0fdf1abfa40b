// The pixel formats of textures and render targets, and the one set of conversions between them
// and 32-bit ARGB that every device uses, so that a 16-bit texel or target pixel means the same
// colour on all of them.
#pragma once

#include "platform/d3d/D3D8Types.h"

#include <cstdint>

namespace d3d {

// 0 for formats we do not store.
int BytesPerPixel(D3DFORMAT format);
bool IsTextureFormat(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);
bool HasAlpha(D3DFORMAT format);

// 5- and 6-bit channels widen to the nearest 8-bit value (v * 255 / 31 rounded) and narrow to
// the nearest 5- or 6-bit one, the way unsigned-normalised conversions round everywhere else.
uint32_t ExpandR5G6B5(uint16_t pixel); // opaque ARGB
uint16_t PackR5G6B5(uint32_t argb);
uint32_t ExpandA4R4G4B4(uint16_t pixel); // each 4-bit channel times 17

// One row of pixels in format to ARGB; X8R8G8B8 and R5G6B5 come out opaque.
void ConvertRowToARGB(D3DFORMAT format, const void* source, uint32_t* target, int count);

} // namespace d3d
