// The software device's per-pixel arithmetic, one definition for every path.
//
// The reference rasterizer calls these functions pixel by pixel; the span path's vector loops
// compute exactly the same integers (tests hold them equal). Everything is integer arithmetic,
// so the order of evaluation cannot change a result:
//   - texture coordinates are texel positions in 32.32 fixed point, wrapped by masking (the
//     sides are powers of two), taken 1/1024 texel after the interpolated position so that
//     samples exactly on a texel boundary go to the texel after it on every device;
//   - point sampling takes the texel containing the position; bilinear sampling weighs the
//     four nearest texel centres (at half-integers) with 7-bit fractions:
//       c = (sum of t_ij * wx_i * wy_j + 8192) >> 14, wx = (128 - fx, fx), wy = (128 - fy, fy);
//   - products of two 8-bit channels are rounded to nearest: Mul255(a, b) = round(a * b / 255),
//     computed as ((a * b + 128) * 257) >> 16, which is exact for all a, b in 0..255;
//   - blending adds the two weighted terms and saturates at 255.
#pragma once

#include "platform/d3d/D3D8Types.h"
#include "platform/d3d/Device.h"
#include "platform/d3d/PixelFormats.h"

#include <cstdint>
#include <cstring>

namespace d3d::soft {

enum class TargetFormat : uint8_t { ARGB, XRGB, RGB565 };

struct Target {
    uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Pitch = 0; // bytes
    TargetFormat Format = TargetFormat::XRGB;
};

// Level 0 of a texture as 32-bit ARGB texels.
struct TextureView {
    const uint32_t* Texels = nullptr; // nullptr: no texture, reads as opaque white
    int Width = 0;                    // powers of two
    int Height = 0;
    int Pitch = 0; // texels per row
};

constexpr uint32_t Channel(uint32_t argb, int shift) {
    return (argb >> shift) & 0xFF;
}

constexpr uint32_t Mul255(uint32_t a, uint32_t b) {
    return ((a * b + 128) * 257) >> 16;
}

inline uint32_t TexelAt(const TextureView& tex, int64_t i, int64_t j) {
    const int64_t x = i & (tex.Width - 1);
    const int64_t y = j & (tex.Height - 1);
    return tex.Texels[y * tex.Pitch + x];
}

inline uint32_t SamplePoint(const TextureView& tex, int64_t s, int64_t t) {
    return TexelAt(tex, s >> 32, t >> 32);
}

inline uint32_t SampleBilinear(const TextureView& tex, int64_t s, int64_t t) {
    // Texel centres sit on half-integers: step back half a texel first.
    const int64_t sc = s - (int64_t{1} << 31);
    const int64_t tc = t - (int64_t{1} << 31);
    const int64_t i = sc >> 32;
    const int64_t j = tc >> 32;
    const uint32_t fx = static_cast<uint32_t>(sc >> 25) & 127;
    const uint32_t fy = static_cast<uint32_t>(tc >> 25) & 127;
    const uint32_t t00 = TexelAt(tex, i, j), t10 = TexelAt(tex, i + 1, j);
    const uint32_t t01 = TexelAt(tex, i, j + 1), t11 = TexelAt(tex, i + 1, j + 1);
    const uint32_t w00 = (128 - fx) * (128 - fy), w10 = fx * (128 - fy);
    const uint32_t w01 = (128 - fx) * fy, w11 = fx * fy;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t sum = Channel(t00, shift) * w00 + Channel(t10, shift) * w10 +
                             Channel(t01, shift) * w01 + Channel(t11, shift) * w11;
        out |= ((sum + 8192) >> 14) << shift;
    }
    return out;
}

inline uint32_t Sample(const TextureView& tex, bool linear, int64_t s, int64_t t) {
    if (!tex.Texels)
        return 0xFFFFFFFFu;
    return linear ? SampleBilinear(tex, s, t) : SamplePoint(tex, s, t);
}

// One stage argument; CURRENT is the diffuse colour at stage 0.
inline uint32_t Argument(DWORD arg, uint32_t texel, uint32_t diffuse) {
    return arg == D3DTA_TEXTURE ? texel : diffuse;
}

