#include "platform/d3d/DeviceWindow.h"
#include "platform/win/Forms.h"
#include "tests/support/Headless.h"

#include <SDL.h>
#include <gtest/gtest.h>

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
