// The software rasterizer: its span path against its reference path on random scenes, and the
// rules both follow (fill rule, coverage, depth, the rounding of products and formats).
#include "platform/d3d/PixelFormats.h"
#include "platform/d3d/soft/SoftDevice.h"
#include "tests/unit/platform/d3d/DeviceRig.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace d3d;
using testing_support::DeviceRig;
using testing_support::DrawFan;
using testing_support::Rect;

namespace {

// Everything random about one scene, drawn identically on two devices.
class RandomScene {
public:
    explicit RandomScene(uint32_t seed) : FRandom(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRandom); }
    float Real(float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(FRandom);
    }
    bool Chance(double p) { return std::bernoulli_distribution(p)(FRandom); }
    uint32_t Colour() {
        return static_cast<uint32_t>(
            std::uniform_int_distribution<uint64_t>(0, 0xFFFFFFFF)(FRandom));
    }

    D3DFORMAT TargetFormat() {
        static const D3DFORMAT formats[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
        return formats[Int(0, 2)];
    }

    std::vector<TLVertex> Quad(int width, int height) {
        const float w = static_cast<float>(Int(1, 80)), h = static_cast<float>(Int(1, 80));
        const float x = static_cast<float>(Int(-20, width)),
                    y = static_cast<float>(Int(-20, height));
        // Mostly what the engine draws: pixel-edge corners, whole-texture coordinates.
        std::vector<TLVertex> v = Rect(x, y, w, h, 0);
        if (Chance(0.3))
            for (TLVertex& p : v)
                p.X += Real(-0.6f, 0.6f), p.Y += Real(-0.6f, 0.6f);
        if (Chance(0.3)) { // turned and scaled about the middle
            const float angle = Chance(0.5) ? 90.0f * Int(1, 3) : Real(-180, 180);
            const float scale = Real(0.3f, 3.0f);
            const double a = angle * 3.14159265358979 / 180, c = std::cos(a), s = std::sin(a);
            const float cx = x + w / 2, cy = y + h / 2;
            for (TLVertex& p : v) {
                const double dx = (p.X - cx) * scale, dy = (p.Y - cy) * scale;
                p.X = static_cast<float>(cx + c * dx - s * dy);
                p.Y = static_cast<float>(cy + s * dx + c * dy);
            }
        }
        const float u0 = Chance(0.7) ? 0 : Real(-2, 2), v0 = Chance(0.7) ? 0 : Real(-2, 2);
        const float u1 = Chance(0.7) ? 1 : Real(-2, 2), v1 = Chance(0.7) ? 1 : Real(-2, 2);
        const bool flipH = Chance(0.25), flipV = Chance(0.25);
        const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
        const uint32_t shared = Colour();
        const bool flat = Chance(0.6);
        const float z = Chance(0.7) ? 0.0f : Real(0, 1);
        for (int i = 0; i < 4; ++i) {
            const int j = (flipH ? (i ^ 1) : i) ^ (flipV ? 3 : 0);
            v[i].U = us[j];
            v[i].V = vs[j];
            v[i].Diffuse = flat ? shared : Colour();
            v[i].Z = Chance(0.8) ? z : Real(0, 1);
        }
        if (Chance(0.1)) // reversed winding
            std::swap(v[1], v[3]);
        return v;
    }

    std::unique_ptr<Texture> MakeTexture(Device& device) {
        static const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                            D3DFMT_A4R4G4B4};
        const D3DFORMAT format = formats[Int(0, 3)];
        const UINT w = 1u << Int(0, 6), h = 1u << Int(0, 6);
        std::unique_ptr<Texture> texture;
        EXPECT_EQ(device.CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        auto* bytes = static_cast<uint8_t*>(locked.pBits);
        for (UINT y = 0; y < h; ++y)
            for (int i = 0; i < locked.Pitch; ++i) {
                // Runs of fully clear and fully opaque texels, as sprites have.
                const int kind = Int(0, 9);
                bytes[y * locked.Pitch + i] = static_cast<uint8_t>(kind == 0   ? 0
                                                                   : kind == 1 ? 255
                                                                               : Int(0, 255));
            }
        texture->UnlockRect(0);
        return texture;
    }

    void SetStates(Device& device) {
        device.SetRenderState(D3DRS_ALPHABLENDENABLE, Chance(0.85));
        const bool normal = Chance(0.6);
        device.SetRenderState(D3DRS_SRCBLEND,
                              normal ? DWORD{D3DBLEND_SRCALPHA} : static_cast<DWORD>(Int(1, 10)));
        device.SetRenderState(D3DRS_DESTBLEND, normal ? DWORD{D3DBLEND_INVSRCALPHA}
                                                      : static_cast<DWORD>(Int(1, 10)));
        device.SetRenderState(D3DRS_CULLMODE, Int(1, 3));
        device.SetRenderState(D3DRS_ZENABLE, Chance(0.7));
        device.SetRenderState(D3DRS_ZWRITEENABLE, Chance(0.8));
        const bool modulate = Chance(0.7);
        device.SetTextureStageState(
            0, D3DTSS_COLOROP, modulate ? DWORD{D3DTOP_MODULATE} : static_cast<DWORD>(Int(1, 4)));
        device.SetTextureStageState(
            0, D3DTSS_ALPHAOP, modulate ? DWORD{D3DTOP_MODULATE} : static_cast<DWORD>(Int(1, 4)));
        const DWORD args[3] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE};
        device.SetTextureStageState(0, D3DTSS_COLORARG1,
                                    modulate ? D3DTA_TEXTURE : args[Int(0, 2)]);
        device.SetTextureStageState(0, D3DTSS_COLORARG2,
                                    modulate ? D3DTA_DIFFUSE : args[Int(0, 2)]);
        device.SetTextureStageState(0, D3DTSS_ALPHAARG1,
                                    modulate ? D3DTA_TEXTURE : args[Int(0, 2)]);
        device.SetTextureStageState(0, D3DTSS_ALPHAARG2,
                                    modulate ? D3DTA_DIFFUSE : args[Int(0, 2)]);
        device.SetTextureStageState(0, D3DTSS_MAGFILTER, Int(0, 2));
        device.SetTextureStageState(0, D3DTSS_MINFILTER, Int(0, 2));
    }

private:
    std::mt19937 FRandom;
};

