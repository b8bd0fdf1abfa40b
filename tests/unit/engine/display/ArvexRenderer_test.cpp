#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "tests/support/Headless.h"

#include <gtest/gtest.h>

namespace {

struct Corner {
    float X, Y;
};

void ExpectPositions(const TArvexRenderer& r, std::initializer_list<Corner> corners) {
    int i = 0;
    for (const Corner& c : corners) {
        EXPECT_FLOAT_EQ(r.Vertices[i].x, c.X) << "vertex " << i;
        EXPECT_FLOAT_EQ(r.Vertices[i].y, c.Y) << "vertex " << i;
        ++i;
    }
}

} // namespace

TEST(ArvexRenderer, StartsAsPreTransformedVerticesWithNothingToDrawOn) {
    TArvexRenderer r;
    for (const ArvexVertex& v : r.Vertices) {
        EXPECT_EQ(v.z, 0.0f);
        EXPECT_EQ(v.rhw, 1.0f);
    }
    EXPECT_FALSE(r.Destroyed);
    r.Activate(); // no screen: nothing happens
    r.Draw();
    EXPECT_EQ(r.Device(), nullptr);
}

TEST(ArvexRenderer, SetPositionsMovesTheFarCornersHalfAPixel) {
    TArvexRenderer r;
    r.SetPositions(0, 0, 64, 0, 64, 64, 0, 64);
    ExpectPositions(r, {{0, 0}, {64.5f, 0}, {64.5f, 64.5f}, {0, 64.5f}});
}

TEST(ArvexRenderer, FlipFlagsChooseWhichCornerEachVertexTakes) {
    TArvexRenderer r;
    // Corner n has u = n, v = 10 n.
    const auto apply = [&](bool flipV, bool flipH) {
        r.SetFlipV(flipV);
        r.SetFlipH(flipH);
        r.SetTexCoords(1, 10, 2, 20, 3, 30, 4, 40);
        std::vector<int> corners;
        for (const ArvexVertex& v : r.Vertices) {
            EXPECT_EQ(v.v, v.u * 10);
            corners.push_back(static_cast<int>(v.u));
        }
        return corners;
    };
    EXPECT_EQ(apply(false, false), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(apply(true, false), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(apply(false, true), (std::vector<int>{2, 1, 4, 3}));
    EXPECT_EQ(apply(true, true), (std::vector<int>{3, 4, 1, 2})) << "turned by 180 degrees";
    EXPECT_EQ(r.U3, 3.0f) << "the given coordinates are kept as given";
}

TEST(ArvexRenderer, RotationsTurnClockwiseOnScreenAndScaleFirst) {
    TArvexRenderer r;
    r.SetPositions(10, 0, 10, 0, 10, 0, 10, 0);
    r.Rotate(0, 0, 90);
    EXPECT_NEAR(r.Vertices[0].x, 0, 1e-5);
    EXPECT_NEAR(r.Vertices[0].y, 10, 1e-5) << "(10, 0) turns down the screen";
    r.SetPositions(1, 1, 0, 0, 0, 0, 0, 0);
    r.RotateScale(0, 0, 90, 3, 2);
    EXPECT_NEAR(r.Vertices[0].x, -2, 1e-5);
    EXPECT_NEAR(r.Vertices[0].y, 3, 1e-5);
}

TEST(ArvexRenderer, ActivateTakesTheScreensDeviceAndResetsTheQuad) {
    testing_support::HeadlessApp app;
    auto* form = rtl::Create<win::TForm>(nullptr);
    auto* screen = rtl::Create<TArvexScreen>(form);
    screen->RenderMode = rmReference;
    screen->Width = 32;
    screen->Height = 32;
    screen->Initialize();
    TArvexRenderer r;
    r.SetScreen(screen);
    r.SetFlipV(true);
    r.Activate();
    EXPECT_EQ(r.Device(), screen->Device());
    EXPECT_FALSE(r.FlipV);
    ExpectPositions(r, {{0, 0}, {100.5f, 0}, {100.5f, 100.5f}, {0, 100.5f}});
    EXPECT_EQ(r.Vertices[2].u, 1.0f);
    EXPECT_EQ(r.Vertices[3].diffuse, 0xFFFFFFFFu);
    screen->BeginScene();
    r.Draw();
    screen->EndScene();
    EXPECT_EQ(r.Vertices[3].diffuse, 0xFEFEFEFEu) << "the screen's tint lands in the vertices";
    screen->Finalize();
    r.SetTexture(nullptr); // the device it holds is gone: nothing to do, nothing breaks
    r.Draw();
    EXPECT_EQ(r.Vertices[3].diffuse, 0xFEFEFEFEu);
    rtl::TComponent::Free(form);
}

TEST(ColorHelpers, PackAndConvertColours) {
    EXPECT_EQ(ColorToARGB(0x00FF0000), 0xFF0000FFu) << "a platform blue";
    EXPECT_EQ(ColorToARGB(0x0000FF), 0xFFFF0000u) << "a platform red";
    EXPECT_EQ(ColorToARGB(0x00336699), 0xFF996633u) << "every channel in its place";
    EXPECT_EQ(ColorToARGB(0x80FF0000), 0x80FF0000u) << "already ARGB";
    EXPECT_EQ(ColorToARGB(0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(PackARGB(0x12, 0x34, 0x56, 0x78), 0x78123456u);
    EXPECT_EQ(TColorToARGB(0x00336699, 0x40), 0x40996633u);
    EXPECT_EQ(TColorToARGB(static_cast<win::TColor>(0xFF00000F), 0xFF), 0xFFD4D0C8u)
        << "button face of the classic scheme";
    EXPECT_EQ(TColorToARGB(static_cast<win::TColor>(0xFF000005), 0), 0x00FFFFFFu);
}
