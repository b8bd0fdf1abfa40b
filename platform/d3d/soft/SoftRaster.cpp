#include "platform/d3d/soft/SoftRaster.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

namespace d3d::soft {

namespace {

constexpr double kMaxCoordinate = 16384.0;
constexpr int64_t kSubpixel = 256;                // positions snap to 1/256 pixel
constexpr double kTexelScale = 4294967296.0;      // texel positions in 32.32
constexpr double kChannelScale = 65536.0;         // colours and depth in 16.16
constexpr double kTexelLimit = 70368744177664.0;  // 2^46: keeps every step sum inside int64
constexpr double kChannelLimit = 1099511627776.0; // 2^40
constexpr size_t kMaxRecordedTriangles = 16384;
constexpr int64_t kTexelLean = int64_t{1} << 22; // 1/1024 texel in 32.32

int64_t FloorDiv(int64_t a, int64_t b) {
    assert(b > 0 && "FloorDiv needs a positive divisor");
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

int64_t ToFixed(double value, double limit) {
    if (!(value > -limit)) // also catches NaN
        value = -limit;
    if (!(value < limit))
        value = limit;
    return std::llround(value);
}

// An attribute as an integer plane: its value at the anchor pixel and its steps per pixel.
struct Plane {
    int64_t C = 0;
    int64_t Dx = 0;
    int64_t Dy = 0;
    int64_t At(int64_t kx, int64_t ky) const { return C + Dx * kx + Dy * ky; }
};

struct Setup {
    // Covered pixels lie in [X0, X1] x [Y0, Y1]; (X0, Y0) anchors the planes.
    int X0 = 0, Y0 = 0, X1 = -1, Y1 = -1;
    // Edge functions: E = EC + EDx * kx + EDy * ky; a pixel is inside when E >= EBias for all
    // three (bias 0 on top and left edges, 1 elsewhere: the top-left rule).
    int64_t EC[3] = {}, EDx[3] = {}, EDy[3] = {}, EBias[3] = {};
    Plane S, T;       // texel positions, 32.32
    Plane R, G, B, A; // colour channels, 16.16
    Plane Z;          // z * 65535, 16.16
    bool ConstColour = false;
    uint32_t Colour = 0;
    uint16_t DepthLo = 0, DepthHi = 0; // bounds of every depth the triangle produces
    bool Linear = false;
    bool Inside(int64_t kx, int64_t ky) const {
        for (int e = 0; e < 3; ++e)
            if (EC[e] + EDx[e] * kx + EDy[e] * ky < EBias[e])
                return false;
        return true;
    }
    uint32_t ColourAt(int64_t kx, int64_t ky) const {
        if (ConstColour)
            return Colour;
        return ColorChannel(A.At(kx, ky)) << 24 | ColorChannel(R.At(kx, ky)) << 16 |
               ColorChannel(G.At(kx, ky)) << 8 | ColorChannel(B.At(kx, ky));
    }
};

// Builds the setup; false when nothing is to be drawn (degenerate, culled, off the target,
// out of range). width/height clip the bounding box.
bool BuildSetup(const TLVertex* in0, const TLVertex* in1, const TLVertex* in2, D3DCULL cull,
                int width, int height, const TextureView& tex, const DrawState& st, Setup& s) {
    const TLVertex* v[3] = {in0, in1, in2};
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        if (!(std::fabs(v[i]->X) <= kMaxCoordinate && std::fabs(v[i]->Y) <= kMaxCoordinate))
            return false;
        X[i] = static_cast<int64_t>(std::nearbyint(static_cast<double>(v[i]->X) * kSubpixel));
        Y[i] = static_cast<int64_t>(std::nearbyint(static_cast<double>(v[i]->Y) * kSubpixel));
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0)
        return false;
    // Screen y grows downwards, so a positive area is clockwise on screen.
    if ((cull == D3DCULL_CW && area > 0) || (cull == D3DCULL_CCW && area < 0))
        return false;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }

    // Pixel centres sit on integers: the box holds the integers within the snapped extent.
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    s.X0 = static_cast<int>(std::max<int64_t>(0, CeilDiv(minX, kSubpixel)));
    s.X1 = static_cast<int>(std::min<int64_t>(width - 1, FloorDiv(maxX, kSubpixel)));
    s.Y0 = static_cast<int>(std::max<int64_t>(0, CeilDiv(minY, kSubpixel)));
    s.Y1 = static_cast<int>(std::min<int64_t>(height - 1, FloorDiv(maxY, kSubpixel)));
    if (s.X0 > s.X1 || s.Y0 > s.Y1)
        return false;

