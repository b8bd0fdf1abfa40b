// The software device's pictures of the test scenes, on both of its paths, against the golden
// pictures.
#include "platform/d3d/soft/SoftDevice.h"
#include "tests/support/Headless.h"
#include "tests/support/Scenes.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class SoftGolden : public ::testing::TestWithParam<Scene> {
protected:
    HeadlessApp H;

    Image Draw(d3d::soft::Path path) {
        const Scene& scene = GetParam();
        ScreenRig rig(rmReference, scene.Width, scene.Height, scene.FullScreen, scene.Bpp);
        auto* device = dynamic_cast<d3d::SoftDevice*>(rig.Screen->Device());
        EXPECT_NE(device, nullptr) << "the reference mode makes a software device";
        if (!device)
            return Image{};
        device->SetPath(path);
        scene.Draw(rig);
        return rig.BackBuffer();
    }
};

} // namespace

TEST_P(SoftGolden, SpanPathMatchesTheGoldenPicture) {
    EXPECT_TRUE(MatchesGolden("soft_" + GetParam().Name, Draw(d3d::soft::Path::Spans)));
}

TEST_P(SoftGolden, ReferencePathDrawsTheSamePicture) {
    if (UpdatingGolden())
        GTEST_SKIP() << "the span path writes the golden pictures";
    EXPECT_TRUE(MatchesGolden("soft_" + GetParam().Name, Draw(d3d::soft::Path::Reference)));
}

INSTANTIATE_TEST_SUITE_P(Scenes, SoftGolden, ::testing::ValuesIn(Scenes()),
                         [](const auto& info) { return info.param.Name; });
