// The software device's vector loops, in SSE2 (the x86-64 baseline), with a plain C++ fallback
// on other processors. Each computes exactly the integers of the per-pixel functions in
// SoftPixel.h; tests hold the span path equal to the reference path.
#include "platform/d3d/soft/SoftRaster.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace d3d::soft::spans {

namespace {

inline uint32_t ModulateScalar(uint32_t t, uint32_t c) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= Mul255(Channel(t, shift), Channel(c, shift)) << shift;
    return out;
}

// Source over destination with source alpha and its inverse; the sum never exceeds 255.
inline uint32_t BlendNormalScalar(uint32_t s, uint32_t d) {
    const uint32_t a = Channel(s, 24);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= (Mul255(Channel(s, shift), a) + Mul255(Channel(d, shift), 255 - a)) << shift;
    return out;
}

#if defined(__SSE2__)

// Channels as 16-bit lanes, two pixels per register.
inline __m128i Mul255(__m128i a, __m128i b) {
    const __m128i k128 = _mm_set1_epi16(128);
    const __m128i k257 = _mm_set1_epi16(257);
    return _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(a, b), k128), k257);
}

inline __m128i AlphaOf(__m128i pixels16) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels16, 0xFF), 0xFF);
}

inline __m128i BlendNormal16(__m128i t, __m128i c, __m128i d) {
    const __m128i k255 = _mm_set1_epi16(255);
    const __m128i s = Mul255(t, c);
    const __m128i a = AlphaOf(s);
    return _mm_add_epi16(Mul255(s, a), Mul255(d, _mm_xor_si128(a, k255)));
}

#endif

} // namespace

void ModulateBlend(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                   int count, uint32_t alphaOr) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i orMask = _mm_set1_epi32(static_cast<int>(alphaOr));
    const __m128i constant = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
    for (; i + 4 <= count; i += 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tex + i));
        // Four fully transparent texels stay transparent after modulation and leave the
        // target as it is (Mul255(d, 255) == d): nothing to do.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(t, alphaMask), zero)) == 0xFFFF)
            continue;
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i clo = constant, chi = constant;
        if (colours) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + i));
            clo = _mm_unpacklo_epi8(c, zero);
            chi = _mm_unpackhi_epi8(c, zero);
        }
        const __m128i lo =
            BlendNormal16(_mm_unpacklo_epi8(t, zero), clo, _mm_unpacklo_epi8(d, zero));
        const __m128i hi =
            BlendNormal16(_mm_unpackhi_epi8(t, zero), chi, _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), orMask));
    }
#endif
    for (; i < count; ++i) {
        const uint32_t s = ModulateScalar(tex[i], colours ? colours[i] : colour);
        dst[i] = BlendNormalScalar(s, dst[i]) | alphaOr;
    }
}

void ModulateCopy(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                  int count, uint32_t alphaOr) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i orMask = _mm_set1_epi32(static_cast<int>(alphaOr));
    const __m128i constant = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
    for (; i + 4 <= count; i += 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tex + i));
        __m128i clo = constant, chi = constant;
        if (colours) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + i));
            clo = _mm_unpacklo_epi8(c, zero);
            chi = _mm_unpackhi_epi8(c, zero);
        }
        const __m128i lo = Mul255(_mm_unpacklo_epi8(t, zero), clo);
        const __m128i hi = Mul255(_mm_unpackhi_epi8(t, zero), chi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), orMask));
    }
#endif
    for (; i < count; ++i)
        dst[i] = ModulateScalar(tex[i], colours ? colours[i] : colour) | alphaOr;
}