    const int64_t px = s.X0 * kSubpixel, py = s.Y0 * kSubpixel;
    for (int e = 0; e < 3; ++e) {
        const int a = e, b = (e + 1) % 3;
        const int64_t dx = X[b] - X[a], dy = Y[b] - Y[a];
        s.EDx[e] = -dy * kSubpixel;
        s.EDy[e] = dx * kSubpixel;
        s.EC[e] = dx * (py - Y[a]) - dy * (px - X[a]);
        // Clockwise on screen, a top edge runs rightwards and a left edge upwards.
        s.EBias[e] = ((dy == 0 && dx > 0) || dy < 0) ? 0 : 1;
    }

    // An attribute at a pixel is a0 + (a1 - a0) * w1 + (a2 - a0) * w2, the weights being the
    // edge functions opposite v1 (edge 2) and v2 (edge 0) over the area.
    const double fa = static_cast<double>(area);
    struct Gradient {
        double C, Dx, Dy;
    };
    const auto gradient = [&](double a0, double a1, double a2) {
        const double d1 = a1 - a0, d2 = a2 - a0;
        return Gradient{
            a0 + (d1 * static_cast<double>(s.EC[2]) + d2 * static_cast<double>(s.EC[0])) / fa,
            (d1 * static_cast<double>(s.EDx[2]) + d2 * static_cast<double>(s.EDx[0])) / fa,
            (d1 * static_cast<double>(s.EDy[2]) + d2 * static_cast<double>(s.EDy[0])) / fa};
    };
    const auto plane = [](const Gradient& g, double scale, double limit) {
        return Plane{ToFixed(g.C * scale, limit), ToFixed(g.Dx * scale, limit),
                     ToFixed(g.Dy * scale, limit)};
    };

    if (tex.Texels) {
        const double w = tex.Width, h = tex.Height;
        const Gradient gs = gradient(v[0]->U * w, v[1]->U * w, v[2]->U * w);
        const Gradient gt = gradient(v[0]->V * h, v[1]->V * h, v[2]->V * h);
        s.S = plane(gs, kTexelScale, kTexelLimit);
        s.T = plane(gt, kTexelScale, kTexelLimit);
        // Samples are taken a thousandth of a texel after the interpolated position, so that
        // one falling exactly on a texel boundary (scaling about a corner, quarter turns)
        // belongs to the texel after it on every device, whatever rounding brought it there.
        s.S.C += kTexelLean;
        s.T.C += kTexelLean;
        // More than one texel per pixel in either direction is minification.
        const double rx = gs.Dx * gs.Dx + gt.Dx * gt.Dx, ry = gs.Dy * gs.Dy + gt.Dy * gt.Dy;
        const D3DTEXTUREFILTERTYPE filter = std::max(rx, ry) > 1.0 ? st.MinFilter : st.MagFilter;
        s.Linear = filter == D3DTEXF_LINEAR;
    }

    s.ConstColour = v[0]->Diffuse == v[1]->Diffuse && v[0]->Diffuse == v[2]->Diffuse;
    s.Colour = v[0]->Diffuse;
    if (!s.ConstColour) {
        Plane* channels[4] = {&s.B, &s.G, &s.R, &s.A};
        for (int c = 0; c < 4; ++c) {
            const int shift = 8 * c;
            *channels[c] =
                plane(gradient(Channel(v[0]->Diffuse, shift), Channel(v[1]->Diffuse, shift),
                               Channel(v[2]->Diffuse, shift)),
                      kChannelScale, kChannelLimit);
        }
    }

    s.Z = plane(gradient(v[0]->Z * 65535.0, v[1]->Z * 65535.0, v[2]->Z * 65535.0), kChannelScale,
                kChannelLimit);
    const float zLo = std::min({v[0]->Z, v[1]->Z, v[2]->Z});
    const float zHi = std::max({v[0]->Z, v[1]->Z, v[2]->Z});
    // A flat triangle's plane is exactly its depth; a sloped one may round one step further.
    const int slack = (zLo == zHi) ? 0 : 1;
    s.DepthLo = static_cast<uint16_t>(std::max(0, QuantiseDepth(zLo) - slack));
    s.DepthHi = static_cast<uint16_t>(std::min(65535, QuantiseDepth(zHi) + slack));
    return true;
}

} // namespace

