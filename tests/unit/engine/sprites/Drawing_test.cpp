// Sprites and the bitmap font drawn on the software device: positions, centring, line breaks,
// pixel collisions against real textures.
#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "engine/sprites/ArvexBitmapFont.h"
#include "engine/sprites/ArvexSprite.h"
#include "platform/d3d/Device.h"
#include "platform/rtl/Pictures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/Headless.h"
#include "tools/oil/Theme.h"

#include <gtest/gtest.h>

using testing_support::HeadlessApp;

namespace {

// Cells of 8 x 8 in solid colours, 4 columns x 2 rows: cell i has red = 30 * (i + 1).
rtl::TPixels GlyphSheet() {
    rtl::TPixels p;
    p.Width = 32;
    p.Height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const int cell = (y / 8) * 4 + x / 8;
            p.Argb.push_back(0xFF000000u | static_cast<uint32_t>((30 * (cell + 1)) << 16));
        }
    return p;
}

// A 16 x 16 ring: opaque border, transparent inside.
rtl::TPixels Ring() {
    rtl::TPixels p;
    p.Width = 16;
    p.Height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            p.Argb.push_back(x < 2 || y < 2 || x > 13 || y > 13 ? 0xFFFFFFFFu : 0u);
    return p;
}

// 16 x 16, transparent but for rows 9 to 11 of column 5: which texel a scan meets shows where
// it started.
rtl::TPixels Bar() {
    rtl::TPixels p;
    p.Width = 16;
    p.Height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            p.Argb.push_back(x == 5 && y >= 9 && y <= 11 ? 0xFFFFFFFFu : 0u);
    return p;
}

// 16 x 16 opaque green.
rtl::TPixels Block() {
    rtl::TPixels p;
    p.Width = 16;
    p.Height = 16;
    p.Argb.assign(256, 0xFF00FF00u);
    return p;
}

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() {
        Form = new win::TForm(&H.App);
        Form->SetClientSize(128, 64);
        Screen = rtl::Create<TArvexScreen>(Form);
        List = rtl::Create<TArvexImageList>(Form);
        Font = rtl::Create<TArvexBitmapFont>(Form);
        Sprites = rtl::Create<TArvexSprite>(Form);
        Screen->RenderMode = rmReference;
        Screen->Width = 128;
        Screen->Height = 64;
        Screen->SetWindowHandle(Form);
        EXPECT_EQ(Screen->Initialize(), 0);
        const std::vector<uint8_t> theme = oil::WriteTheme(
            {{"glyphs", "TPNGObject", rtl::EncodePNG(GlyphSheet()), 8, 8, rtl::clBlack, false, ""},
             {"ring", "TPNGObject", rtl::EncodePNG(Ring()), 16, 16, rtl::clBlack, false, ""},
             {"bar", "TPNGObject", rtl::EncodePNG(Bar()), 16, 16, rtl::clBlack, false, ""},
             {"block", "TPNGObject", rtl::EncodePNG(Block()), 16, 16, rtl::clBlack, false, ""}});
        rtl::TMemoryStream stream;
        stream.WriteBuffer(theme.data(), static_cast<int64_t>(theme.size()));
        List->ImageList().LoadFromStream(stream);
        List->LoadTextures();
        Font->SetArvexImageList(List);
        Font->SetArvexImageIndex(0);
        Font->SetCharacters("ABCDEFGH");
        Font->Initialize();
    }

    // The red of the pixel, as the cell number it came from (0 for the black background).
    int CellAt(int x, int y) {
        const uint32_t p = Screen->Device()->ReadBackBuffer()[static_cast<size_t>(y) * 128 + x];
        const int red = static_cast<int>((p >> 16) & 0xFF);
        return (red + 15) / 30; // modulated colours arrive a step darker
    }

    bool GreenAt(int x, int y) {
        const uint32_t p = Screen->Device()->ReadBackBuffer()[static_cast<size_t>(y) * 128 + x];
        return ((p >> 8) & 0xFF) > 200;
    }

    TSprite* Sprite(int item, float x, float y) {
        auto* s = new TSprite(Sprites);
        s->SetImage(List->Items(item));
        s->SetX(x);
        s->SetY(y);
        return s;
    }

    void Frame(const std::function<void()>& draw) {
        Screen->BeginScene();
        Screen->Clear(0, 0, 0, 255);
        draw();
        Screen->EndScene();
    }

    HeadlessApp H;
    win::TForm* Form;
    TArvexScreen* Screen;
    TArvexImageList* List;
    TArvexBitmapFont* Font;
    TArvexSprite* Sprites;
};

} // namespace

