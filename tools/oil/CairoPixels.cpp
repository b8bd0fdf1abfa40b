#include "tools/oil/CairoPixels.h"

#include <algorithm>

namespace oil {

cairo_surface_t* SurfaceFromPixels(const rtl::TPixels& pixels) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.Width, pixels.Height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < pixels.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < pixels.Width; ++x) {
            const uint32_t p = pixels.At(x, y);
            const uint32_t a = p >> 24;
            const auto pre = [&](int shift) { return (((p >> shift) & 255) * a + 127) / 255; };
            row[x] = (a << 24) | (pre(16) << 16) | (pre(8) << 8) | pre(0);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

rtl::TPixels PixelsFromSurface(cairo_surface_t* surface, bool keepBlack) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    rtl::TPixels out;
    out.Width = cairo_image_surface_get_width(surface);
    out.Height = cairo_image_surface_get_height(surface);
    out.Argb.resize(static_cast<size_t>(out.Width) * out.Height);
    const auto straight = [](uint32_t channel, uint32_t alpha) {
        return std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha);
    };
    for (int y = 0; y < out.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < out.Width; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            uint32_t argb = 0;
            if (a != 0)
                argb = (a << 24) | (straight((p >> 16) & 255, a) << 16) |
                       (straight((p >> 8) & 255, a) << 8) | straight(p & 255, a);
            if (argb == 0xFF000000u && !keepBlack)
                argb = 0xFF010101u;
            out.Argb[static_cast<size_t>(y) * out.Width + x] = argb;
        }
    }
    return out;
}

} // namespace oil