void SampleBilinearSpan(uint32_t* out, const TextureView& tex, int64_t s, int64_t t, int64_t ds,
                        int64_t dt, int count) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(8192);
    const int64_t wm = tex.Width - 1, hm = tex.Height - 1;
    s -= int64_t{1} << 31; // texel centres on half-integers
    t -= int64_t{1} << 31;
    for (int i = 0; i < count; ++i, s += ds, t += dt) {
        const int64_t x = s >> 32, y = t >> 32;
        const int fx = static_cast<int>(s >> 25) & 127;
        const int fy = static_cast<int>(t >> 25) & 127;
        const uint32_t* r0 = tex.Texels + (y & hm) * tex.Pitch;
        const uint32_t* r1 = tex.Texels + ((y + 1) & hm) * tex.Pitch;
        const int64_t x0 = x & wm, x1 = (x + 1) & wm;
        // Lanes pair each channel of the left texel with the right one: t0.b t1.b t0.g t1.g ...
        const __m128i top =
            _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(r0[x0])),
                                                _mm_cvtsi32_si128(static_cast<int>(r0[x1]))),
                              zero);
        const __m128i bottom =
            _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(r1[x0])),
                                                _mm_cvtsi32_si128(static_cast<int>(r1[x1]))),
                              zero);
        const int w00 = (128 - fx) * (128 - fy), w10 = fx * (128 - fy);
        const int w01 = (128 - fx) * fy, w11 = fx * fy;
        const __m128i sum = _mm_add_epi32(_mm_madd_epi16(top, _mm_set1_epi32(w10 << 16 | w00)),
                                          _mm_madd_epi16(bottom, _mm_set1_epi32(w11 << 16 | w01)));
        const __m128i c = _mm_srli_epi32(_mm_add_epi32(sum, round), 14);
        const __m128i packed = _mm_packs_epi32(c, c);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
    }
#else
    for (int i = 0; i < count; ++i, s += ds, t += dt)
        out[i] = SampleBilinear(tex, s, t);
#endif
}

bool SampleBilinearRow(uint32_t* out, const TextureView& tex, int64_t s, int64_t t, int64_t ds,
                       int count) {
    // Texel columns the span reads, first to last (the step may run either way).
    constexpr int kMaxColumns = 1024;
    s -= int64_t{1} << 31; // texel centres on half-integers
    t -= int64_t{1} << 31;
    const int64_t last = s + ds * (count - 1);
    const int64_t first = std::min(s, last) >> 32;
    const int64_t columns = (std::max(s, last) >> 32) + 2 - first;
    if (columns > kMaxColumns)
        return false;
    const int64_t wm = tex.Width - 1, hm = tex.Height - 1;
    const int64_t y = t >> 32;
    const int fy = static_cast<int>(t >> 25) & 127;
    const uint32_t* r0 = tex.Texels + (y & hm) * tex.Pitch;
    const uint32_t* r1 = tex.Texels + ((y + 1) & hm) * tex.Pitch;

    // Each column blended vertically without rounding: v = t0 * (128 - fy) + t1 * fy, four
    // 16-bit channels per column (at most 255 * 128, so they fit).
    alignas(16) uint16_t column[(kMaxColumns + 1) * 4];
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i w0 = _mm_set1_epi16(static_cast<short>(128 - fy));
    const __m128i w1 = _mm_set1_epi16(static_cast<short>(fy));
#endif
    for (int64_t k = 0; k < columns;) {
        const int64_t x = (first + k) & wm;
        const int64_t run = std::min(columns - k, tex.Width - x); // up to the wrap
        int64_t i = 0;
#if defined(__SSE2__)
        for (; i + 4 <= run; i += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + x + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + x + i));
            const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), w0),
                                             _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), w1));
            const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), w0),
                                             _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), w1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 4 * (k + i)), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 4 * (k + i) + 8), hi);
        }
#endif
        for (; i < run; ++i)
            for (int c = 0; c < 4; ++c)
                column[4 * (k + i) + c] = static_cast<uint16_t>(
                    Channel(r0[x + i], 8 * c) * (128 - fy) + Channel(r1[x + i], 8 * c) * fy);
        k += run;
    }

    // Then across: (v0 * (128 - fx) + v1 * fx + 8192) >> 14 per channel.
    for (int i = 0; i < count; ++i, s += ds) {
        const int64_t k = (s >> 32) - first;
        const int fx = static_cast<int>(s >> 25) & 127;
#if defined(__SSE2__)
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + 4 * k));
        const __m128i pairs = _mm_unpacklo_epi16(v, _mm_srli_si128(v, 8));
        const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(fx << 16 | (128 - fx)));
        const __m128i c = _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(8192)), 14);
        const __m128i packed = _mm_packs_epi32(c, c);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
#else
        uint32_t p = 0;
        for (int c = 0; c < 4; ++c)
            p |= ((column[4 * k + c] * (128 - fx) + column[4 * k + 4 + c] * fx + 8192) >> 14)
                 << (8 * c);
        out[i] = p;
#endif
    }
    return true;
}

} // namespace d3d::soft::spans
