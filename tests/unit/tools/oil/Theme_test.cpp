#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Pictures.h"
#include "tests/support/Headless.h"
#include "tools/oil/Theme.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace oil;

namespace {

rtl::TPixels Solid(int w, int h, uint32_t argb) {
    rtl::TPixels p;
    p.Width = w;
    p.Height = h;
    p.Argb.assign(static_cast<size_t>(w) * h, argb);
    return p;
}

} // namespace

TEST(OilTheme, WritesTheDocumentedItemEncoding) {
    ThemePicture p;
    p.Name = "stumdytojas.png";
    p.ClassName = "TPNGObject";
    p.FileBytes = rtl::EncodePNG(Solid(64, 64, 0xFF808080));
    p.TileWidth = 64;
    p.TileHeight = 64;
    p.TransparentColor = rtl::clBlack;
    p.Transparent = true;
    const std::vector<uint8_t> bytes = WriteTheme({p});
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, 4), "TPF0");
    EXPECT_EQ(text.substr(4, 30), "\x1DTImageListCollectionComponent");
    // Integers take the smallest encoding; the key is written as a colour name.
    EXPECT_NE(text.find("\x0ATileHeight\x02\x40"), std::string::npos);
    EXPECT_NE(text.find(std::string("\x10TransparentColor\x07\x07") + "clBlack"),
              std::string::npos);
    EXPECT_NE(text.find("\x0BTransparent\x09"), std::string::npos);
    EXPECT_NE(text.find("\x0CPicture.Data\x0A"), std::string::npos);
    EXPECT_NE(text.find("\x0ATPNGObject\x89PNG"), std::string::npos);
}

TEST(OilTheme, RoundTripThroughEveryPictureClass) {
    std::vector<ThemePicture> pictures(3);
    pictures[0] = {
        "a", "TPNGObject", rtl::EncodePNG(Solid(200, 100, 0xFF102030)), 200, 50, rtl::clBlack, true,
        ""};
    pictures[1] = {"b",  "TJPEGImage", rtl::EncodeJPEG(Solid(16, 16, 0xFF000000), 90),
                   1024, 768,          0x00FF00FF,
                   true, "extra.png"};
    pictures[2] = {"c", "TIcon", {0, 0, 1, 0}, 32, 32, rtl::clWhite, false, ""};
    const std::vector<ThemePicture> back = ReadTheme(WriteTheme(pictures));
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i].Name, pictures[i].Name);
        EXPECT_EQ(back[i].ClassName, pictures[i].ClassName);
        EXPECT_EQ(back[i].FileBytes, pictures[i].FileBytes);
        EXPECT_EQ(back[i].TileWidth, pictures[i].TileWidth);
        EXPECT_EQ(back[i].TileHeight, pictures[i].TileHeight);
        EXPECT_EQ(back[i].TransparentColor, pictures[i].TransparentColor);
        EXPECT_EQ(back[i].Transparent, pictures[i].Transparent);
        EXPECT_EQ(back[i].Filepath, pictures[i].Filepath);
    }
}

TEST(OilTheme, ManifestLinesPackAndRejectNonsense) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> png = rtl::EncodePNG(Solid(8, 8, 0xFFFFFFFF));
    std::ofstream(dir.File("w.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::ofstream(dir.File("m.txt")) << "# pictures\nw.png Wall 8 8 clBlack\n"
                                        "w.png Back 8 8 none\nw.png Key 4 4 0x00123456\n";
    const std::vector<ThemePicture> pictures = ReadManifest(dir.File("m.txt"));
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_TRUE(pictures[0].Transparent);
    EXPECT_FALSE(pictures[1].Transparent);
    EXPECT_EQ(pictures[2].TransparentColor, 0x00123456);
    EXPECT_EQ(FormatManifestLine(pictures[2], "w.png"), "w.png Key 4 4 0x00123456");

    std::ofstream(dir.File("bad.txt")) << "w.png Wall eight 8 clBlack\n";
    EXPECT_THROW(ReadManifest(dir.File("bad.txt")), std::runtime_error);
    std::ofstream(dir.File("bad2.txt")) << "w.gif Wall 8 8 clBlack\n";
    EXPECT_THROW(ReadManifest(dir.File("bad2.txt")), std::runtime_error);
}