std::vector<uint32_t> DrawRandomScene(DeviceRig& rig, uint32_t seed, soft::Path path) {
    RandomScene r(seed);
    const int width = r.Int(1, 120), height = r.Int(1, 90);
    auto device = rig.Make(width, height, r.TargetFormat(), r.Chance(0.8));
    static_cast<SoftDevice&>(*device).SetPath(path);
    std::vector<std::unique_ptr<Texture>> textures;
    for (int i = 0; i < 3; ++i)
        textures.push_back(r.MakeTexture(*device));
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | (r.Chance(0.5) ? D3DCLEAR_ZBUFFER : 0), r.Colour(),
                  r.Real(0, 1), 0);
    for (int quad = 0; quad < 24; ++quad) {
        r.SetStates(*device);
        device->SetTexture(0, r.Chance(0.9) ? textures[r.Int(0, 2)].get() : nullptr);
        DrawFan(*device, r.Quad(width, height));
    }
    device->EndScene();
    return device->ReadBackBuffer();
}

} // namespace

TEST(SoftRaster, SpanPathDrawsExactlyWhatTheReferencePathDrawsWithEveryVectorCode) {
    DeviceRig rig;
    const soft::VectorCode best = soft::BestVectorCode();
    for (soft::VectorCode code :
         {soft::VectorCode::Portable, soft::VectorCode::SSE2, soft::VectorCode::AVX2}) {
        if (code > best)
            continue;
        soft::SetVectorCode(code);
        for (uint32_t seed = 1; seed <= 250; ++seed) {
            const std::vector<uint32_t> fast = DrawRandomScene(rig, seed, soft::Path::Spans);
            const std::vector<uint32_t> reference =
                DrawRandomScene(rig, seed, soft::Path::Reference);
            ASSERT_EQ(fast.size(), reference.size());
            for (size_t i = 0; i < fast.size(); ++i)
                ASSERT_EQ(fast[i], reference[i])
                    << soft::VectorCodeName(code) << ", scene " << seed << ", pixel " << i;
        }
    }
    soft::SetVectorCode(best);
}

// Every source and destination factor the device accepts, on both paths, against the factors'
// definitions: a channel weighs s * F / 255 + d * G / 255, each product rounded, the sum
// saturated. Every channel and both alphas differ, so a factor that reads the wrong one shows.
TEST(SoftRaster, EveryBlendFactorPairWeighsTheChannelsItNames) {
    DeviceRig rig;
    constexpr uint32_t kSource = 0xB3F0417A, kDest = 0x6A2D9CE1;
    const char* const names[] = {"ZERO",      "ONE",         "SRCCOLOR",  "INVSRCCOLOR",
                                 "SRCALPHA",  "INVSRCALPHA", "DESTALPHA", "INVDESTALPHA",
                                 "DESTCOLOR", "INVDESTCOLOR"};
    // The weight out of 255 of factor f for the channel at shift.
    const auto weight = [](DWORD f, int shift) -> uint32_t {
        const uint32_t s = (kSource >> shift) & 0xFF, d = (kDest >> shift) & 0xFF;
        const uint32_t sa = kSource >> 24, da = kDest >> 24;
        const uint32_t table[] = {0, 255, s, 255 - s, sa, 255 - sa, da, 255 - da, d, 255 - d};
        return table[f - D3DBLEND_ZERO];
    };
    for (const soft::Path path : {soft::Path::Spans, soft::Path::Reference}) {
        auto device = rig.Make(2, 1, D3DFMT_A8R8G8B8, false);
        static_cast<SoftDevice&>(*device).SetPath(path);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        for (DWORD src = D3DBLEND_ZERO; src <= D3DBLEND_INVDESTCOLOR; ++src)
            for (DWORD dst = D3DBLEND_ZERO; dst <= D3DBLEND_INVDESTCOLOR; ++dst) {
                ASSERT_EQ(device->SetRenderState(D3DRS_SRCBLEND, src), D3D_OK);
                ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, dst), D3D_OK);
                device->BeginScene();
                device->Clear(0, nullptr, D3DCLEAR_TARGET, kDest, 1, 0);
                DrawFan(*device, Rect(0, 0, 1, 1, kSource));
                device->EndScene();
                uint32_t expected = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const long sum =
                        std::lround(((kSource >> shift) & 0xFF) * weight(src, shift) / 255.0) +
                        std::lround(((kDest >> shift) & 0xFF) * weight(dst, shift) / 255.0);
                    expected |= static_cast<uint32_t>(std::min(sum, 255L)) << shift;
                }
                const std::vector<uint32_t> pixels = device->ReadBackBuffer();
                EXPECT_EQ(pixels[0], expected)
                    << (path == soft::Path::Spans ? "spans" : "reference") << ": source "
                    << names[src - D3DBLEND_ZERO] << ", destination " << names[dst - D3DBLEND_ZERO];
                EXPECT_EQ(pixels[1], kDest) << "a pixel outside the quad was drawn";
            }
    }
}

