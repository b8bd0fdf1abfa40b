// The OpenGL device against the software one: the same scenes through the same engine code,
// compared within a small tolerance, and the OpenGL device's own duties (loss and reset, front
// buffer, full screen). Runs under Xvfb with Mesa (tests/e2e/with_xvfb.sh).
#include "platform/d3d/D3DX.h"
#include "platform/d3d/gl/GlDevice.h"
#include "tests/support/Headless.h"
#include "tests/support/Scenes.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace testing_support;

namespace {

// Largest difference allowed in any channel of any pixel. The devices share every rule that
// decides which pixels a quad covers and which texels it reads; what is left is rounding:
// OpenGL filters with its own weight precision and multiplies in floating point before
// rounding to 8 bits, where the software device rounds each product to the nearest level.
constexpr int kTolerance = 3;
// On a 16-bit target that rounding decides between neighbouring 5-6-5 levels, and Mesa blends
// such targets in its own precision: up to two steps of a 5-bit channel.
constexpr int kTolerance16 = 17;

// One application for the whole program: every test draws on the same X display connection.
class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override { App = std::make_unique<HeadlessApp>(); }
    void TearDown() override { App.reset(); }
    std::unique_ptr<HeadlessApp> App;
};
[[maybe_unused]] auto* const gDisplay = ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

Image Draw(const Scene& scene, TRenderMode mode) {
    ScreenRig rig(mode, scene.Width, scene.Height, scene.FullScreen, scene.Bpp);
    if (!rig.Screen->Device())
        return Image{};
    const std::string backend = rig.Screen->Device()->BackendName();
    EXPECT_EQ(backend, mode == rmHardware ? "gl" : "soft");
    scene.Draw(rig);
    return rig.BackBuffer();
}

class GlAgainstSoft : public ::testing::TestWithParam<Scene> {};

} // namespace

TEST_P(GlAgainstSoft, DrawsTheScenesLikeTheSoftwareDevice) {
    const Image soft = Draw(GetParam(), rmReference);
    const Image gl = Draw(GetParam(), rmHardware);
    const ::testing::AssertionResult close = ImagesClose(
        "gl_" + GetParam().Name, soft, gl, GetParam().Bpp == 16 ? kTolerance16 : kTolerance);
    EXPECT_TRUE(close);
    std::printf("  %s: %s\n", GetParam().Name.c_str(), close.message());
}

INSTANTIATE_TEST_SUITE_P(Scenes, GlAgainstSoft, ::testing::ValuesIn(Scenes()),
                         [](const auto& info) { return info.param.Name; });

TEST(GlDevice, SurvivesLossWithItsTexturesAndStatesAndReadsItsFrontBuffer) {
    ScreenRig rig(rmHardware, 64, 48);
    ASSERT_STREQ(rig.Screen->Device()->BackendName(), "gl");
    Image picture;
    picture.Width = picture.Height = 1;
    picture.Pixels = {0xFF20C040};
    d3d::Texture* texture = rig.MakeTexture(picture);
    rig.Screen->SetBlendMode(1);
    rig.Screen->Device()->ForceLost(true);
    rig.Screen->BeginScene();
    EXPECT_FALSE(rig.Screen->InScene());
    rig.Screen->Device()->ForceLost(false);
    rig.Screen->BeginScene(); // resets
    rig.Renderer.Activate();
    rig.Screen->BeginScene();
    ASSERT_TRUE(rig.Screen->InScene());
    rig.Screen->Clear(0, 0, 0, 255);
    TileDraw t;
    t.Texture = texture;
    t.PictureWidth = 64;
    t.PictureHeight = 48;
    t.BlendMode = -1; // keep the restored additive mode
    DrawTile(rig, t);
    rig.Screen->EndScene();
    EXPECT_EQ(rig.Screen->CurrentBlendMode(), 1);
    const std::vector<uint32_t> presented = rig.Screen->Device()->ReadPresentedFrame();
    ASSERT_EQ(presented.size(), 64u * 48u);
    EXPECT_EQ(presented[100], 0xFF20BF40u) << "texture re-attached, tinted by 254";

    d3d::D3DDISPLAYMODE mode;
    rig.Screen->Device()->GetDisplayMode(&mode);
    std::unique_ptr<d3d::Surface> front;
    rig.Screen->Device()->CreateImageSurface(mode.Width, mode.Height, d3d::D3DFMT_A8R8G8B8, &front);
    ASSERT_EQ(rig.Screen->Device()->GetFrontBuffer(front.get()), d3d::D3D_OK);
    int x = 10, y = 10;
    rig.Form->ClientToScreen(x, y);
    EXPECT_EQ(front->Pixels32()[static_cast<size_t>(y) * mode.Width + x], 0xFF20BF40u);
}

