// Moving pictures between rtl::TPixels (straight alpha, 0xAARRGGBB) and cairo image surfaces
// (premultiplied ARGB32), for the tools that draw with cairo.
#pragma once

#include "platform/rtl/Pictures.h"

#include <cairo.h>

namespace oil {

// A new ARGB32 surface holding the pixels; the caller destroys it.
cairo_surface_t* SurfaceFromPixels(const rtl::TPixels& pixels);
// The surface's pixels with straight alpha. Unless keepBlack, opaque pure black becomes
// 0xFF010101, so the picture keeps its darkest pixels even under a black colour key.
rtl::TPixels PixelsFromSurface(cairo_surface_t* surface, bool keepBlack = true);

} // namespace oil
