#include "engine/sprites/ArvexSprite.h"
#include "platform/win/Dialogs.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// An image item with a known picture size and tiles, no texture needed.
struct Pictures {
    Pictures() : List(nullptr) {}
    TImageListItem* Item(int pictureWidth, int pictureHeight, int tileWidth, int tileHeight) {
        TImageListItem* item = List.Add();
        item->PictureWidth = pictureWidth;
        item->PictureHeight = pictureHeight;
        item->SetTileWidth(tileWidth);
        item->SetTileHeight(tileHeight);
        return item;
    }
    TImageListCollection List;
};

class Recorder : public TSprite {
public:
    using TSprite::TSprite;
    void OnCollision(TSprite* other, int32_t x, int32_t y) override {
        Hits.push_back({other, x, y});
    }
    struct Hit {
        TSprite* Other;
        int32_t X, Y;
    };
    std::vector<Hit> Hits;
};

std::vector<TSprite*> Order(const TArvexSprite& manager) {
    std::vector<TSprite*> order;
    for (int i = 0; i < manager.Count(); ++i)
        order.push_back(manager.Items(i));
    return order;
}

} // namespace

TEST(ArvexSprite, EqualDepthsPutTheNewestFirst) {
    TArvexSprite manager(nullptr);
    auto* a = new TSprite(&manager);
    auto* b = new TSprite(&manager);
    auto* c = new TSprite(&manager);
    auto* d = new TSprite(&manager);
    EXPECT_EQ(Order(manager), (std::vector<TSprite*>{d, c, b, a}));

    auto* deep = new TSprite(&manager);
    deep->SetZ(4);
    EXPECT_EQ(manager.Items(4), deep);
    b->SetZ(0); // the current value: nothing moves
    EXPECT_EQ(manager.Items(2), b);
    a->SetZ(4); // re-sorted: lowest index among its new depth, drawn under the older one
    EXPECT_EQ(Order(manager), (std::vector<TSprite*>{d, c, b, a, deep}));
    EXPECT_EQ(manager.Items(5), nullptr);
    EXPECT_EQ(manager.Items(-1), nullptr);
}

TEST(ArvexSprite, ExtremeDepthsStillSortInOrder) {
    TArvexSprite manager(nullptr);
    auto* low = new TSprite(&manager);
    low->SetZ(INT32_MIN);
    auto* high = new TSprite(&manager);
    high->SetZ(INT32_MAX);
    auto* zero = new TSprite(&manager);
    EXPECT_EQ(Order(manager), (std::vector<TSprite*>{low, zero, high}));
}

TEST(ArvexSprite, KilledSpritesStayUntilFreeDead) {
    TArvexSprite manager(nullptr);
    auto* a = new TSprite(&manager);
    new TSprite(&manager);
    a->Kill();
    a->Kill();
    EXPECT_EQ(manager.Count(), 2);
    manager.FreeDead();
    EXPECT_EQ(manager.Count(), 1);
    manager.FreeDead();
    EXPECT_EQ(manager.Count(), 1);
    // A sprite freed directly also leaves the dead list.
    auto* b = new TSprite(&manager);
    b->Kill();
    delete b;
    manager.FreeDead();
    EXPECT_EQ(manager.Count(), 1);
}

TEST(ArvexSprite, PositionsKeepBoundsAndMiddleInStep) {
    TArvexSprite manager(nullptr);
    TSprite s(&manager);
    s.SetX(10.5f);
    EXPECT_EQ(s.BoundsRect.Left, 11);
    EXPECT_EQ(s.BoundsRect.Right, 21);
    EXPECT_FLOAT_EQ(s.MidX, 15.5f);
    EXPECT_FLOAT_EQ(s.Corners[0].X, 20.5f);
    s.SetX(-10.5f);
    EXPECT_EQ(s.BoundsRect.Left, -11);
    s.SetX(2.49996f);
    EXPECT_EQ(s.BoundsRect.Left, 3);
    s.SetY(64);
    EXPECT_EQ(s.BoundsRect.Top, 64);
    EXPECT_EQ(s.BoundsRect.Bottom, 74);
    EXPECT_FLOAT_EQ(s.Corners[1].Y, 74.0f);
}