TEST(SoftRaster, SharedEdgesAreFilledOnceAndUprightQuadsCoverTheirPixels) {
    DeviceRig rig;
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        auto device = rig.Make(64, 64, D3DFMT_X8R8G8B8, false);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
        // A fan around a centre point: every pixel of the polygon belongs to one triangle.
        std::uniform_real_distribution<float> d(-2, 66);
        std::vector<TLVertex> fan = {{d(random), d(random), 0, 1, 0x00010101, 0, 0}};
        const float cx = 32 + d(random) / 8, cy = 32 + d(random) / 8;
        fan[0].X = cx, fan[0].Y = cy;
        for (int i = 0; i <= 8; ++i) {
            const double a = i * 2 * 3.14159265358979 / 8;
            const float radius = 20 + (i % 8) * 1.37f;
            fan.push_back({static_cast<float>(cx + radius * std::cos(a)),
                           static_cast<float>(cy + radius * std::sin(a)), 0, 1, 0x00010101, 0, 0});
        }
        fan.back().X = fan[1].X, fan.back().Y = fan[1].Y;
        ASSERT_EQ(DrawFan(*device, fan), D3D_OK);
        device->EndScene();
        for (uint32_t p : device->ReadBackBuffer())
            ASSERT_LE(p & 0xFF, 1u) << "a pixel was filled by two triangles";
    }

    auto device = rig.Make(96, 96, D3DFMT_X8R8G8B8, false);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    DrawFan(*device, Rect(0, 0, 64, 64, 0xFFFFFFFF));
    DrawFan(*device, Rect(70, 10, 1, 1, 0xFFFFFFFF));
    device->EndScene();
    const std::vector<uint32_t> pixels = device->ReadBackBuffer();
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            const bool inside = (x < 64 && y < 64) || (x == 70 && y == 10);
            ASSERT_EQ(pixels[y * 96 + x], inside ? 0xFFFFFFFFu : 0xFF000000u) << x << ", " << y;
        }
}

TEST(SoftRaster, DepthTestKeepsNearerQuadsAndReplaysLazilyKeptWrites) {
    DeviceRig rig;
    for (auto path : {soft::Path::Spans, soft::Path::Reference}) {
        auto device = rig.Make(32, 8);
        static_cast<SoftDevice&>(*device).SetPath(path);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        // Depth 0 everywhere it is drawn (kept without touching the buffer) ...
        DrawFan(*device, Rect(0, 0, 8, 8, 0xFFFF0000, 0.0f));
        DrawFan(*device, Rect(8, 0, 8, 8, 0xFF00FF00, 0.5f));
        // ... then a quad that can fail the test: behind the first two, in front of nothing.
        DrawFan(*device, Rect(0, 0, 32, 8, 0xFF0000FF, 0.5f));
        device->EndScene();
        const std::vector<uint32_t> p = device->ReadBackBuffer();
        EXPECT_EQ(p[4], 0xFFFF0000u) << "nearer quad stays";
        EXPECT_EQ(p[12], 0xFF0000FFu) << "equal depth passes (less or equal)";
        EXPECT_EQ(p[20], 0xFF0000FFu) << "nothing in front";
    }
}

TEST(SoftRaster, ProductsRoundToNearestAndFormatsConvertBothWays) {
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(soft::Mul255(a, b), static_cast<uint32_t>(std::lround(a * b / 255.0)))
                << a << " * " << b;
    for (uint32_t p = 0; p < 65536; ++p)
        ASSERT_EQ(PackR5G6B5(ExpandR5G6B5(static_cast<uint16_t>(p))), p);
    EXPECT_EQ(ExpandR5G6B5(0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(ExpandR5G6B5(0x8410), 0xFF848284u); // 16/31, 32/63, 16/31
    EXPECT_EQ(ExpandA4R4G4B4(0x8F3C), 0x88FF33CCu);
}
