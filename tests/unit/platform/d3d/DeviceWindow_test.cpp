#include "platform/d3d/DeviceWindow.h"
#include "platform/win/Forms.h"
#include "tests/support/Headless.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <utility>

using namespace d3d;

namespace {

class DeviceWindowTest : public ::testing::Test {
protected:
    DeviceWindowTest() { Form = rtl::Create<win::TForm>(nullptr); }
    ~DeviceWindowTest() override { rtl::TComponent::Free(Form); }
    testing_support::HeadlessApp H;
    win::TForm* Form;
};

void ExpectPlacement(const Placement& p, int x, int y, int w, int h) {
    EXPECT_EQ(p.X, x);
    EXPECT_EQ(p.Y, y);
    EXPECT_EQ(p.Width, w);
    EXPECT_EQ(p.Height, h);
}

} // namespace

TEST_F(DeviceWindowTest, FullScreenKeepsTheShapeAndCentresWhileAWindowIsFilled) {
    DeviceWindow window(Form);
    window.Apply(false, 1024, 768);
    ExpectPlacement(window.Place(1280, 1024), 0, 32, 1280, 960);
    ExpectPlacement(window.Place(1920, 1080), 240, 0, 1440, 1080);
    ExpectPlacement(window.Place(1024, 768), 0, 0, 1024, 768);
    window.Apply(true, 1024, 768);
    ExpectPlacement(window.Place(1280, 1024), 0, 0, 1280, 1024);
}

TEST_F(DeviceWindowTest, MouseCoordinatesMapIntoTheBackBufferUntilTheDeviceGoes) {
    {
        DeviceWindow window(Form);
        window.Apply(false, 640, 480);
        ASSERT_TRUE(Form->ClientMapping);
        int w = 0, h = 0;
        SDL_GetWindowSize(static_cast<SDL_Window*>(Form->NativeWindow()), &w, &h);
        const Placement p = window.Place(w, h);
        int x = p.X + p.Width / 2, y = p.Y + p.Height / 2;
        Form->ClientMapping(x, y);
        EXPECT_NEAR(x, 320, 1);
        EXPECT_NEAR(y, 240, 1);
        x = p.X - 1, y = p.Y - 1;
        Form->ClientMapping(x, y);
        EXPECT_LT(x, 0) << "left of the picture is left of column 0";
        EXPECT_LT(y, 0);
        EXPECT_FALSE(window.Left()) << "a window that never had the focus has not left";
    }
    EXPECT_FALSE(Form->ClientMapping);
}

// A full-screen request for a 1024 x 768 back buffer on a 1280 x 1024 display. With a window
// manager the window becomes 1280 x 1024; on a bare X server it may stay 1024 x 768 however
// large SDL says it is. The picture and the mouse follow the size the window has.
TEST_F(DeviceWindowTest, LetterboxAndMouseFollowTheSizeTheWindowReallyHas) {
    DeviceWindow window(Form);
    window.Apply(false, 1024, 768);
    const auto mapped = [&](int areaWidth, int areaHeight, int x, int y) {
        window.MapToBackBuffer(areaWidth, areaHeight, x, y);
        return std::pair{x, y};
    };
    // Covering the display: bars of 32 rows, everything scaled by 5/4.
    ExpectPlacement(window.Place(1280, 1024), 0, 32, 1280, 960);
    EXPECT_EQ(mapped(1280, 1024, 640, 450), std::pair(512, 334));
    EXPECT_EQ(mapped(1280, 1024, 1279, 991), std::pair(1023, 767));
    EXPECT_EQ(mapped(1280, 1024, 0, 31).second, -1) << "the bar above is above row 0";
    EXPECT_EQ(mapped(1280, 1024, 0, 992).second, 768) << "the bar below is below the last row";
    // Left at the requested window's size: the picture is the back buffer, pixel for pixel.
    ExpectPlacement(window.Place(1024, 768), 0, 0, 1024, 768);
    EXPECT_EQ(mapped(1024, 768, 512, 334), std::pair(512, 334));
    // A wide display: bars at the sides instead.
    ExpectPlacement(window.Place(1920, 1080), 240, 0, 1440, 1080);
    EXPECT_EQ(mapped(1920, 1080, 960, 540), std::pair(512, 384));
    EXPECT_EQ(mapped(1920, 1080, 239, 0).first, -1);
    // A window manager that hands out less than was asked for (a tiling one): scaled down.
    ExpectPlacement(window.Place(800, 700), 0, 50, 800, 600);
    EXPECT_EQ(mapped(800, 700, 400, 350), std::pair(512, 384));
}

TEST_F(DeviceWindowTest, AWindowIsStretchedOverWhateverSizeItGot) {
    DeviceWindow window(Form);
    window.Apply(true, 640, 480);
    ExpectPlacement(window.Place(1280, 480), 0, 0, 1280, 480);
    int x = 640, y = 240;
    window.MapToBackBuffer(1280, 480, x, y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
}