TEST(GlDevice, SwitchesToFullScreenAtSixteenBitsAndBack) {
    ScreenRig rig(rmHardware, 640, 480);
    ASSERT_STREQ(rig.Screen->Device()->BackendName(), "gl");
    rig.Screen->Setbpp(16);
    rig.Screen->ToggleFullScreen();
    EXPECT_FALSE(rig.Screen->PresentParams().Windowed);
    EXPECT_EQ(rig.Screen->PresentParams().BackBufferFormat, d3d::D3DFMT_R5G6B5);
    ASSERT_STREQ(rig.Screen->Device()->BackendName(), "gl");
    rig.Renderer.Activate();
    rig.Screen->BeginScene();
    rig.Screen->Clear(255, 130, 0, 255);
    rig.Screen->EndScene();
    // 130 is not a 6-bit level: the target holds the nearest one (32), which reads back as 130.
    EXPECT_EQ(rig.Screen->Device()->ReadBackBuffer()[0], 0xFFFF8200u);
    ASSERT_TRUE(rig.Form->ClientMapping);
    rig.Screen->ToggleFullScreen();
    EXPECT_TRUE(rig.Screen->PresentParams().Windowed);
    int x = 100, y = 50;
    rig.Form->ClientMapping(x, y);
    EXPECT_EQ(x, 100) << "in a window of the back buffer's size the mapping changes nothing";
    EXPECT_EQ(y, 50);
}

// Draws in one state wait to go to GL together; a texture written between two of them must
// still show its old texels in the first and its new ones in the second.
TEST(GlDevice, ATextureChangedBetweenTwoDrawsOfOneStateShowsOldThenNew) {
    const auto frame = [](TRenderMode mode) {
        ScreenRig rig(mode, 64, 32);
        Image red;
        red.Width = red.Height = 1;
        red.Pixels = {0xFFFF0000};
        d3d::Texture* texture = rig.MakeTexture(red);
        rig.Renderer.Activate();
        rig.Screen->BeginScene();
        rig.Screen->Clear(0, 0, 0, 255);
        TileDraw t;
        t.Texture = texture;
        t.PictureWidth = t.PictureHeight = 32;
        DrawTile(rig, t);
        d3d::D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), d3d::D3D_OK);
        *static_cast<uint32_t*>(locked.pBits) = 0xFF00FF00;
        texture->UnlockRect(0);
        t.X = 32;
        DrawTile(rig, t);
        rig.Screen->EndScene();
        return rig.BackBuffer();
    };
    const Image gl = frame(rmHardware);
    ASSERT_EQ(gl.Pixels.size(), 64u * 32u);
    // Red, then green (the tile's tint takes a level or two off).
    EXPECT_EQ(gl.Pixels[16 * 64 + 16] & 0xF0F0F0, 0xF00000u) << "the texel before the change";
    EXPECT_EQ(gl.Pixels[16 * 64 + 48] & 0xF0F0F0, 0x00F000u) << "the texel after it";
    EXPECT_TRUE(ImagesClose("gl_texture_between_draws", frame(rmReference), gl, kTolerance));
}

// Mesa's llvmpipe draws OpenGL with the processor: asked for hardware without
// KOSMORRA_DEVICE=gl, the screen gets the software device, in a window without OpenGL (the
// driver has left the process), and presents into it.
TEST(GlDevice, ACpuRasterizerIsNotTakenForHardwareUnlessAskedFor) {
    const std::string asked = std::getenv("KOSMORRA_DEVICE") ? std::getenv("KOSMORRA_DEVICE") : "";
    unsetenv("KOSMORRA_DEVICE");
    {
        ScreenRig rig(rmHardware, 64, 48);
        ASSERT_NE(rig.Screen->Device(), nullptr);
        EXPECT_STREQ(rig.Screen->Device()->BackendName(), "soft");
        EXPECT_EQ(rig.Screen->RenderMode, rmSoftware);
        auto* window = static_cast<SDL_Window*>(rig.Form->NativeWindow());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL, 0u);
        rig.Renderer.Activate();
        rig.Screen->BeginScene();
        rig.Screen->Clear(10, 20, 30, 255);
        rig.Screen->EndScene();
        const std::vector<uint32_t> shown = rig.Screen->Device()->ReadPresentedFrame();
        ASSERT_EQ(shown.size(), 64u * 48u);
        EXPECT_EQ(shown[0], 0xFF0A141Eu);
    }
    setenv("KOSMORRA_DEVICE", "gl", 1);
    {
        ScreenRig rig(rmHardware, 64, 48);
        ASSERT_NE(rig.Screen->Device(), nullptr);
        EXPECT_STREQ(rig.Screen->Device()->BackendName(), "gl") << "KOSMORRA_DEVICE=gl takes it";
    }
    if (asked.empty())
        unsetenv("KOSMORRA_DEVICE");
    else
        setenv("KOSMORRA_DEVICE", asked.c_str(), 1);
}

