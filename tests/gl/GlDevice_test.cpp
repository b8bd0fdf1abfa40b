// The OpenGL device against the software one: the same scenes through the same engine code,
// compared within a small tolerance, and the OpenGL device's own duties (loss and reset, front
// buffer, full screen). Runs under Xvfb with Mesa (tests/e2e/with_xvfb.sh).
#include "platform/d3d/D3DX.h"
#include "platform/d3d/gl/GlDevice.h"
#include "tests/support/Headless.h"
#include "tests/support/Scenes.h"

#include <SDL.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

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
