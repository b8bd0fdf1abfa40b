#include "engine/display/ArvexImageList.h"
#include "engine/sprites/ArvexBitmapFont.h"

#include <gtest/gtest.h>

namespace {

// A font over an image list whose item 0 is a 64 x 32 picture of 16 x 16 cells (4 x 2 = 8
// cells) in a 64 x 32 texture, without any device.
struct FontFixture {
    FontFixture() : List(nullptr), Font(nullptr) {
        TImageListItem* item = List.ImageList().Add();
        item->Name = "glyphs";
        item->PictureWidth = 64;
        item->PictureHeight = 32;
        item->SetTileWidth(16);
        item->SetTileHeight(16);
        Font.SetArvexImageList(&List);
        Font.SetArvexImageIndex(0);
    }
    TArvexImageList List;
    TArvexBitmapFont Font;
};

} // namespace

TEST(ArvexBitmapFont, FirstOccurrenceWinsAndSpaceFallsBack) {
    TArvexBitmapFont font(nullptr);
    font.SetCharacters("ABA");
    EXPECT_EQ(font.CharMap('A'), 0);
    EXPECT_EQ(font.CharMap('B'), 1);
    EXPECT_EQ(font.CharMap(' '), 0);
    EXPECT_EQ(font.CharMap('C'), -1);
    // A list longer than the 256 glyph tables: what first appears past them has no glyph.
    font.SetCharacters(std::string(300, 'A') + "Q");
    EXPECT_EQ(font.CharMap('Q'), -1);
    EXPECT_EQ(font.TextWidth("QAQ"), font.TextWidth("A"));
    font.SetCharacters("");
    EXPECT_EQ(font.Characters(), TArvexBitmapFont::DefaultCharacters());
    EXPECT_EQ(font.CharMap('~'), 94);
}

TEST(ArvexBitmapFont, GlyphTablesComeFromTheImageCells) {
    FontFixture f;
    EXPECT_EQ(f.Font.FontName(), "glyphs");
    EXPECT_EQ(f.Font.CharWidth(), 16);
    EXPECT_EQ(f.Font.CharHeight(), 16);
    const TGlyphRect& r5 = f.Font.GlyphRect(5); // column 1, row 1
    EXPECT_FLOAT_EQ(r5.Left, 0.25f);
    EXPECT_FLOAT_EQ(r5.Top, 0.5f);
    EXPECT_FLOAT_EQ(r5.Right, 0.5f);
    EXPECT_FLOAT_EQ(r5.Bottom, 1.0f);
    // Indices past the cell count all point just past the last cell: the row below the grid.
    const TGlyphRect& far = f.Font.GlyphRect(200);
    EXPECT_FLOAT_EQ(far.Left, 0.0f);
    EXPECT_FLOAT_EQ(far.Top, 1.0f);
    EXPECT_EQ(f.Font.GlyphSize(200).Width, 16);
}

TEST(ArvexBitmapFont, ImageIndexSetterIgnoresNegativesAndKeepsTablesForMissingItems) {
    FontFixture f;
    f.Font.SetArvexImageIndex(-1);
    EXPECT_EQ(f.Font.ArvexImageIndex(), 0);
    f.Font.SetArvexImageIndex(1); // the list has one item: stored, tables kept
    EXPECT_EQ(f.Font.ArvexImageIndex(), 1);
    EXPECT_EQ(f.Font.CharWidth(), 16);
}

TEST(ArvexBitmapFont, WidthsRoundEachGlyphAndNeverReturnZero) {
    FontFixture f;
    f.Font.SetCharacters("AB");
    f.Font.Spacing = 2;
    EXPECT_EQ(f.Font.TextWidth("AB"), 32) << "spacing is not counted";
    EXPECT_EQ(f.Font.TextWidth(""), 1);
    EXPECT_EQ(f.Font.TextWidth("xyz"), 1) << "characters without a glyph add nothing";
    f.Font.ScaleX = 0.53125f; // 16 * 0.53125 = 8.5 rounds to 8 (ties to even), per glyph
    EXPECT_EQ(f.Font.TextWidth("AB"), 16);
    f.Font.ScaleX = 0.46875f; // 7.5 rounds up to 8, the even neighbour
    EXPECT_EQ(f.Font.TextWidth("AB"), 16);
    f.Font.ScaleY = 0.5f;
    EXPECT_EQ(f.Font.TextHeight(), 8);
    f.Font.ScaleY = 0;
    EXPECT_EQ(f.Font.TextHeight(), 1);
}
