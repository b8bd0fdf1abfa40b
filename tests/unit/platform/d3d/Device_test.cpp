// The device front end: states, resources, the scene bracket, loss and reset, front-buffer
// reads, and the D3DX helpers.
#include "platform/d3d/D3DX.h"
#include "platform/d3d/Direct3D8.h"
#include "tests/support/Headless.h"
#include "tests/unit/platform/d3d/DeviceRig.h"

#include <SDL.h>
#include <algorithm>
#include <gtest/gtest.h>

using namespace d3d;
using testing_support::DeviceRig;
using testing_support::DrawFan;
using testing_support::Rect;

namespace {

class DeviceTest : public ::testing::Test {
protected:
    DeviceRig Rig;

    DWORD RenderState(Device& d, D3DRENDERSTATETYPE s) {
        DWORD v = 0xDEAD;
        EXPECT_EQ(d.GetRenderState(s, &v), D3D_OK);
        return v;
    }
};

uint32_t PixelAt(Device& d, int x, int y) {
    return d.ReadBackBuffer()[static_cast<size_t>(y) * d.PresentParameters().BackBufferWidth + x];
}

} // namespace

TEST_F(DeviceTest, CreationNeedsTheDisplaySubsystemTheRightVersionAndAnAvailableType) {
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
    SetCreationFaults({.NoDirect3D = true});
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION), nullptr);
    SetCreationFaults({.NoSoftware = true});
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = p.BackBufferHeight = 8;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = 1;
    std::unique_ptr<Device> device;
    EXPECT_EQ(Rig.D3D->CreateDevice(0, D3DDEVTYPE_REF, nullptr, 0, &p, &device),
              D3DERR_NOTAVAILABLE);
    SetCreationFaults({});
    // A hardware device needs a window it can make an OpenGL context in.
    EXPECT_TRUE(FAILED(Rig.D3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &device)));
    p.BackBufferFormat = D3DFMT_A4R4G4B4; // not a target format
    EXPECT_EQ(Rig.D3D->CreateDevice(0, D3DDEVTYPE_REF, nullptr, 0, &p, &device),
              D3DERR_INVALIDCALL);
    p.BackBufferFormat = D3DFMT_R5G6B5;
    ASSERT_EQ(Rig.D3D->CreateDevice(0, D3DDEVTYPE_SW, nullptr, 0, &p, &device), D3D_OK);
    EXPECT_EQ(p.BackBufferCount, 1u) << "the device fills in what it chose";
    D3DSURFACE_DESC desc;
    ASSERT_EQ(device->GetBackBufferDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Width, 8u);
}

