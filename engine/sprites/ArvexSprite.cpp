#include "engine/sprites/ArvexSprite.h"

#include "platform/d3d/Resources.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <cassert>

// ---- TSprite ----------------------------------------------------------------------------------

TSprite::TSprite(TArvexSprite* manager) : Manager(manager) {
    assert(manager && "a sprite needs its manager: create it with the form's sprite manager");
    Manager->InsertSorted(this);
}

TSprite::~TSprite() {
    Manager->RemoveSprite(this);
    std::erase(Manager->DeadList, this);
}

void TSprite::BuildCornerColors() {
    const uint32_t color =
        (static_cast<uint32_t>(Alpha & 255) << 24) | (static_cast<uint32_t>(Red & 255) << 16) |
        (static_cast<uint32_t>(Green & 255) << 8) | static_cast<uint32_t>(Blue & 255);
    std::fill(std::begin(CornerColors), std::end(CornerColors), color);
}

void TSprite::SetRed(int32_t value) {
    Red = value;
    BuildCornerColors();
}

void TSprite::SetGreen(int32_t value) {
    Green = value;
    BuildCornerColors();
}

void TSprite::SetBlue(int32_t value) {
    Blue = value;
    BuildCornerColors();
}

void TSprite::SetAlpha(int32_t value) {
    Alpha = value;
    BuildCornerColors();
}

bool TSprite::ClampPattern(int32_t& columns) {
    const int32_t tileWidth = Image->TileWidth();
    const int32_t tileHeight = Image->TileHeight();
    columns = tileWidth > 0 ? Image->PictureWidth / tileWidth : 0;
    const int32_t rows = tileHeight > 0 ? Image->PictureHeight / tileHeight : 0;
    const int32_t count = columns * rows;
    PatternIndex = count > 0 ? std::clamp(PatternIndex, 0, count - 1) : 0;
    return columns > 0;
}

void TSprite::SetPatternIndex(int32_t value) {
    PatternIndex = value;
    if (!Image)
        return;
    int32_t columns = 0;
    if (!ClampPattern(columns)) {
        PatternOffsetX = PatternOffsetY = 0;
        return;
    }
    PatternOffsetX = (PatternIndex % columns) * Image->TileWidth();
    PatternOffsetY = (PatternIndex / columns) * Image->TileHeight();
}

void TSprite::GetPatternRect(TRect& rect) {
    int32_t columns = 0;
    if (!Image || !ClampPattern(columns)) {
        rect = TRect{0, 0, Image ? Image->TileWidth() : 0, Image ? Image->TileHeight() : 0};
        return;
    }
    rect.Left = (PatternIndex % columns) * Image->TileWidth();
    rect.Right = rect.Left + Image->TileWidth();
    rect.Top = (PatternIndex / columns) * Image->TileHeight();
    rect.Bottom = rect.Top + Image->TileHeight();
}

void TSprite::SetX(float value) {
    X = value;
    Corners[0].X = value + static_cast<float>(Width);
    Corners[1].X = value + static_cast<float>(Width);
    Corners[2].X = value;
    BoundsRect.Left = static_cast<int32_t>(rtl::RoundAway(value));
    BoundsRect.Right = static_cast<int32_t>(rtl::RoundAway(X)) + Width;
    MidX = static_cast<float>(Width) / 2 + X;
}

void TSprite::SetY(float value) {
    Y = value;
    Corners[0].Y = value;
    Corners[1].Y = value + static_cast<float>(Height);
    Corners[2].Y = value + static_cast<float>(Height);
    BoundsRect.Top = static_cast<int32_t>(rtl::RoundAway(value));
    BoundsRect.Bottom = static_cast<int32_t>(rtl::RoundAway(Y)) + Height;
    MidY = static_cast<float>(Height) / 2 + Y;
}

void TSprite::SetZ(int32_t value) {
    if (value == Z)
        return;
    Z = value;
    Manager->RemoveSprite(this);
    Manager->InsertSorted(this);
}

void TSprite::SetImage(TImageListItem* item) {
    Image = item;
    if (!item)
        return;
    Width = item->TileWidth();
    Height = item->TileHeight();
    BoundsRect.Right = BoundsRect.Left + Width;
    BoundsRect.Bottom = BoundsRect.Top + Height;
    SetX(X);
    SetY(Y);
}

void TSprite::SetWidth(int32_t value) {
    Width = value;
    BoundsRect.Right = BoundsRect.Left + value;
}

void TSprite::SetHeight(int32_t value) {
    Height = value;
    BoundsRect.Bottom = BoundsRect.Top + value;
}