// One stage operation on the channels selected by mask (colour 0x00FFFFFF or alpha 0xFF000000).
inline uint32_t Operate(D3DTEXTUREOP op, uint32_t arg1, uint32_t arg2, uint32_t diffuse,
                        uint32_t mask) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return arg1 & mask;
    case D3DTOP_SELECTARG2:
        return arg2 & mask;
    case D3DTOP_MODULATE: {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8)
            out |= Mul255(Channel(arg1, shift), Channel(arg2, shift)) << shift;
        return out & mask;
    }
    default: // DISABLE: stage 0 passes the diffuse colour on
        return diffuse & mask;
    }
}

// Stage 0: texture and diffuse colour combined into the source colour.
inline uint32_t Combine(const DrawState& st, uint32_t texel, uint32_t diffuse) {
    const uint32_t rgb = Operate(st.ColorOp, Argument(st.ColorArg1, texel, diffuse),
                                 Argument(st.ColorArg2, texel, diffuse), diffuse, 0x00FFFFFFu);
    const uint32_t a = Operate(st.AlphaOp, Argument(st.AlphaArg1, texel, diffuse),
                               Argument(st.AlphaArg2, texel, diffuse), diffuse, 0xFF000000u);
    return rgb | a;
}

// The factor for one channel (shift 24 is alpha, where colour factors use the alpha).
inline uint32_t Factor(D3DBLEND factor, uint32_t src, uint32_t dst, int shift) {
    switch (factor) {
    case D3DBLEND_ZERO:
        return 0;
    case D3DBLEND_ONE:
        return 255;
    case D3DBLEND_SRCCOLOR:
        return Channel(src, shift);
    case D3DBLEND_INVSRCCOLOR:
        return 255 - Channel(src, shift);
    case D3DBLEND_SRCALPHA:
        return Channel(src, 24);
    case D3DBLEND_INVSRCALPHA:
        return 255 - Channel(src, 24);
    case D3DBLEND_DESTALPHA:
        return Channel(dst, 24);
    case D3DBLEND_INVDESTALPHA:
        return 255 - Channel(dst, 24);
    case D3DBLEND_DESTCOLOR:
        return Channel(dst, shift);
    case D3DBLEND_INVDESTCOLOR:
        return 255 - Channel(dst, shift);
    }
    return 0;
}

inline uint32_t Blend(const DrawState& st, uint32_t src, uint32_t dst) {
    if (!st.BlendEnable)
        return src;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t sum = Mul255(Channel(src, shift), Factor(st.SrcBlend, src, dst, shift)) +
                             Mul255(Channel(dst, shift), Factor(st.DestBlend, src, dst, shift));
        out |= (sum > 255 ? 255 : sum) << shift;
    }
    return out;
}

// Target pixels as ARGB; targets without alpha read as opaque and store opaque.
inline uint32_t ReadPixel(const Target& target, int x, int y) {
    const uint8_t* row = target.Bits + static_cast<size_t>(y) * target.Pitch;
    if (target.Format == TargetFormat::RGB565) {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        return ExpandR5G6B5(p);
    }
    uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
}

inline void WritePixel(const Target& target, int x, int y, uint32_t argb) {
    uint8_t* row = target.Bits + static_cast<size_t>(y) * target.Pitch;
    switch (target.Format) {
    case TargetFormat::RGB565: {
        const uint16_t p = PackR5G6B5(argb);
        std::memcpy(row + 2 * x, &p, 2);
        return;
    }
    case TargetFormat::XRGB:
        argb |= 0xFF000000u;
        break;
    case TargetFormat::ARGB:
        break;
    }
    std::memcpy(row + 4 * x, &argb, 4);
}

// A colour plane value (16.16) to its 8-bit channel.
inline uint32_t ColorChannel(int64_t v) {
    const int64_t c = (v + 0x8000) >> 16;
    return static_cast<uint32_t>(c < 0 ? 0 : c > 255 ? 255 : c);
}

// A depth plane value (16.16 of z * 65535) to the 16-bit depth.
inline uint16_t DepthValue(int64_t v) {
    const int64_t d = (v + 0x8000) >> 16;
    return static_cast<uint16_t>(d < 0 ? 0 : d > 65535 ? 65535 : d);
}

} // namespace d3d::soft