uint16_t QuantiseDepth(float z) {
    return DepthValue(ToFixed(static_cast<double>(z) * 65535.0 * kChannelScale, kChannelLimit));
}

// ---- Depth buffer ------------------------------------------------------------------------------

void DepthBuffer::Resize(int width, int height) {
    FWidth = width;
    FHeight = height;
    FValues.clear();
    Clear(0xFFFF);
}

void DepthBuffer::Clear(uint16_t value) {
    FClearValue = value;
    FFloor = value;
    FLazy = true;
    FRecorded.clear();
}

// Everything that needs the setup lives here, as one friend of the depth buffer.
struct Rasterizer {
    static void Materialise(DepthBuffer& depth) {
        if (!depth.FLazy)
            return;
        depth.FValues.assign(static_cast<size_t>(depth.FWidth) * depth.FHeight, depth.FClearValue);
        // Every recorded triangle passed its test everywhere when drawn, so writing them in
        // order gives what testing and writing them then would have.
        for (size_t i = 0; i + 2 < depth.FRecorded.size(); i += 3) {
            Setup s;
            if (!BuildSetup(&depth.FRecorded[i], &depth.FRecorded[i + 1], &depth.FRecorded[i + 2],
                            D3DCULL_NONE, depth.FWidth, depth.FHeight, TextureView{}, DrawState{},
                            s))
                continue;
            for (int y = s.Y0; y <= s.Y1; ++y)
                for (int x = s.X0; x <= s.X1; ++x)
                    if (s.Inside(x - s.X0, y - s.Y0))
                        depth.FValues[static_cast<size_t>(y) * depth.FWidth + x] =
                            DepthValue(s.Z.At(x - s.X0, y - s.Y0));
        }
        depth.FRecorded.clear();
        depth.FLazy = false;
    }

    static void Draw(const RasterContext& ctx, const TLVertex& a, const TLVertex& b,
                     const TLVertex& c) {
        const Target& target = ctx.Colour;
        Setup s;
        if (!BuildSetup(&a, &b, &c, ctx.State.Cull, target.Width, target.Height, ctx.Texels,
                        ctx.State, s))
            return;

        DepthBuffer* depth = ctx.State.DepthTest ? ctx.Depth : nullptr;
        bool test = false, write = false;
        if (depth) {
            assert(depth->FWidth == target.Width && depth->FHeight == target.Height &&
                   "the depth buffer must match the target");
            if (s.DepthHi <= depth->FFloor) {
                if (ctx.State.DepthWrite) {
                    if (depth->FLazy && depth->FRecorded.size() < 3 * kMaxRecordedTriangles) {
                        depth->FRecorded.insert(depth->FRecorded.end(), {a, b, c});
                    } else {
                        Materialise(*depth);
                        write = true;
                    }
                    depth->FFloor = std::min(depth->FFloor, s.DepthLo);
                }
            } else {
                Materialise(*depth);
                test = true;
                write = ctx.State.DepthWrite;
                if (write)
                    depth->FFloor = std::min(depth->FFloor, s.DepthLo);
            }
        }
        uint16_t* zbuf = (test || write) ? depth->FValues.data() : nullptr;
        if (ctx.Mode == Path::Reference)
            FillReference(ctx, s, zbuf, test, write);
        else
            FillSpans(ctx, s, zbuf, test, write);
    }

    // ---- Reference path ------------------------------------------------------------------------

    static void FillReference(const RasterContext& ctx, const Setup& s, uint16_t* zbuf, bool test,
                              bool write) {
        const Target& target = ctx.Colour;
        for (int y = s.Y0; y <= s.Y1; ++y) {
            for (int x = s.X0; x <= s.X1; ++x) {
                const int64_t kx = x - s.X0, ky = y - s.Y0;
                if (!s.Inside(kx, ky))
                    continue;
                if (zbuf) {
                    uint16_t& stored = zbuf[static_cast<size_t>(y) * target.Width + x];
                    const uint16_t z = DepthValue(s.Z.At(kx, ky));
                    if (test && z > stored)
                        continue;
                    if (write)
                        stored = z;
                }
                const uint32_t texel = Sample(ctx.Texels, s.Linear, s.S.At(kx, ky), s.T.At(kx, ky));
                const uint32_t src = Combine(ctx.State, texel, s.ColourAt(kx, ky));
                WritePixel(target, x, y, Blend(ctx.State, src, ReadPixel(target, x, y)));
            }
        }
    }