TEST_F(DrawingTest, TextAdvancesByCellsSpacingAndLineBreaks) {
    Font->Spacing = 2;
    Frame([&] { Font->TextOut(4, 4, "AB\rCZD", 0); });
    EXPECT_EQ(CellAt(5, 5), 1);  // A at x 4
    EXPECT_EQ(CellAt(15, 5), 2); // B at 4 + 8 + 2
    EXPECT_EQ(CellAt(13, 5), 0); // the spacing gap
    // The carriage return goes back to X, one cell height plus the line space (10) lower.
    EXPECT_EQ(CellAt(5, 23), 3); // C
    // Z has no glyph: skipped without taking room, so D follows C directly.
    EXPECT_EQ(CellAt(15, 23), 4);
}

TEST_F(DrawingTest, CentredTextStartsHalfItsWidthLeftAndAQuarterCellUp) {
    Font->PositionMode = pmCenter;
    Frame([&] { Font->TextOut(64, 30, "ABCD", 0); });
    // Four 8-pixel cells: starts at 64 - 16 = 48, and 8 * 0.25 = 2 pixels up.
    EXPECT_EQ(CellAt(48, 28), 1);
    EXPECT_EQ(CellAt(47, 28), 0);
    EXPECT_EQ(CellAt(48, 27), 0);
    EXPECT_EQ(CellAt(75, 35), 4);
}

TEST_F(DrawingTest, SpritesDrawInDepthOrderAndRotateAboutTheirCentre) {
    TImageListItem* ring = List->Items(1);
    auto* back = new TSprite(Sprites);
    back->SetImage(List->Items(0));
    back->SetPatternIndex(5);
    back->SetX(10);
    back->SetY(10);
    back->SetZ(1);
    auto* front = new TSprite(Sprites);
    front->SetImage(ring);
    front->SetX(8);
    front->SetY(8);
    front->SetZ(2);
    Frame([&] { Sprites->Draw(); });
    EXPECT_EQ(CellAt(12, 12), 6) << "pattern 5 shows through the ring's hole";
    EXPECT_EQ(CellAt(8, 8) > 0, true) << "the ring on top";
    // A 90 degree turn about the middle keeps a square ring where it is.
    front->Angle = 90;
    front->CenterX = front->CenterY = 0.5f;
    Frame([&] { Sprites->Draw(); });
    const uint32_t corner = Screen->Device()->ReadBackBuffer()[8 * 128 + 8];
    EXPECT_GT((corner >> 8) & 0xFF, 200u);
}

TEST_F(DrawingTest, PixelCollisionsMissThroughTransparentHoles) {
    TImageListItem* ring = List->Items(1);
    struct Hit : TSprite {
        using TSprite::TSprite;
        void OnCollision(TSprite*, int32_t x, int32_t y) override {
            ++Count;
            X0 = x;
            Y0 = y;
        }
        int Count = 0;
        int32_t X0 = -1, Y0 = -1;
    };
    Hit a(Sprites), b(Sprites);
    for (Hit* s : {&a, &b}) {
        s->SetImage(ring);
        s->CanCollide = s->PixelCheck = true;
    }
    a.SetX(0);
    a.SetY(0);
    // b's ring lies inside a's hole: the rectangles overlap, no opaque pixels meet.
    b.SetX(4);
    b.SetY(4);
    b.SetWidth(8);
    b.SetHeight(8);
    a.Collision(&b);
    EXPECT_EQ(a.Count, 0);
    // Overlapping borders: both hear of it, with positions inside their own rectangles.
    b.SetWidth(16);
    b.SetHeight(16);
    b.SetX(12);
    b.SetY(0);
    a.Collision(&b);
    EXPECT_EQ(a.Count, 1);
    EXPECT_EQ(b.Count, 1);
    EXPECT_GE(a.X0, 12);
    EXPECT_LT(b.X0, 4);
    // One column of overlap is never scanned.
    a.Count = b.Count = 0;
    b.SetX(15);
    a.Collision(&b);
    EXPECT_EQ(a.Count, 0);
}

TEST_F(DrawingTest, AFontOutlivingItsScreenDrawsNothingAndAsksNothingOfIt) {
    delete Screen;
    Font->TextOut(4, 4, "ABC", 0); // would reach the freed device through the renderer
    EXPECT_EQ(Font->ArvexScreen(), nullptr);
    EXPECT_GT(Font->TextWidth("ABC"), 1);
}

TEST_F(DrawingTest, ASpaceAdvancesByGlyphZeroWithoutDrawingIt) {
    Frame([&] { Font->TextOut(4, 4, "A B", 0); });
    EXPECT_EQ(CellAt(5, 5), 1);
    EXPECT_EQ(CellAt(13, 5), 0) << "the space draws nothing";
    EXPECT_EQ(CellAt(21, 5), 2) << "but takes the 8 pixels of glyph 0";
}

