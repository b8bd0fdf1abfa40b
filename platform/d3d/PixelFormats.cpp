#include "platform/d3d/PixelFormats.h"

#include <array>
#include <cstring>

namespace d3d {

namespace {

// Nearest 8-bit value of an n-bit channel: v * 255 / max, rounded. Never a tie: 2 * 255 * v is
// never an odd multiple of max for max 31 or 63.
template <int Max>
constexpr std::array<uint8_t, Max + 1> WidenTable() {
    std::array<uint8_t, Max + 1> table{};
    for (int v = 0; v <= Max; ++v)
        table[v] = static_cast<uint8_t>((v * 255 * 2 + Max) / (2 * Max));
    return table;
}

constexpr auto kWiden5 = WidenTable<31>();
constexpr auto kWiden6 = WidenTable<63>();

// Nearest n-bit value of an 8-bit channel; (c * max + 127) / 255 rounds to nearest and, as
// above, never meets a tie.
constexpr uint32_t Narrow(uint32_t c, uint32_t max) {
    return (c * max + 127) / 255;
}

} // namespace

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_D16:
        return 2;
    default:
        return 0;
    }
}

bool IsTextureFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_A4R4G4B4;
}

bool IsRenderTargetFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5;
}

bool HasAlpha(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A4R4G4B4;
}

uint32_t ExpandR5G6B5(uint16_t pixel) {
    const uint32_t r = kWiden5[(pixel >> 11) & 31];
    const uint32_t g = kWiden6[(pixel >> 5) & 63];
    const uint32_t b = kWiden5[pixel & 31];
    return 0xFF000000u | r << 16 | g << 8 | b;
}

uint16_t PackR5G6B5(uint32_t argb) {
    const uint32_t r = Narrow((argb >> 16) & 0xFF, 31);
    const uint32_t g = Narrow((argb >> 8) & 0xFF, 63);
    const uint32_t b = Narrow(argb & 0xFF, 31);
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

uint32_t ExpandA4R4G4B4(uint16_t pixel) {
    const uint32_t a = ((pixel >> 12) & 15) * 17;
    const uint32_t r = ((pixel >> 8) & 15) * 17;
    const uint32_t g = ((pixel >> 4) & 15) * 17;
    const uint32_t b = (pixel & 15) * 17;
    return a << 24 | r << 16 | g << 8 | b;
}

void ConvertRowToARGB(D3DFORMAT format, const void* source, uint32_t* target, int count) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
        std::memcpy(target, source, static_cast<size_t>(count) * 4);
        return;
    case D3DFMT_X8R8G8B8: {
        std::memcpy(target, source, static_cast<size_t>(count) * 4);
        for (int i = 0; i < count; ++i)
            target[i] |= 0xFF000000u;
        return;
    }
    case D3DFMT_R5G6B5:
    case D3DFMT_A4R4G4B4: {
        const auto* bytes = static_cast<const uint8_t*>(source);
        for (int i = 0; i < count; ++i) {
            uint16_t pixel;
            std::memcpy(&pixel, bytes + 2 * i, 2);
            target[i] = format == D3DFMT_R5G6B5 ? ExpandR5G6B5(pixel) : ExpandA4R4G4B4(pixel);
        }
        return;
    }
    default:
        std::memset(target, 0, static_cast<size_t>(count) * 4);
        return;
    }
}

} // namespace d3d
