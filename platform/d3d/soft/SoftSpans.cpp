// The software device's vector loops: SSE2 (the x86-64 baseline), AVX2 where the processor
// has it (chosen at run time, the build stays baseline), and plain C++ for the rest and for
// other processors. Each computes exactly the integers of the per-pixel functions in
// SoftPixel.h; tests hold every level equal to the reference path.
#include "platform/d3d/soft/SoftRaster.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KOSMORRA_AVX2 1
#include <immintrin.h>
#endif

namespace d3d::soft {

namespace {

VectorCode Detect() {
#if defined(KOSMORRA_AVX2)
    if (__builtin_cpu_supports("avx2"))
        return VectorCode::AVX2;
#endif
#if defined(__SSE2__)
    return VectorCode::SSE2;
#else
    return VectorCode::Portable;
#endif
}

VectorCode gCode = Detect();

} // namespace

VectorCode BestVectorCode() {
    static const VectorCode best = Detect();
    return best;
}

void SetVectorCode(VectorCode code) {
    gCode = std::min(code, BestVectorCode());
}

VectorCode CurrentVectorCode() {
    return gCode;
}

const char* VectorCodeName(VectorCode code) {
    switch (code) {
    case VectorCode::AVX2:
        return "AVX2";
    case VectorCode::SSE2:
        return "SSE2";
    case VectorCode::Portable:
        break;
    }
    return "plain C++";
}

} // namespace d3d::soft

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

// Both return how far they got (a multiple of four pixels past start).
int ModulateBlendSse2(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                      int i, int count, uint32_t alphaOr) {
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
    return i;
}

int ModulateCopySse2(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                     int i, int count, uint32_t alphaOr) {
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
    return i;
}

#endif

#if defined(KOSMORRA_AVX2)

// The same with eight pixels in two 256-bit registers; unpacking and packing work within each
// 128-bit half, so pixel order survives the round trip.
__attribute__((target("avx2"))) inline __m256i Mul255x(__m256i a, __m256i b) {
    return _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128)),
                              _mm256_set1_epi16(257));
}

__attribute__((target("avx2"))) inline __m256i BlendNormal16x(__m256i t, __m256i c, __m256i d) {
    const __m256i s = Mul255x(t, c);
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    return _mm256_add_epi16(Mul255x(s, a), Mul255x(d, _mm256_xor_si256(a, _mm256_set1_epi16(255))));
}

// Both return how far they got (a multiple of eight pixels past start).
__attribute__((target("avx2"))) int ModulateBlendAvx2(uint32_t* dst, const uint32_t* tex,
                                                      const uint32_t* colours, uint32_t colour,
                                                      int i, int count, uint32_t alphaOr) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i orMask = _mm256_set1_epi32(static_cast<int>(alphaOr));
    const __m256i constant =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
    for (; i + 8 <= count; i += 8) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tex + i));
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(t, alphaMask), zero)) == -1)
            continue; // eight clear texels leave the target as it is
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        __m256i clo = constant, chi = constant;
        if (colours) {
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colours + i));
            clo = _mm256_unpacklo_epi8(c, zero);
            chi = _mm256_unpackhi_epi8(c, zero);
        }
        const __m256i lo =
            BlendNormal16x(_mm256_unpacklo_epi8(t, zero), clo, _mm256_unpacklo_epi8(d, zero));
        const __m256i hi =
            BlendNormal16x(_mm256_unpackhi_epi8(t, zero), chi, _mm256_unpackhi_epi8(d, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_or_si256(_mm256_packus_epi16(lo, hi), orMask));
    }
    return i;
}

__attribute__((target("avx2"))) int ModulateCopyAvx2(uint32_t* dst, const uint32_t* tex,
                                                     const uint32_t* colours, uint32_t colour,
                                                     int i, int count, uint32_t alphaOr) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i orMask = _mm256_set1_epi32(static_cast<int>(alphaOr));
    const __m256i constant =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
    for (; i + 8 <= count; i += 8) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tex + i));
        __m256i clo = constant, chi = constant;
        if (colours) {
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colours + i));
            clo = _mm256_unpacklo_epi8(c, zero);
            chi = _mm256_unpackhi_epi8(c, zero);
        }
        const __m256i lo = Mul255x(_mm256_unpacklo_epi8(t, zero), clo);
        const __m256i hi = Mul255x(_mm256_unpackhi_epi8(t, zero), chi);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_or_si256(_mm256_packus_epi16(lo, hi), orMask));
    }
    return i;
}

#endif

} // namespace

void ModulateBlend(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                   int count, uint32_t alphaOr) {
    int i = 0;
#if defined(KOSMORRA_AVX2)
    if (gCode == VectorCode::AVX2)
        i = ModulateBlendAvx2(dst, tex, colours, colour, i, count, alphaOr);
#endif
#if defined(__SSE2__)
    if (gCode != VectorCode::Portable)
        i = ModulateBlendSse2(dst, tex, colours, colour, i, count, alphaOr);
#endif
    for (; i < count; ++i) {
        const uint32_t s = ModulateScalar(tex[i], colours ? colours[i] : colour);
        dst[i] = BlendNormalScalar(s, dst[i]) | alphaOr;
    }
}