    // ---- Span path ----------------------------------------------------------------------------

    // The vector loops cover: a 32-bit target, stage 0 modulating texture and diffuse colour
    // (both channels groups), and normal alpha blending or none, with no depth test to make.
    static bool FastPathApplies(const RasterContext& ctx, bool test) {
        const DrawState& st = ctx.State;
        const auto modulates = [](D3DTEXTUREOP op, DWORD a1, DWORD a2) {
            const auto diffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
            return op == D3DTOP_MODULATE &&
                   ((a1 == D3DTA_TEXTURE && diffuse(a2)) || (a2 == D3DTA_TEXTURE && diffuse(a1)));
        };
        return !test && ctx.Colour.Format != TargetFormat::RGB565 &&
               modulates(st.ColorOp, st.ColorArg1, st.ColorArg2) &&
               modulates(st.AlphaOp, st.AlphaArg1, st.AlphaArg2) &&
               (!st.BlendEnable ||
                (st.SrcBlend == D3DBLEND_SRCALPHA && st.DestBlend == D3DBLEND_INVSRCALPHA));
    }

    // floor(M / D) for M = EC + EDy * ky - bias, one row after another, without dividing:
    // the quotient and remainder move by the step's own quotient and remainder.
    struct EdgeWalker {
        int64_t Q = 0, R = 0, StepQ = 0, StepR = 0, D = 1;
        void Start(int64_t m, int64_t step, int64_t d) {
            D = d;
            Q = FloorDiv(m, d);
            R = m - Q * d;
            StepQ = FloorDiv(step, d);
            StepR = step - StepQ * d;
        }
        void Next() {
            Q += StepQ;
            R += StepR;
            if (R >= D) {
                R -= D;
                ++Q;
            }
        }
    };

    static void FillSpans(const RasterContext& ctx, const Setup& s, uint16_t* zbuf, bool test,
                          bool write) {
        const Target& target = ctx.Colour;
        const bool fast = FastPathApplies(ctx, test);
        // A row's pixels inside edge e satisfy EC + EDx * kx + EDy * ky >= bias: from
        // X0 - floor(M / EDx) on where EDx > 0, up to X0 + floor(M / -EDx) where EDx < 0.
        EdgeWalker walkers[3];
        for (int e = 0; e < 3; ++e)
            if (s.EDx[e] != 0)
                walkers[e].Start(s.EC[e] - s.EBias[e], s.EDy[e], std::abs(s.EDx[e]));
        for (int y = s.Y0; y <= s.Y1; ++y) {
            const int64_t ky = y - s.Y0;
            int64_t left = s.X0, right = s.X1;
            bool empty = false;
            for (int e = 0; e < 3; ++e) {
                if (s.EDx[e] > 0)
                    left = std::max(left, s.X0 - walkers[e].Q);
                else if (s.EDx[e] < 0)
                    right = std::min(right, s.X0 + walkers[e].Q);
                else if (s.EC[e] + s.EDy[e] * ky < s.EBias[e])
                    empty = true;
                if (s.EDx[e] != 0)
                    walkers[e].Next();
            }
            if (empty || left > right)
                continue;
            const int x0 = static_cast<int>(left);
            const int count = static_cast<int>(right - left + 1);
            const int64_t kx = left - s.X0;
            if (fast)
                FastSpan(ctx, s, y, x0, kx, ky, count);
            else
                GenericSpan(ctx, s, zbuf, test, write, y, x0, kx, ky, count);
            if (fast && write) {
                uint16_t* z = zbuf + static_cast<size_t>(y) * target.Width + x0;
                int64_t zv = s.Z.At(kx, ky);
                for (int i = 0; i < count; ++i, zv += s.Z.Dx)
                    z[i] = DepthValue(zv);
            }
        }
    }

