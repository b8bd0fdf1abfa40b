#include "platform/rtl/Pictures.h"
#include "tools/oil/Sheet.h"

#include <gtest/gtest.h>

namespace {

oil::ThemePicture Solid(int w, int h, uint32_t argb) {
    rtl::TPixels p;
    p.Width = w;
    p.Height = h;
    p.Argb.assign(static_cast<size_t>(w) * h, argb);
    oil::ThemePicture picture;
    picture.Name = "solid";
    picture.ClassName = "TPNGObject";
    picture.FileBytes = rtl::EncodePNG(p);
    picture.TileWidth = w;
    picture.TileHeight = h;
    return picture;
}

} // namespace

TEST(OilSheet, LaysOutEveryPictureAndSurvivesBrokenOnes) {
    std::vector<oil::ThemePicture> pictures = {Solid(40, 20, 0xFFFF0000),
                                               Solid(2000, 1000, 0xFF00FF00)};
    oil::ThemePicture broken = Solid(1, 1, 0xFFFFFFFF);
    broken.FileBytes.resize(10);
    pictures.push_back(broken);
    for (int i = 0; i < 3; ++i)
        pictures.push_back(Solid(8, 8, 0xFF0000FF));

    const rtl::TPixels sheet = oil::ContactSheet(pictures, "test");
    // Four to a row: two rows for six pictures.
    EXPECT_EQ(sheet.Width, 2 * 12 + 4 * 280);
    EXPECT_EQ(sheet.Height, 48 + 2 * (192 + 58 + 16) + 12);
    // The small red picture is shown twice its size in the middle of the first box; the big
    // green one shrunk to fit the second.
    EXPECT_EQ(sheet.At(12 + 128, 48 + 96), 0xFFFF0000u);
    EXPECT_EQ(sheet.At(12 + 128 + 38, 48 + 96 + 18), 0xFFFF0000u);
    EXPECT_EQ(sheet.At(12 + 280 + 5, 48 + 96), 0xFF00FF00u);
}