void TSprite::Assign(TSprite* source) {
    SetName(source->Name);
    X = source->X;
    Y = source->Y;
    std::copy(std::begin(source->Corners), std::end(source->Corners), std::begin(Corners));
    SetZ(source->Z);
    SetRed(source->Red);
    SetGreen(source->Green);
    SetBlue(source->Blue);
    SetAlpha(source->Alpha);
    std::copy(std::begin(source->CornerColors), std::end(source->CornerColors),
              std::begin(CornerColors));
    SetPatternIndex(source->PatternIndex);
    CanCollide = source->CanCollide;
    PixelCheck = source->PixelCheck;
    PixelCheckOnly = source->PixelCheckOnly;
    Angle = source->Angle;
    SetImage(source->Image);
    ScaleX = source->ScaleX;
    ScaleY = source->ScaleY;
    OffsetX = source->OffsetX;
    OffsetY = source->OffsetY;
    CenterX = source->CenterX;
    CenterY = source->CenterY;
    MirrorY = source->MirrorY;
    MirrorX = source->MirrorX;
    BlendMode = source->BlendMode;
    Visible = source->Visible;
    FixedToScreen = source->FixedToScreen;
}

void TSprite::Kill() {
    if (Dead)
        return;
    Dead = true;
    Manager->AddDead(this);
}

void TSprite::OnCollision(TSprite*, int32_t, int32_t) {}

void TSprite::Move(float) {}