    static void GenericSpan(const RasterContext& ctx, const Setup& s, uint16_t* zbuf, bool test,
                            bool write, int y, int x0, int64_t kx, int64_t ky, int count) {
        const Target& target = ctx.Colour;
        int64_t sv = s.S.At(kx, ky), tv = s.T.At(kx, ky), zv = s.Z.At(kx, ky);
        int64_t r = s.R.At(kx, ky), g = s.G.At(kx, ky), b = s.B.At(kx, ky), a = s.A.At(kx, ky);
        uint16_t* z = zbuf ? zbuf + static_cast<size_t>(y) * target.Width + x0 : nullptr;
        for (int i = 0; i < count; ++i, sv += s.S.Dx, tv += s.T.Dx, zv += s.Z.Dx, r += s.R.Dx,
                 g += s.G.Dx, b += s.B.Dx, a += s.A.Dx) {
            if (z) {
                const uint16_t depth = DepthValue(zv);
                if (test && depth > z[i])
                    continue;
                if (write)
                    z[i] = depth;
            }
            const uint32_t colour = s.ConstColour ? s.Colour
                                                  : ColorChannel(a) << 24 | ColorChannel(r) << 16 |
                                                        ColorChannel(g) << 8 | ColorChannel(b);
            const uint32_t src = Combine(ctx.State, Sample(ctx.Texels, s.Linear, sv, tv), colour);
            const int x = x0 + i;
            WritePixel(target, x, y, Blend(ctx.State, src, ReadPixel(target, x, y)));
        }
    }

    static void FastSpan(const RasterContext& ctx, const Setup& s, int y, int x0, int64_t kx,
                         int64_t ky, int count) {
        constexpr int kChunk = 256;
        static const std::vector<uint32_t> white(kChunk, 0xFFFFFFFFu);
        const Target& target = ctx.Colour;
        const TextureView& tex = ctx.Texels;
        const auto kernel = ctx.State.BlendEnable ? spans::ModulateBlend : spans::ModulateCopy;
        const uint32_t alphaOr = target.Format == TargetFormat::XRGB ? 0xFF000000u : 0;
        auto* dst =
            reinterpret_cast<uint32_t*>(target.Bits + static_cast<size_t>(y) * target.Pitch) + x0;

        int64_t sv = s.S.At(kx, ky), tv = s.T.At(kx, ky);

        // An unscaled or slightly shrunk row of an upright quad reads consecutive texels of one
        // texture row: hand the texture row itself to the loop, split where it wraps.
        if (tex.Texels && !s.Linear && s.ConstColour && s.T.Dx == 0 && s.S.Dx >= 0 &&
            s.S.Dx < (int64_t{2} << 32) &&
            ((sv + s.S.Dx * (count - 1)) >> 32) - (sv >> 32) == count - 1) {
            const uint32_t* row = tex.Texels + ((tv >> 32) & (tex.Height - 1)) * tex.Pitch;
            int64_t i = sv >> 32;
            for (int done = 0; done < count;) {
                const int x = static_cast<int>(i & (tex.Width - 1));
                const int run = std::min(count - done, tex.Width - x);
                kernel(dst + done, row + x, nullptr, s.Colour, run, alphaOr);
                done += run;
                i += run;
            }
            return;
        }

        uint32_t texels[kChunk];
        uint32_t colours[kChunk];
        int64_t r = s.R.At(kx, ky), g = s.G.At(kx, ky), b = s.B.At(kx, ky), a = s.A.At(kx, ky);
        for (int done = 0; done < count; done += kChunk) {
            const int n = std::min(kChunk, count - done);
            const uint32_t* source = white.data();
            if (tex.Texels) {
                if (s.Linear) {
                    if (s.T.Dx != 0 || !spans::SampleBilinearRow(texels, tex, sv, tv, s.S.Dx, n))
                        spans::SampleBilinearSpan(texels, tex, sv, tv, s.S.Dx, s.T.Dx, n);
                } else {
                    int64_t si = sv, ti = tv;
                    for (int i = 0; i < n; ++i, si += s.S.Dx, ti += s.T.Dx)
                        texels[i] = SamplePoint(tex, si, ti);
                }
                source = texels;
                sv += s.S.Dx * n;
                tv += s.T.Dx * n;
            }
            const uint32_t* perPixel = nullptr;
            if (!s.ConstColour) {
                for (int i = 0; i < n; ++i, r += s.R.Dx, g += s.G.Dx, b += s.B.Dx, a += s.A.Dx)
                    colours[i] = ColorChannel(a) << 24 | ColorChannel(r) << 16 |
                                 ColorChannel(g) << 8 | ColorChannel(b);
                perPixel = colours;
            }
            kernel(dst + done, source, perPixel, s.Colour, n, alphaOr);
        }
    }
};

const std::vector<uint16_t>& DepthBuffer::Values() {
    Rasterizer::Materialise(*this);
    return FValues;
}

void DrawTriangle(const RasterContext& context, const TLVertex& a, const TLVertex& b,
                  const TLVertex& c) {
    Rasterizer::Draw(context, a, b, c);
}

} // namespace d3d::soft