void ModulateCopy(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                  int count, uint32_t alphaOr) {
    int i = 0;
#if defined(KOSMORRA_AVX2)
    if (gCode == VectorCode::AVX2)
        i = ModulateCopyAvx2(dst, tex, colours, colour, i, count, alphaOr);
#endif
#if defined(__SSE2__)
    if (gCode != VectorCode::Portable)
        i = ModulateCopySse2(dst, tex, colours, colour, i, count, alphaOr);
#endif
    for (; i < count; ++i)
        dst[i] = ModulateScalar(tex[i], colours ? colours[i] : colour) | alphaOr;
}

void SampleBilinearSpan(uint32_t* out, const TextureView& tex, int64_t s, int64_t t, int64_t ds,
                        int64_t dt, int count) {
    int i = 0;
#if defined(__SSE2__)
    if (gCode != VectorCode::Portable) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i round = _mm_set1_epi32(8192);
        const int64_t wm = tex.Width - 1, hm = tex.Height - 1;
        int64_t sc = s - (int64_t{1} << 31); // texel centres on half-integers
        int64_t tc = t - (int64_t{1} << 31);
        for (; i < count; ++i, sc += ds, tc += dt) {
            const int64_t x = sc >> 32, y = tc >> 32;
            const int fx = static_cast<int>(sc >> 25) & 127;
            const int fy = static_cast<int>(tc >> 25) & 127;
            const uint32_t* r0 = tex.Texels + (y & hm) * tex.Pitch;
            const uint32_t* r1 = tex.Texels + ((y + 1) & hm) * tex.Pitch;
            const int64_t x0 = x & wm, x1 = (x + 1) & wm;
            // Lanes pair each channel of the left texel with the right one: t0.b t1.b t0.g ...
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
            const __m128i sum =
                _mm_add_epi32(_mm_madd_epi16(top, _mm_set1_epi32(w10 << 16 | w00)),
                              _mm_madd_epi16(bottom, _mm_set1_epi32(w11 << 16 | w01)));
            const __m128i c = _mm_srli_epi32(_mm_add_epi32(sum, round), 14);
            const __m128i packed = _mm_packs_epi32(c, c);
            out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
        }
    }
#endif
    for (s += ds * i, t += dt * i; i < count; ++i, s += ds, t += dt)
        out[i] = SampleBilinear(tex, s, t);
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
    const bool vector = gCode != VectorCode::Portable;

    // Each column blended vertically without rounding: v = t0 * (128 - fy) + t1 * fy, four
    // 16-bit channels per column (at most 255 * 128, so they fit).
    alignas(16) uint16_t column[(kMaxColumns + 1) * 4];
    for (int64_t k = 0; k < columns;) {
        const int64_t x = (first + k) & wm;
        const int64_t run = std::min(columns - k, tex.Width - x); // up to the wrap
        int64_t i = 0;
#if defined(__SSE2__)
        if (vector) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i w0 = _mm_set1_epi16(static_cast<short>(128 - fy));
            const __m128i w1 = _mm_set1_epi16(static_cast<short>(fy));
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
        }
#endif
        for (; i < run; ++i)
            for (int c = 0; c < 4; ++c)
                column[4 * (k + i) + c] = static_cast<uint16_t>(
                    Channel(r0[x + i], 8 * c) * (128 - fy) + Channel(r1[x + i], 8 * c) * fy);
        k += run;
    }

    // Then across: (v0 * (128 - fx) + v1 * fx + 8192) >> 14 per channel.
    int i = 0;
#if defined(__SSE2__)
    if (vector) {
        const __m128i round = _mm_set1_epi32(8192);
        const auto across = [&](int64_t at) {
            const int64_t k = (at >> 32) - first;
            const int fx = static_cast<int>(at >> 25) & 127;
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + 4 * k));
            const __m128i pairs = _mm_unpacklo_epi16(v, _mm_srli_si128(v, 8));
            const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(fx << 16 | (128 - fx)));
            return _mm_srli_epi32(_mm_add_epi32(sum, round), 14);
        };
        // Four pixels packed and stored together.
        for (; i + 4 <= count; i += 4, s += 4 * ds) {
            const __m128i a = across(s), b = across(s + ds), c = across(s + 2 * ds),
                          d = across(s + 3 * ds);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d)));
        }
    }
#endif
    for (; i < count; ++i, s += ds) {
        const int64_t k = (s >> 32) - first;
        const int fx = static_cast<int>(s >> 25) & 127;
        uint32_t p = 0;
        for (int c = 0; c < 4; ++c)
            p |= ((column[4 * k + c] * (128 - fx) + column[4 * k + 4 + c] * fx + 8192) >> 14)
                 << (8 * c);
        out[i] = p;
    }
    return true;
}

} // namespace d3d::soft::spans