void TSprite::Collision(TSprite* other) {
    if (!other || !CanCollide || !other->CanCollide || Dead || other->Dead)
        return;
    const TRect& a = BoundsRect;
    const TRect& b = other->BoundsRect;
    const TRect overlap{std::max(a.Left, b.Left), std::max(a.Top, b.Top),
                        std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (overlap.Right <= overlap.Left || overlap.Bottom <= overlap.Top)
        return;
    if (PixelCheck && other->PixelCheck) {
        int32_t hit[4] = {0, 0, 0, 0};
        if (PixelTest(other, overlap, hit)) {
            OnCollision(other, hit[0], hit[1]);
            other->OnCollision(this, hit[2], hit[3]);
        }
        return;
    }
    if (PixelCheckOnly || other->PixelCheckOnly)
        return;
    OnCollision(other, 0, 0);
    other->OnCollision(this, 0, 0);
}

namespace {

// Where a sprite's scan of the overlap starts and which way it runs, in texels of its picture.
struct Scan {
    int32_t Column;
    int32_t Row;
    int32_t StepX;
    int32_t StepY;
};

Scan StartOf(const TSprite& s, const TRect& overlap) {
    const TRect& b = s.BoundsRect;
    Scan scan{};
    if (!s.MirrorX) {
        scan.Column = (overlap.Left - b.Left) + 1;
        scan.StepX = 1;
    } else {
        scan.Column = (b.Right - b.Left) - (overlap.Left - b.Left) - 1;
        scan.StepX = -1;
    }
    if (!s.MirrorY) {
        scan.Row = (overlap.Top - b.Top) + 1;
        scan.StepY = 1;
    } else {
        scan.Row = (b.Bottom - b.Top) - (overlap.Top - b.Top) - 1;
        scan.StepY = -1;
    }
    scan.Column += s.PatternOffsetX;
    scan.Row += s.PatternOffsetY;
    return scan;
}

int TexelSize(d3d::D3DFORMAT format) {
    switch (format) {
    case d3d::D3DFMT_A8R8G8B8:
    case d3d::D3DFMT_X8R8G8B8:
        return 4;
    case d3d::D3DFMT_R5G6B5:
    case d3d::D3DFMT_A4R4G4B4:
        return 2;
    default:
        return 0;
    }
}

// The texel, or 0 (empty) outside the texture: a sprite larger than its tile must not make the
// test read beyond the locked memory.
uint32_t TexelAt(const d3d::D3DLOCKED_RECT& locked, const d3d::D3DSURFACE_DESC& desc, int size,
                 int32_t column, int32_t row) {
    if (column < 0 || row < 0 || static_cast<uint32_t>(column) >= desc.Width ||
        static_cast<uint32_t>(row) >= desc.Height)
        return 0;
    const uint8_t* p =
        static_cast<const uint8_t*>(locked.pBits) + row * locked.Pitch + column * size;
    return size == 4 ? *reinterpret_cast<const uint32_t*>(p)
                     : *reinterpret_cast<const uint16_t*>(p);
}

} // namespace

bool TSprite::PixelTest(TSprite* other, const TRect& overlap, int32_t hit[4]) {
    if (other == this)
        return true;
    if (!Image || !other->Image || !Image->Texture() || !other->Image->Texture())
        return false;
    d3d::Texture* first = Image->Texture();
    d3d::Texture* second = other->Image->Texture();
    d3d::D3DSURFACE_DESC desc1, desc2;
    first->GetLevelDesc(0, &desc1);
    second->GetLevelDesc(0, &desc2);
    if (desc1.Format != desc2.Format)
        return false;
    const int size = TexelSize(desc1.Format);
    if (size == 0)
        return false;
    d3d::D3DLOCKED_RECT lock1, lock2;
    if (d3d::FAILED(first->LockRect(0, &lock1, nullptr, d3d::D3DLOCK_READONLY)))
        return false;
    const bool shared = first == second;
    if (shared) {
        lock2 = lock1;
    } else if (d3d::FAILED(second->LockRect(0, &lock2, nullptr, d3d::D3DLOCK_READONLY))) {
        first->UnlockRect(0);
        return false;
    }
    const Scan start1 = StartOf(*this, overlap);
    const Scan start2 = StartOf(*other, overlap);
    bool found = false;
    int32_t row1 = start1.Row, row2 = start2.Row;
    // The last row and column of the overlap are not visited.
    for (int32_t y = overlap.Top; y <= overlap.Bottom - 2 && !found; ++y) {
        int32_t column1 = start1.Column, column2 = start2.Column;
        for (int32_t x = overlap.Left; x <= overlap.Right - 2; ++x) {
            if (TexelAt(lock1, desc1, size, column1, row1) != 0 &&
                TexelAt(lock2, desc2, size, column2, row2) != 0) {
                hit[0] = x - BoundsRect.Left;
                hit[1] = y - BoundsRect.Top;
                hit[2] = x - other->BoundsRect.Left;
                hit[3] = y - other->BoundsRect.Top;
                found = true;
                break;
            }
            column1 += start1.StepX;
            column2 += start2.StepX;
        }
        row1 += start1.StepY;
        row2 += start2.StepY;
    }
    first->UnlockRect(0);
    if (!shared)
        second->UnlockRect(0);
    return found;
}

void TSprite::Draw() {
    if (!Visible || !Image)
        return;
    if (!Image->Attached()) {
        // Once per picture: the sprites that use it are drawn every frame, and a modal box each
        // time would leave the player nothing to do but kill the program.
        if (!Image->ReportedUnattached) {
            Image->ReportedUnattached = true;
            win::MessageBox(nullptr, "No ArvexImageList assigned to sprite!", "Error",
                            win::MB_OKCANCEL);
        }
        return;
    }
    int64_t dx = rtl::RoundAway(X + OffsetX);
    int64_t dy = rtl::RoundAway(Y + OffsetY);
    if (!FixedToScreen) {
        dx = rtl::RoundAway(static_cast<double>(dx) - Manager->CameraX);
        dy = rtl::RoundAway(static_cast<double>(dy) - Manager->CameraY);
    }
    const TArvexSprite& m = *Manager;
    if (m.DrawAreaX1 != 0 || m.DrawAreaY1 != 0 || m.DrawAreaX2 != 0 || m.DrawAreaY2 != 0) {
        if (!(m.DrawAreaX1 <= dx + Width && dx <= m.DrawAreaX2 && m.DrawAreaY1 <= dy + Height &&
              dy <= m.DrawAreaY2))
            return;
    }
    Image->DrawEx(static_cast<int32_t>(dx), static_cast<int32_t>(dy), Angle, CenterX, CenterY,
                  ScaleX, ScaleY, CornerColors[0], CornerColors[1], CornerColors[2],
                  CornerColors[3], MirrorY, MirrorX, PatternIndex, BlendMode);
}

// ---- TArvexSprite -----------------------------------------------------------------------------

TArvexSprite::TArvexSprite(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TArvexSprite::~TArvexSprite() {
    while (!SpriteList.empty())
        delete SpriteList.back();
}

void TArvexSprite::FreeDead() {
    while (!DeadList.empty())
        delete DeadList.back();
}

void TArvexSprite::Draw() {
    // Index by index: a sprite's draw may show a message box, whose loop could run handlers.
    for (size_t i = 0; i < SpriteList.size(); ++i)
        SpriteList[i]->Draw();
}

TSprite* TArvexSprite::Items(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return SpriteList[static_cast<size_t>(index)];
}

void TArvexSprite::InsertSorted(TSprite* sprite) {
    int lo = 0;
    int hi = Count() - 1;
    while (hi >= lo) {
        const int mid = (lo + hi) / 2;
        // In 64 bits: depths far apart must not wrap around and sort backwards.
        if (static_cast<int64_t>(SpriteList[static_cast<size_t>(mid)]->Z) - sprite->Z < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    SpriteList.insert(SpriteList.begin() + lo, sprite);
}

void TArvexSprite::RemoveSprite(TSprite* sprite) {
    std::erase(SpriteList, sprite);
}
