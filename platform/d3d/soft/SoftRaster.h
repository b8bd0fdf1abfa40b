// The software device's triangle rasterizer.
//
// Two paths draw the same pixels:
//   - Path::Reference visits every pixel of the triangle's bounding box, evaluates the three
//     edge functions and every attribute plane at that pixel directly and shades it with the
//     per-pixel functions of SoftPixel.h. Slow, and plainly right.
//   - Path::Spans walks the triangle row by row, finds each row's covered span exactly from the
//     edge functions, steps the attributes along it and hands it to vector loops (SSE2, the
//     x86-64 baseline) for the common cases: modulate stage, normal alpha blending or none,
//     32-bit target. Everything else goes through a per-pixel span loop that calls the same
//     functions as the reference.
// The setup (snapping, edges, attribute planes, filter choice) is shared, and attribute planes
// are integers anchored at the bounding box's top-left pixel, so stepping along a span and
// evaluating at a pixel give identical values.
//
// Limits: vertices must lie within +-16384 pixels of the origin (triangles reaching further
// are not drawn); texture coordinates beyond +-16384 texels lose their wrap position.
#pragma once

#include "platform/d3d/Device.h"
#include "platform/d3d/soft/SoftPixel.h"

#include <cstdint>
#include <vector>

namespace d3d::soft {

// The 16-bit depth buffer. All our quads lie at depth 0, which passes less-or-equal against
// anything, so the buffer is kept lazily: after a clear it only records the triangles that
// wrote into it while every test was bound to pass, and is filled in (by replaying them) the
// first time a triangle might actually fail the test.
class DepthBuffer {
public:
    void Resize(int width, int height);
    void Clear(uint16_t value);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // The values, filled in first if need be. For tests and the replay.
    const std::vector<uint16_t>& Values();

private:
    friend struct Rasterizer;
    int FWidth = 0;
    int FHeight = 0;
    uint16_t FClearValue = 0xFFFF;
    // Lower bound of every stored value: a fragment at or below it passes.
    uint16_t FFloor = 0xFFFF;
    bool FLazy = true;
    std::vector<TLVertex> FRecorded; // three per triangle, in drawing order
    std::vector<uint16_t> FValues;
};

enum class Path { Spans, Reference };

struct RasterContext {
    Target Colour;
    DepthBuffer* Depth = nullptr; // nullptr: no depth buffer
    TextureView Texels;
    DrawState State;
    Path Mode = Path::Spans;
};

void DrawTriangle(const RasterContext& context, const TLVertex& a, const TLVertex& b,
                  const TLVertex& c);

// The depth a clear to z stores, quantised exactly as a triangle at depth z would be.
uint16_t QuantiseDepth(float z);

// ---- Span loops (SoftSpans.cpp) ------------------------------------------------------------

// Which vector instructions the span loops use. The best the processor has is chosen at start;
// tests lower it to check every level against the reference path.
enum class VectorCode { Portable, SSE2, AVX2 };
VectorCode BestVectorCode();
void SetVectorCode(VectorCode code); // never above the best
VectorCode CurrentVectorCode();
const char* VectorCodeName(VectorCode code);

namespace spans {

// dst[i] = normal alpha blend of Modulate(tex[i], colour) over dst[i]; colours == nullptr
// means every pixel has colour. alphaOr is ORed into the stored pixels (0xFF000000 for
// targets without alpha).
void ModulateBlend(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                   int count, uint32_t alphaOr);
// The same without blending: dst[i] = Modulate(tex[i], colour).
void ModulateCopy(uint32_t* dst, const uint32_t* tex, const uint32_t* colours, uint32_t colour,
                  int count, uint32_t alphaOr);
// Bilinear samples along a span starting at (s, t) and stepping (ds, dt).
void SampleBilinearSpan(uint32_t* out, const TextureView& tex, int64_t s, int64_t t, int64_t ds,
                        int64_t dt, int count);
// The same for a span along which t stays put (an upright quad's row): the two texel rows and
// their weights are the span's, so each texel column is blended vertically once. False (and
// nothing written) when the span reads too wide a stretch of texels for that to pay.
bool SampleBilinearRow(uint32_t* out, const TextureView& tex, int64_t s, int64_t t, int64_t ds,
                       int count);

} // namespace spans

} // namespace d3d::soft