// A frame drawn without a clear goes on from the one presented before it, on both devices.
TEST(GlDevice, AFrameWithoutAClearKeepsWhatWasPresented) {
    const auto frames = [](TRenderMode mode) {
        ScreenRig rig(mode, 64, 32);
        Image blue;
        blue.Width = blue.Height = 1;
        blue.Pixels = {0xFF0000FF};
        d3d::Texture* texture = rig.MakeTexture(blue);
        rig.Renderer.Activate();
        rig.Screen->BeginScene();
        rig.Screen->Clear(200, 40, 0, 255);
        rig.Screen->EndScene();
        rig.Screen->BeginScene();
        TileDraw t;
        t.Texture = texture;
        t.PictureWidth = t.PictureHeight = 16;
        DrawTile(rig, t);
        rig.Screen->EndScene();
        return rig.BackBuffer();
    };
    const Image gl = frames(rmHardware);
    ASSERT_EQ(gl.Pixels.size(), 64u * 32u);
    EXPECT_EQ(gl.Pixels[20 * 64 + 40], 0xFFC82800u) << "the first frame's clear";
    EXPECT_EQ(gl.Pixels[8 * 64 + 8] & 0xF0F0F0, 0x0000F0u) << "the second frame's tile";
    EXPECT_TRUE(ImagesClose("gl_no_clear", frames(rmReference), gl, kTolerance));
}

// A target without alpha of its own keeps opaque alpha whatever is drawn into it: a translucent
// texel drawn without blending is stored opaque, and a blend by destination alpha afterwards
// takes the whole destination.
TEST(GlDevice, ATargetWithoutAlphaStaysOpaqueWithAndWithoutBlending) {
    const auto frame = [](TRenderMode mode) {
        ScreenRig rig(mode, 64, 32);
        EXPECT_EQ(rig.Screen->PresentParams().BackBufferFormat, d3d::D3DFMT_X8R8G8B8);
        Image translucent;
        translucent.Width = translucent.Height = 1;
        translucent.Pixels = {0x40FF8000};
        d3d::Texture* texture = rig.MakeTexture(translucent);
        d3d::Device* device = rig.Screen->Device();
        rig.Renderer.Activate();
        rig.Screen->BeginScene();
        rig.Screen->Clear(0, 0, 255, 255);
        TileDraw t;
        t.Texture = texture;
        t.PictureWidth = t.PictureHeight = 16;
        t.BlendMode = -1;
        device->SetRenderState(d3d::D3DRS_ALPHABLENDENABLE, 0);
        DrawTile(rig, t);
        device->SetRenderState(d3d::D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(d3d::D3DRS_SRCBLEND, d3d::D3DBLEND_ZERO);
        device->SetRenderState(d3d::D3DRS_DESTBLEND, d3d::D3DBLEND_DESTALPHA);
        t.PictureWidth = 48;
        DrawTile(rig, t);
        rig.Screen->EndScene();
        return rig.BackBuffer();
    };
    const Image gl = frame(rmHardware);
    ASSERT_EQ(gl.Pixels.size(), 64u * 32u);
    // The texel tinted by the engine's 254.
    EXPECT_EQ(gl.Pixels[8 * 64 + 8] & 0xFFF0F0F0, 0xFFF07000u)
        << "drawn without blending, kept whole by the blend";
    EXPECT_EQ(gl.Pixels[8 * 64 + 40], 0xFF0000FFu) << "the clear, kept by the blend";
    EXPECT_TRUE(ImagesClose("gl_opaque_alpha", frame(rmReference), gl, kTolerance));
}