TEST(ArvexSprite, ImageSizesAndPatternsClamp) {
    Pictures pictures;
    // Cells wider than tall, more rows than columns: a side taken for the other shows.
    TImageListItem* sheet = pictures.Item(64, 128, 32, 16); // 2 x 8 cells
    TArvexSprite manager(nullptr);
    TSprite s(&manager);
    s.SetPatternIndex(20); // no image yet: stored as given
    EXPECT_EQ(s.PatternIndex, 20);
    s.SetImage(sheet);
    EXPECT_EQ(s.Width, 32);
    EXPECT_EQ(s.Height, 16);
    s.SetPatternIndex(20);
    EXPECT_EQ(s.PatternIndex, 15);
    EXPECT_EQ(s.PatternOffsetX, 32);
    EXPECT_EQ(s.PatternOffsetY, 112);
    s.SetPatternIndex(-3);
    EXPECT_EQ(s.PatternIndex, 0);
    TRect r;
    s.PatternIndex = 5;
    s.GetPatternRect(r);
    EXPECT_EQ(r.Left, 32);
    EXPECT_EQ(r.Top, 32);
    EXPECT_EQ(r.Right, 64);
    EXPECT_EQ(r.Bottom, 48);

    // A picture smaller than one tile has no patterns: nothing divides by zero.
    TImageListItem* tiny = pictures.Item(8, 8, 16, 16);
    s.SetImage(tiny);
    s.SetPatternIndex(3);
    EXPECT_EQ(s.PatternIndex, 0);
}

TEST(ArvexSprite, ColourSettersRebuildAllCorners) {
    TArvexSprite manager(nullptr);
    TSprite s(&manager);
    s.SetRed(128);
    s.SetAlpha(0x1FF); // only the low byte counts in the colour; the channel keeps the value
    EXPECT_EQ(s.Alpha, 0x1FF);
    for (uint32_t c : s.CornerColors)
        EXPECT_EQ(c, 0xFF80FFFFu);
}

TEST(ArvexSprite, AssignCopiesInItsOrderAndTakesSizesFromTheImage) {
    Pictures pictures;
    TImageListItem* sheet = pictures.Item(128, 64, 32, 32);
    TArvexSprite manager(nullptr);
    TSprite source(&manager);
    source.SetImage(sheet);
    source.SetX(100);
    source.SetZ(3);
    source.SetPatternIndex(5);
    source.Angle = 90;
    source.MirrorX = true;
    source.CornerColors[2] = 0x12345678;
    source.SetWidth(50);
    TSprite target(&manager);
    target.Assign(&source);
    EXPECT_FLOAT_EQ(target.X, 100);
    EXPECT_EQ(target.Z, 3);
    EXPECT_EQ(target.PatternIndex, 5);
    EXPECT_EQ(target.PatternOffsetX, 0) << "the pattern is set before the image";
    EXPECT_EQ(target.Width, 32);
    EXPECT_EQ(target.CornerColors[2], 0x12345678u);
    EXPECT_TRUE(target.MirrorX);
    EXPECT_FLOAT_EQ(target.Angle, 90);
}

TEST(ArvexSprite, RectangleCollisionsNotifyBothUnlessPixelOnly) {
    TArvexSprite manager(nullptr);
    Recorder a(&manager), b(&manager);
    a.CanCollide = b.CanCollide = true;
    a.SetX(0);
    a.SetY(0);
    b.SetX(5);
    b.SetY(5);
    a.Collision(&b);
    ASSERT_EQ(a.Hits.size(), 1u);
    EXPECT_EQ(a.Hits[0].Other, &b);
    ASSERT_EQ(b.Hits.size(), 1u);
    EXPECT_EQ(b.Hits[0].X, 0);

    b.PixelCheckOnly = true;
    a.Collision(&b);
    EXPECT_EQ(a.Hits.size(), 1u);
    b.PixelCheckOnly = false;

    b.SetX(10); // touching edges only: no overlap
    a.Collision(&b);
    EXPECT_EQ(a.Hits.size(), 1u);
    b.SetX(5);
    b.Kill();
    a.Collision(&b);
    EXPECT_EQ(a.Hits.size(), 1u) << "dead sprites do not collide";
}

TEST(ArvexSprite, DrawSkipsInvisibleAndImagelessSprites) {
    TArvexSprite manager(nullptr);
    TSprite s(&manager);
    s.Draw(); // no image: silently nothing
    Pictures pictures;
    s.SetImage(pictures.Item(64, 64, 64, 64));
    s.Visible = false;
    win::RecordedMessageBoxes().clear();
    s.Draw(); // invisible: nothing, not even the message about the missing texture
    EXPECT_TRUE(win::RecordedMessageBoxes().empty());
    s.Visible = true;
    s.Draw();
    EXPECT_EQ(win::RecordedMessageBoxes().size(), 1u);
}

// A picture without a texture is reported once, however many sprites show it and however many
// frames draw them: a modal box at every frame would make the game unusable.
TEST(ArvexSprite, APictureWithoutTextureIsReportedOnce) {
    TArvexSprite manager(nullptr);
    Pictures pictures;
    TImageListItem* picture = pictures.Item(64, 64, 64, 64);
    TSprite a(&manager), b(&manager);
    a.SetImage(picture);
    b.SetImage(picture);
    win::RecordedMessageBoxes().clear();
    for (int frame = 0; frame < 3; ++frame) {
        a.Draw();
        b.Draw();
    }
    ASSERT_EQ(win::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Text, "No ArvexImageList assigned to sprite!");
}
