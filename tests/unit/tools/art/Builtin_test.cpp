// The pictures the program carries inside itself, read back from the embedded data.
#include "game/BuiltinPictures.h"
#include "platform/rtl/Pictures.h"
#include "tools/oil/Theme.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    const char* Name;
    int TileWidth, TileHeight;
};

// The form's list, in order.
const Expected kBuiltin[34] = {
    {"stumdytojas.png", 64, 64},
    {"laibvas kuri stumdai.png", 64, 64},
    {"siena.png", 64, 64},
    {"light.bmp", 128, 128},
    {"buttonikas.png", 200, 50},
    {"buton load.png", 200, 50},
    {"demo main screen.png", 1024, 768},
    {"buton login.png", 200, 50},
    {"buton credits.png", 200, 50},
    {"buton hall.png", 200, 50},
    {"buton exit.png", 200, 50},
    {"buton credits over.png", 200, 50},
    {"buton exit over.png", 200, 50},
    {"buton halloffame over.png", 200, 50},
    {"buton login over.png", 200, 50},
    {"buton loadgame over.png", 200, 50},
    {"buton newgame over.png", 200, 50},
    {"buton newgame over.png", 200, 50},
    {"edito laukelis.png", 50, 25},
    {"zvaigzde.PNG", 1, 1},
    {"aikstele uzimta.png", 64, 64},
    {"restart.png", 100, 25},
    {"back.png", 100, 25},
    {"undo.png", 100, 25},
    {"music off.png", 100, 25},
    {"Qorrel games.png", 1024, 768},
    {"credits screen .png", 1024, 768},
    {"load screen.png", 1024, 768},
    {"buton back over.png", 200, 50},
    {"buton back.png", 200, 50},
    {"levelio numeris.png", 200, 25},
    {"luitas.png", 350, 350},
    {"kosmorra mini.png", 182, 78},
    {"screenas_paskut_Kosmorra.png", 1024, 768},
};

} // namespace

TEST(BuiltinPictures, EmbeddedStreamReadsBackAsTheFormsList) {
    const std::vector<oil::ThemePicture> items = oil::ReadTheme(BuiltinPictureStream());
    ASSERT_EQ(items.size(), 34u);
    for (size_t i = 0; i < items.size(); ++i) {
        const oil::ThemePicture& item = items[i];
        EXPECT_EQ(item.Name, kBuiltin[i].Name) << i;
        EXPECT_EQ(item.ClassName, i == 3 ? "TBitmap" : "TPNGObject") << i;
        EXPECT_EQ(item.TileWidth, kBuiltin[i].TileWidth) << i;
        EXPECT_EQ(item.TileHeight, kBuiltin[i].TileHeight) << i;
        EXPECT_TRUE(item.Transparent) << i;
        EXPECT_EQ(item.TransparentColor, rtl::clBlack) << i;
        rtl::TPixels pixels;
        std::string error;
        ASSERT_TRUE(rtl::DecodeImage(item.FileBytes, pixels, error)) << i << ": " << error;
        EXPECT_EQ(pixels.Width, kBuiltin[i].TileWidth) << i;
        EXPECT_EQ(pixels.Height, kBuiltin[i].TileHeight) << i;
    }
    // The lamp is a glow on black, which the black colour key takes away.
    rtl::TPixels light;
    std::string error;
    ASSERT_TRUE(rtl::DecodeImage(items[3].FileBytes, light, error));
    EXPECT_EQ(light.At(0, 0) & 0xFFFFFF, 0u);
    EXPECT_GT(light.At(64, 64) & 0xFF, 200u);
}

TEST(BuiltinPictures, CursorPointsWithItsHotSpot) {
    const TBuiltinCursor& cursor = BuiltinCursor();
    ASSERT_GT(cursor.Pixels.Width, 0);
    ASSERT_GT(cursor.Pixels.Height, 0);
    ASSERT_EQ(cursor.Pixels.Argb.size(),
              static_cast<size_t>(cursor.Pixels.Width) * cursor.Pixels.Height);
    ASSERT_GE(cursor.HotSpotX, 0);
    ASSERT_GE(cursor.HotSpotY, 0);
    ASSERT_LT(cursor.HotSpotX, cursor.Pixels.Width);
    ASSERT_LT(cursor.HotSpotY, cursor.Pixels.Height);
    EXPECT_GT(cursor.Pixels.At(cursor.HotSpotX, cursor.HotSpotY) >> 24, 128u)
        << "the hot spot is on the pointer's tip";
    EXPECT_EQ(cursor.Pixels.At(cursor.Pixels.Width - 1, 0) >> 24, 0u);
}