TEST_F(DrawingTest, TheSystemFontRendersItsOwnGlyphTexture) {
    auto* font = rtl::Create<TArvexBitmapFont>(Form);
    font->AssignScreen(Screen);
    font->Initialize(); // no image list: bold 12-point "Arial"
    ASSERT_TRUE(font->Generated());
    EXPECT_EQ(font->FontName(), "Arial");
    ASSERT_NE(font->GlyphTexture(), nullptr);
    d3d::D3DSURFACE_DESC desc;
    font->GlyphTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Format, d3d::D3DFMT_A4R4G4B4);
    EXPECT_EQ(font->CharMap('W'), 'W') << "a glyph index is the character code";
    const int w = font->GlyphSize('W').Width;
    EXPECT_GT(w, font->GlyphSize('i').Width) << "proportional: each glyph its own width";
    EXPECT_EQ(font->TextWidth("W W"), 2 * w + font->GlyphSize(' ').Width);
    Frame([&] { font->TextOut(10, 10, "WWW", 0); });
    int lit = 0;
    for (int y = 10; y < 10 + font->CharHeight(); ++y)
        for (int x = 10; x < 10 + 3 * w; ++x)
            lit +=
                (Screen->Device()->ReadBackBuffer()[static_cast<size_t>(y) * 128 + x] & 0xFF) > 128;
    EXPECT_GT(lit, 3 * w) << "white glyph pixels on black";

    // Fixed cells: the smallest power of two for 2 x 2 x 9 x 9 (sqrt 18 -> 32), every glyph the
    // reference letter's size.
    font->BuildFromSystemFont("Arial", "iW", bfFixedCells, 8);
    font->GlyphTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(font->GlyphSize('i').Width, font->GlyphSize('W').Width);
    EXPECT_EQ(font->GlyphSize('i').Width, font->CharWidth());
}

TEST_F(DrawingTest, InvisibleSpritesAreNotDrawn) {
    TSprite* s = Sprite(3, 8, 8);
    s->Visible = false;
    Frame([&] { Sprites->Draw(); });
    EXPECT_FALSE(GreenAt(10, 10));
    s->Visible = true;
    Frame([&] { Sprites->Draw(); });
    EXPECT_TRUE(GreenAt(10, 10));
}

TEST_F(DrawingTest, AScaleOfZeroIsDrawnAsOne) {
    TSprite* s = Sprite(3, 8, 8);
    s->ScaleX = 0;
    s->ScaleY = 0;
    Frame([&] { Sprites->Draw(); });
    EXPECT_TRUE(GreenAt(8, 8));
    EXPECT_TRUE(GreenAt(23, 23));
    EXPECT_FALSE(GreenAt(24, 24));
}

TEST_F(DrawingTest, TheDrawAreaCullsOnlySpritesEntirelyOutsideIt) {
    Sprites->DrawAreaX2 = 63;
    Sprites->DrawAreaY2 = 63;
    Sprite(3, -8, 4);  // half outside: drawn, the screen clips it
    Sprite(3, 80, 4);  // on the screen but past the area: not drawn
    Sprite(3, 60, 40); // its corner inside: drawn
    Frame([&] { Sprites->Draw(); });
    EXPECT_TRUE(GreenAt(0, 10));
    EXPECT_FALSE(GreenAt(88, 10));
    EXPECT_TRUE(GreenAt(70, 50));
}

TEST_F(DrawingTest, PixelScansStartOneTexelInAndMirroredOnesFromTheOtherSide) {
    struct Hit : TSprite {
        using TSprite::TSprite;
        void OnCollision(TSprite*, int32_t x, int32_t y) override {
            X0 = x;
            Y0 = y;
        }
        int32_t X0 = -1, Y0 = -1;
    };
    Hit bar(Sprites), block(Sprites);
    bar.SetImage(List->Items(2));
    block.SetImage(List->Items(3));
    for (Hit* s : {&bar, &block}) {
        s->CanCollide = s->PixelCheck = true;
        s->SetX(0);
        s->SetY(0);
    }
    // The scan reads texel column + 1 and row + 1 at each pixel: the mark is met at (4, 8).
    bar.Collision(&block);
    EXPECT_EQ(bar.X0, 4);
    EXPECT_EQ(bar.Y0, 8);
    // Mirrored, pixel x reads texel column 15 - x: column 5 is met at x 10.
    bar.MirrorX = true;
    bar.X0 = -1;
    bar.Collision(&block);
    EXPECT_EQ(bar.X0, 10);
    EXPECT_EQ(bar.Y0, 8);
    // Upside down, pixel y reads texel row 15 - y: row 11 is met first, at y 4.
    bar.MirrorX = false;
    bar.MirrorY = true;
    bar.Y0 = -1;
    bar.Collision(&block);
    EXPECT_EQ(bar.X0, 4);
    EXPECT_EQ(bar.Y0, 4);
}
