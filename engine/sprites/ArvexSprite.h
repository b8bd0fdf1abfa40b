// Sprites and the sprite manager.
//
// TArvexSprite owns every sprite, keeps them in one list sorted by depth (ascending Z; among
// equal depths the newest first, so it is drawn underneath), frees the killed ones in FreeDead
// and draws the rest in order. TSprite is the base of every sprite: position, size, depth, a
// picture with a pattern (tile) index, corner colours, scale, rotation, mirroring, visibility
// and collision flags.
//
// Traps worth knowing:
// - Users never free sprites: Kill queues them and the manager frees them in FreeDead. A killed
//   sprite is still counted, listed and drawn until then.
// - Setters keep derived fields in step (corners, middle, bounds, corner colours, the manager's
//   order): change those fields through their setters.
// - Set the pattern after the image: SetImage does not recompute the pattern offsets.
#pragma once

#include "engine/display/ArvexImageList.h"
#include "platform/rtl/Component.h"

#include <cstdint>
#include <string>
#include <vector>

class TArvexSprite;

struct TPointF {
    float X = 0;
    float Y = 0;
};

class TSprite : public rtl::TObject {
public:
    explicit TSprite(TArvexSprite* manager);
    // Leaves the manager's lists.
    ~TSprite() override;

    virtual void GetPatternRect(TRect& rect);
    virtual void SetName(const std::string& value) { Name = value; }
    virtual void SetRed(int32_t value);
    virtual void SetGreen(int32_t value);
    virtual void SetBlue(int32_t value);
    virtual void SetAlpha(int32_t value);
    virtual void SetPatternIndex(int32_t value);
    virtual void SetX(float value);
    virtual void SetY(float value);
    virtual void SetZ(int32_t value);
    virtual void SetImage(TImageListItem* item);
    virtual void SetWidth(int32_t value);
    virtual void SetHeight(int32_t value);
    virtual void Assign(TSprite* source);
    virtual void Collision(TSprite* other);
    virtual void Kill();
    virtual void OnCollision(TSprite* other, int32_t hitX, int32_t hitY);
    // Per-frame hook for subclasses; nothing in the engine calls it.
    virtual void Move(float delta);
    virtual void Draw();

    TArvexSprite* const Manager;
    std::string Name;
    float X = 0;
    float Y = 0;
    TPointF Corners[3] = {{10, 0}, {10, 10}, {0, 10}}; // top-right, bottom-right, bottom-left
    int32_t PatternOffsetX = 0;
    int32_t PatternOffsetY = 0;
    int32_t PatternIndex = 0;
    bool Visible = true;
    bool FixedToScreen = false;
    float MidX = 0;
    float MidY = 0;
    int32_t BlendMode = 0;
    int32_t Z = 0;
    bool MirrorX = false;
    bool MirrorY = false;
    float CenterX = 0;
    float CenterY = 0;
    uint32_t CornerColors[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    int32_t Red = 255;
    int32_t Green = 255;
    int32_t Blue = 255;
    int32_t Alpha = 255;
    bool CanCollide = false;
    bool PixelCheck = false;
    bool PixelCheckOnly = false;
    float Angle = 0;
    TImageListItem* Image = nullptr;
    float ScaleX = 1;
    float ScaleY = 1;
    float OffsetX = 0;
    float OffsetY = 0;
    int32_t Width = 10;
    int32_t Height = 10;
    TRect BoundsRect;
    bool Dead = false;

private:
    void BuildCornerColors();
    // Clamps PatternIndex to the image's patterns; false when the image has none.
    bool ClampPattern(int32_t& columns);
    bool PixelTest(TSprite* other, const TRect& overlap, int32_t hit[4]);
};

class TArvexSprite : public rtl::TComponent {
public:
    explicit TArvexSprite(rtl::TComponent* owner);
    // Frees every sprite, the last one first.
    ~TArvexSprite() override;

    void FreeDead();
    void Draw();
    int Count() const { return static_cast<int>(SpriteList.size()); }
    TSprite* Items(int index) const;
    void InsertSorted(TSprite* sprite);
    void RemoveSprite(TSprite* sprite);
    void AddDead(TSprite* sprite) { DeadList.push_back(sprite); }

    int32_t DrawAreaX1 = 0;
    int32_t DrawAreaY1 = 0;
    int32_t DrawAreaX2 = 0;
    int32_t DrawAreaY2 = 0;
    float CameraX = 0;
    float CameraY = 0;

private:
    friend class TSprite;
    std::vector<TSprite*> SpriteList; // owned: each sprite's destructor removes it
    std::vector<TSprite*> DeadList;
};