TEST_F(DeviceTest, StatesStartAtTheirDefaultsAndRefuseWhatNoDeviceDraws) {
    auto d = Rig.Make(8, 8);
    EXPECT_EQ(RenderState(*d, D3DRS_ZENABLE), 1u) << "on, with a depth buffer";
    EXPECT_EQ(RenderState(*d, D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
    EXPECT_EQ(RenderState(*d, D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(RenderState(*d, D3DRS_ALPHABLENDENABLE), 0u);
    DWORD v = 0;
    EXPECT_EQ(d->GetTextureStageState(0, D3DTSS_ALPHAOP, &v), D3D_OK);
    EXPECT_EQ(v, DWORD{D3DTOP_SELECTARG1});

    EXPECT_EQ(d->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetRenderState(D3DRS_SRCBLEND, 11), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetRenderState(static_cast<D3DRENDERSTATETYPE>(60), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(d->SetVertexShader(0x142), D3DERR_INVALIDCALL);
    EXPECT_EQ(RenderState(*d, D3DRS_FILLMODE), DWORD{D3DFILL_SOLID})
        << "refused values change nothing";
}

TEST_F(DeviceTest, TexturesArePowersOfTwoWithLevelsAndLocksThatMoveTheirRevision) {
    auto d = Rig.Make(8, 8);
    std::unique_ptr<Texture> t;
    EXPECT_EQ(d->CreateTexture(48, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateTexture(8192, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    ASSERT_EQ(d->CreateTexture(64, 16, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &t), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 7u) << "64 down to 1";
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(2, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Height, 4u);

    const uint64_t before = t->Revision();
    D3DLOCKED_RECT locked;
    const RECT r{2, 1, 4, 3};
    ASSERT_EQ(t->LockRect(0, &locked, &r, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 128);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - t->Bits(), 128 + 4);
    EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_GT(t->Revision(), before);
    const RECT outside{0, 0, 65, 1};
    EXPECT_EQ(t->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, DrawingNeedsASceneAVertexStreamAndVerticesInsideIt) {
    auto d = Rig.Make(8, 8);
    EXPECT_EQ(DrawFan(*d, Rect(0, 0, 4, 4, 0xFFFFFFFF)), D3DERR_INVALIDCALL) << "no scene";
    ASSERT_EQ(d->BeginScene(), D3D_OK);
    EXPECT_EQ(d->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(DrawFan(*d, Rect(0, 0, 4, 4, 0xFFFFFFFF)), D3D_OK);
    EXPECT_EQ(d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 3), D3DERR_INVALIDCALL)
        << "five vertices from a buffer of four";
    EXPECT_EQ(d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL)
        << "presenting inside the scene";
    EXPECT_EQ(d->EndScene(), D3D_OK);
    EXPECT_EQ(d->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1, 0), D3DERR_INVALIDCALL)
        << "partial clears are not implemented";
    auto noDepth = Rig.Make(8, 8, D3DFMT_X8R8G8B8, false);
    EXPECT_EQ(noDepth->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, ResourcesOutliveOrPrecedeTheirDeviceSafely) {
    std::unique_ptr<Texture> kept;
    {
        auto d = Rig.Make(8, 8);
        ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &kept), D3D_OK);
        std::unique_ptr<Texture> bound;
        d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bound);
        d->SetTexture(0, bound.get());
        bound.reset();
        EXPECT_EQ(d->GetTexture(0), nullptr) << "a freed texture is unbound";
        auto other = Rig.Make(8, 8);
        EXPECT_EQ(other->SetTexture(0, kept.get()), D3DERR_INVALIDCALL) << "another device's";
    }
    EXPECT_EQ(kept->GetDevice(), nullptr);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(kept->LockRect(0, &locked, nullptr, 0), D3D_OK) << "still plain memory";
    kept->UnlockRect(0);
}

TEST_F(DeviceTest, ALostDeviceIgnoresDrawingAndResetsOnlyWithoutDefaultPoolResources) {
    auto d = Rig.Make(16, 8);
    std::unique_ptr<Texture> managed;
    const uint32_t red = 0xFFFF0000;
    D3DXCreateTextureFromPixels(d.get(), &red, 1, 1, 0, &managed);
    std::unique_ptr<VertexBuffer> dynamic;
    ASSERT_EQ(d->CreateVertexBuffer(28 * 4, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kTLVertexFVF,
                                    D3DPOOL_DEFAULT, &dynamic),
              D3D_OK);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
    d->EndScene();

    d->ForceLost(true);
    EXPECT_EQ(d->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(d->BeginScene(), D3D_OK);
    EXPECT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1, 0), D3D_OK);
    EXPECT_EQ(DrawFan(*d, Rect(0, 0, 16, 8, 0xFFFFFFFF)), D3D_OK);
    EXPECT_EQ(d->EndScene(), D3D_OK);
    EXPECT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(PixelAt(*d, 3, 3), 0xFF0000FFu) << "nothing drawn while lost";
    D3DPRESENT_PARAMETERS p = d->PresentParameters();
    EXPECT_EQ(d->Reset(&p), D3DERR_DEVICELOST);

    d->ForceLost(false);
    EXPECT_EQ(d->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(d->Reset(&p), D3DERR_INVALIDCALL) << "a default-pool buffer is still alive";
    dynamic.reset();
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(d->Reset(&p), D3D_OK);
    EXPECT_EQ(d->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(RenderState(*d, D3DRS_CULLMODE), DWORD{D3DCULL_CCW}) << "states back to defaults";

    // The managed texture kept its contents through the reset.
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetTexture(0, managed.get());
    d->BeginScene();
    DrawFan(*d, Rect(0, 0, 16, 8, 0xFFFFFFFF));
    d->EndScene();
    EXPECT_EQ(PixelAt(*d, 3, 3), 0xFFFF0000u);
}

TEST_F(DeviceTest, TheFrontBufferIsTheLastPresentedFrame) {
    auto d = Rig.Make(4, 2);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d->GetDisplayMode(&mode), D3D_OK);
    EXPECT_EQ(mode.Width, 4u) << "without a window the display is the back buffer";
    std::unique_ptr<Surface> s;
    ASSERT_EQ(d->CreateImageSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, &s), D3D_OK);
    ASSERT_EQ(d->GetFrontBuffer(s.get()), D3D_OK);
    EXPECT_EQ(s->Pixels32()[0], 0xFF000000u) << "nothing presented yet";
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1, 0);
    d->Present(nullptr, nullptr, nullptr, nullptr);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF654321, 1, 0);
    ASSERT_EQ(d->GetFrontBuffer(s.get()), D3D_OK);
    EXPECT_EQ(s->Pixels32()[7], 0xFF123456u);
    std::unique_ptr<Surface> wrong;
    d->CreateImageSurface(2, 2, D3DFMT_A8R8G8B8, &wrong);
    EXPECT_EQ(d->GetFrontBuffer(wrong.get()), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, GammaRampStartsAsIdentityAndReadsBack) {
    auto d = Rig.Make(4, 4);
    D3DGAMMARAMP ramp;
    d->GetGammaRamp(&ramp);
    EXPECT_EQ(ramp.green[200] >> 8, 200);
    ramp.red[10] = 0xFFFF;
    d->SetGammaRamp(D3DSGR_NO_CALIBRATION, &ramp);
    D3DGAMMARAMP back;
    d->GetGammaRamp(&back);
    EXPECT_EQ(back.red[10], 0xFFFF);
}

TEST_F(DeviceTest, TexturesFromPixelsSitTopLeftInPowerOfTwoSidesWithTheKeyCleared) {
    auto d = Rig.Make(4, 4);
    const uint32_t pixels[3 * 2] = {0xFF000000, 0xFF010101, 0x80000000,
                                    0xFFFF0000, 0xFF000000, 0xFF00FF00};
    std::unique_ptr<Texture> t;
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXCreateTextureFromPixels(d.get(), pixels, 3, 2, 0xFF000000, &t, &info), D3D_OK);
    EXPECT_EQ(t->Width(), 4u);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(t->Format(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(t->Pool(), D3DPOOL_MANAGED);
    const uint32_t* texels = t->Texels();
    EXPECT_EQ(texels[0], 0u) << "the key colour becomes transparent black";
    EXPECT_EQ(texels[1], 0xFF010101u) << "near-black stays";
    EXPECT_EQ(texels[2], 0x80000000u) << "the key includes alpha";
    EXPECT_EQ(texels[3], 0u) << "outside the picture";
    EXPECT_EQ(texels[4], 0xFFFF0000u);
    EXPECT_EQ(texels[5], 0u);

    ASSERT_EQ(D3DXCreateTextureFromPixels(d.get(), pixels, 3, 2, 0, &t), D3D_OK);
    EXPECT_EQ(t->Texels()[0], 0xFF000000u) << "no key";
    EXPECT_EQ(D3DXCreateTextureFromPixels(d.get(), pixels, 0, 2, 0, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromPixels(d.get(), pixels, 5000, 1, 0, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(NextPowerOfTwo(1), 1u);
    EXPECT_EQ(NextPowerOfTwo(65), 128u);
}

TEST_F(DeviceTest, PixelsHandedOverMakeTheSameTexturesAsPixelsCopied) {
    auto d = Rig.Make(4, 4);
    constexpr uint32_t kKey = 0xFF102030;
    for (const auto& [width, height] : {std::pair<UINT, UINT>{3, 2}, {5, 7}, {8, 3}, {1, 1}}) {
        for (const bool room : {false, true}) {
            std::vector<uint32_t> pixels;
            if (room) // as rtl's decoders leave them: room for the texture, nothing moves
                pixels.reserve(NextPowerOfTwo(width) * NextPowerOfTwo(height));
            for (UINT i = 0; i < width * height; ++i)
                pixels.push_back(i % 3 == 0 ? kKey : 0xFF000000u | (i * 0x010305));
            std::unique_ptr<Texture> copied, handed;
            ASSERT_EQ(
                D3DXCreateTextureFromPixels(d.get(), pixels.data(), width, height, kKey, &copied),
                D3D_OK);
            ASSERT_EQ(D3DXCreateTextureFromPixels(d.get(), std::move(pixels), width, height, kKey,
                                                  &handed),
                      D3D_OK);
            ASSERT_EQ(handed->Width(), copied->Width());
            ASSERT_EQ(handed->Height(), copied->Height());
            EXPECT_TRUE(std::equal(copied->Texels(),
                                   copied->Texels() + copied->Width() * copied->Height(),
                                   handed->Texels()))
                << width << " x " << height << (room ? " with room" : "");
            EXPECT_EQ(handed->Revision(), copied->Revision()) << "written once, as a fill is";
        }
    }
    std::unique_ptr<Texture> t;
    EXPECT_EQ(D3DXCreateTextureFromPixels(d.get(), std::vector<uint32_t>(5000), 5000, 1, 0, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromPixels(d.get(), std::vector<uint32_t>(5), 3, 2, 0, &t),
              D3DERR_INVALIDCALL)
        << "fewer pixels than the sides say";
    EXPECT_EQ(t, nullptr);
}

TEST_F(DeviceTest, SurfacesSaveAsBmpFiles) {
    testing_support::TempDir dir;
    Surface s(4, 3, D3DFMT_A8R8G8B8);
    for (int i = 0; i < 12; ++i)
        s.Pixels32()[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x111111);
    const RECT rect{1, 1, 3, 3};
    const std::string file = dir.File("shot.bmp");
    ASSERT_EQ(D3DXSaveSurfaceToFile(file, D3DXIFF_BMP, &s, nullptr, &rect), D3D_OK);
    SDL_Surface* loaded = SDL_LoadBMP(file.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->w, 2);
    EXPECT_EQ(loaded->h, 2);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    const auto* p = static_cast<const uint32_t*>(argb->pixels);
    EXPECT_EQ(p[0], 0xFF000000u | 5 * 0x111111u);
    EXPECT_EQ(p[argb->pitch / 4 + 1], 0xFF000000u | 10 * 0x111111u);
    SDL_FreeSurface(argb);
    SDL_FreeSurface(loaded);

    const RECT outside{0, 0, 5, 1};
    EXPECT_EQ(D3DXSaveSurfaceToFile(file, D3DXIFF_BMP, &s, nullptr, &outside), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXSaveSurfaceToFile(dir.File("no/such/folder/shot.bmp"), D3DXIFF_BMP, &s, nullptr,
                                    nullptr),
              E_FAIL);
}
