#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace gdi;

namespace {

LOGFONT Arial(int points, bool bold) {
    LOGFONT lf;
    lf.Height = -MulDiv(points, DC::GetDeviceCaps(LOGPIXELSY), 72);
    lf.Weight = bold ? FW_BOLD : FW_NORMAL;
    lf.FaceName = "Arial";
    return lf;
}

// The bounding box of the pixels that are not the background.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Box Inked(const Bitmap32& bmp, uint32_t background) {
    Box b;
    for (int y = 0; y < bmp.Height; ++y)
        for (int x = 0; x < bmp.Width; ++x)
            if (bmp.Pixels[static_cast<size_t>(y) * bmp.Width + x] != background) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

} // namespace

TEST(Gdi, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(12, 96, 72), 16);
    EXPECT_EQ(MulDiv(10, 96, 72), 13); // 13.33
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(Gdi, ArialResolvesToAnInstalledFaceAndMeasuresText) {
    std::unique_ptr<Font> font = Font::Create(Arial(12, true));
    ASSERT_NE(font, nullptr) << "no system font found";
    EXPECT_FALSE(font->FamilyName().empty());
    Bitmap32 bmp(64, 32);
    DC dc(bmp);
    dc.SelectFont(font.get());
    const SIZE w = dc.GetTextExtent("W");
    const SIZE ww = dc.GetTextExtent("WW");
    EXPECT_GT(w.cx, 8);
    EXPECT_EQ(ww.cx, 2 * w.cx) << "extents are plain sums of advances";
    EXPECT_EQ(w.cy, font->Ascent() + font->Descent());
    EXPECT_GE(w.cy, 16);
    EXPECT_LT(dc.GetTextExtent("i").cx, w.cx);
    EXPECT_EQ(dc.GetTextExtent("").cx, 0);
}

TEST(Gdi, TextOutStaysInsideItsCellAndPaintsTheBackground) {
    std::unique_ptr<Font> font = Font::Create(Arial(12, false));
    ASSERT_NE(font, nullptr);
    Bitmap32 bmp(80, 40);
    std::fill(bmp.Pixels.begin(), bmp.Pixels.end(), 0x123456u);
    DC dc(bmp);
    dc.SelectFont(font.get());
    dc.SetTextColor(0xFFFFFF);
    dc.SetBkColor(0x000000);
    const SIZE extent = dc.GetTextExtent("Ag");
    dc.TextOut(10, 5, "Ag");
    const Box box = Inked(bmp, 0x123456u);
    // The opaque cell is exactly the extent; the glyphs are inside it.
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.right, 10 + extent.cx - 1);
    EXPECT_EQ(box.bottom, 5 + extent.cy - 1);
    const Box ink = Inked(bmp, 0x000000u);
    EXPECT_GT(ink.bottom, 5 + font->Ascent()) << "the g descends below the baseline";
}

TEST(Gdi, DefaultQualityDrawsOnlyFullPixels) {
    LOGFONT lf = Arial(10, false);
    lf.Antialiased = false;
    std::unique_ptr<Font> font = Font::Create(lf);
    ASSERT_NE(font, nullptr);
    Bitmap32 bmp(40, 24);
    DC dc(bmp);
    dc.SelectFont(font.get());
    dc.SetTextColor(0xFFFFFF);
    dc.SetBkColor(0x000000);
    dc.TextOut(0, 0, "a@");
    int lit = 0;
    for (uint32_t p : bmp.Pixels) {
        EXPECT_TRUE(p == 0 || p == 0xFFFFFF);
        lit += p != 0;
    }
    EXPECT_GT(lit, 10);
}

TEST(Gdi, UnderlineRunsTheWholeExtent) {
    LOGFONT lf = Arial(12, false);
    lf.Underline = true;
    std::unique_ptr<Font> font = Font::Create(lf);
    ASSERT_NE(font, nullptr);
    Bitmap32 bmp(60, 30);
    DC dc(bmp);
    dc.SelectFont(font.get());
    dc.SetTextColor(0xFFFFFF);
    dc.SetBkColor(0x000000);
    dc.TextOut(0, 0, "...");
    const SIZE extent = dc.GetTextExtent("...");
    bool fullRow = false;
    for (int y = font->Ascent(); y < extent.cy && !fullRow; ++y) {
        int count = 0;
        for (int x = 0; x < extent.cx; ++x)
            count += bmp.Pixels[static_cast<size_t>(y) * bmp.Width + x] == 0xFFFFFF;
        fullRow = count == extent.cx;
    }
    EXPECT_TRUE(fullRow);
}
