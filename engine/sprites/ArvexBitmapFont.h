// TArvexBitmapFont: text drawn as one textured quad per character.
//
// Glyphs come from a picture of the image list cut into equal cells, one per character of
// Characters in order (image mode), or from a texture the font renders itself from a system
// font (system-font mode, used when the font has no image list). All per-character data lives
// in fixed 256-entry tables, so drawing a character is two lookups and one quad.
//
// Traps worth knowing:
// - In image mode a character's glyph is its position in Characters (the first occurrence
//   wins); in system-font mode it is the character's code.
// - A space is never drawn, only advanced; a character without a glyph takes no room at all.
// - pmCenter moves the start up by a quarter of the cell height, not a half.
#pragma once

#include "engine/display/ArvexDeviceClient.h"
#include "engine/display/ArvexRenderer.h"
#include "platform/rtl/Component.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace d3d {
class Device;
class Texture;
} // namespace d3d

class TArvexScreen;
class TArvexImageList;

enum TBitmapFontPositionMode { pmTopLeft = 0, pmCenter = 1 };

// Style flags of BuildFromSystemFont.
constexpr int bfBold = 1;
constexpr int bfItalic = 2;
constexpr int bfUnderline = 4;
constexpr int bfStrikeOut = 8;
constexpr int bfNoAntialias = 16;
constexpr int bfFixedCells = 32;

struct TGlyphRect {
    float Left = 0;
    float Top = 0;
    float Right = 0;
    float Bottom = 0;
};

struct TGlyphSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

class TArvexBitmapFont : public rtl::TComponent, public TArvexDeviceClient {
public:
    explicit TArvexBitmapFont(rtl::TComponent* owner);
    ~TArvexBitmapFont() override;

    const std::string& FontName() const { return FFontName; }
    TArvexScreen* ArvexScreen() const { return FArvexScreen; }
    void SetArvexScreen(TArvexScreen* screen) { FArvexScreen = screen; }
    TArvexImageList* ArvexImageList() const { return FArvexImageList; }
    void SetArvexImageList(TArvexImageList* list);
    int32_t ArvexImageIndex() const { return FArvexImageIndex; }
    void SetArvexImageIndex(int32_t value);
    const std::string& Characters() const { return FCharacters; }
    void SetCharacters(const std::string& value); // Windows-1252

    int32_t Red() const { return FRed; }
    void SetRed(int32_t value);
    int32_t Green() const { return FGreen; }
    void SetGreen(int32_t value);
    int32_t Blue() const { return FBlue; }
    void SetBlue(int32_t value);
    int32_t Alpha() const { return FAlpha; }
    void SetAlpha(int32_t value);

    int32_t LineSpace = 10;
    float CenterX = 0;
    float CenterY = 0;
    float ScaleX = 1;
    float ScaleY = 1;
    float Rotation = 0;
    float CharRotation = 0;
    int32_t Spacing = 0;
    TBitmapFontPositionMode PositionMode = pmTopLeft;

    void Initialize();
    void Finalize() {}
    void BuildFromSystemFont(const std::string& faceName, const std::string& chars, int flags,
                             int size);

    void TextOut(int32_t X, int32_t Y, const std::string& Text, int32_t BlendMode);
    void TextOutEx(int32_t X, int32_t Y, float Rotation, float ScaleX, float ScaleY, uint32_t Color,
                   const std::string& Text, int32_t BlendMode);
    void TextOutColors(int32_t X, int32_t Y, float Rotation, float ScaleX, float ScaleY,
                       uint32_t Color0, uint32_t Color1, uint32_t Color2, uint32_t Color3,
                       const std::string& Text, int32_t BlendMode);
    int32_t TextWidth(const std::string& Text) const;
    int32_t TextHeight() const;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    TDeviceClientKind DeviceClientKind() const override { return TDeviceClientKind::dcBitmapFont; }
    void DeviceReady() override { Initialize(); }
    void DeviceLost() override { Finalize(); }
    void AssignScreen(TArvexScreen* screen) override { FArvexScreen = screen; }

    // The glyph tables, for tests and tools.
    int32_t CharMap(uint8_t code) const { return FCharMap[code]; }
    const TGlyphRect& GlyphRect(int index) const { return FGlyphRects[static_cast<size_t>(index)]; }
    const TGlyphSize& GlyphSize(int index) const { return FGlyphSizes[static_cast<size_t>(index)]; }
    int32_t CharWidth() const { return FCharWidth; }
    int32_t CharHeight() const { return FCharHeight; }
    bool Generated() const { return FGenerated; }
    d3d::Texture* GlyphTexture() const { return FGlyphTexture.get(); }

    static const std::string& DefaultCharacters();

private:
    void BuildFromImage();
    void BuildCornerColors();

    d3d::Device* FDevice = nullptr;
    std::unique_ptr<TArvexRenderer> FRenderer;
    int32_t FTextureWidth = 0;
    int32_t FTextureHeight = 0;
    std::array<TGlyphRect, 256> FGlyphRects{};
    std::array<TGlyphSize, 256> FGlyphSizes{};
    float FTextureScale = 1;
    TArvexImageList* FArvexImageList = nullptr;
    int32_t FArvexImageIndex = 0;
    bool FGenerated = false;
    std::unique_ptr<d3d::Texture> FGlyphTexture;
    std::string FCharacters;
    std::array<int32_t, 256> FCharMap{};
    int32_t FCharWidth = 0;
    int32_t FCharHeight = 0;
    int32_t FRed = 255;
    int32_t FGreen = 255;
    int32_t FBlue = 255;
    int32_t FAlpha = 255;
    std::string FFontName;
    std::array<uint32_t, 4> FCornerColors{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    TArvexScreen* FArvexScreen = nullptr;
};
