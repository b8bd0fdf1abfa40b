#include "engine/sprites/ArvexBitmapFont.h"

#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/Device.h"
#include "platform/d3d/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Numbers.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t RoundToInt(double v) {
    return static_cast<int32_t>(rtl::Round(v));
}

} // namespace

const std::string& TArvexBitmapFont::DefaultCharacters() {
    static const std::string set = [] {
        std::string s;
        for (int c = 32; c <= 126; ++c)
            s += static_cast<char>(c);
        return s;
    }();
    return set;
}

TArvexBitmapFont::TArvexBitmapFont(rtl::TComponent* owner)
    : rtl::TComponent(owner), FRenderer(std::make_unique<TArvexRenderer>()) {
    SetCharacters(DefaultCharacters());
}

TArvexBitmapFont::~TArvexBitmapFont() = default;

void TArvexBitmapFont::BuildCornerColors() {
    const uint32_t color =
        (static_cast<uint32_t>(FAlpha & 255) << 24) | (static_cast<uint32_t>(FRed & 255) << 16) |
        (static_cast<uint32_t>(FGreen & 255) << 8) | static_cast<uint32_t>(FBlue & 255);
    FCornerColors.fill(color);
}

void TArvexBitmapFont::SetRed(int32_t value) {
    FRed = value;
    BuildCornerColors();
}

void TArvexBitmapFont::SetGreen(int32_t value) {
    FGreen = value;
    BuildCornerColors();
}

void TArvexBitmapFont::SetBlue(int32_t value) {
    FBlue = value;
    BuildCornerColors();
}

void TArvexBitmapFont::SetAlpha(int32_t value) {
    FAlpha = value;
    BuildCornerColors();
}

void TArvexBitmapFont::SetArvexImageList(TArvexImageList* list) {
    if (list == FArvexImageList)
        return;
    FArvexImageList = list;
    if (list)
        SetArvexImageIndex(FArvexImageIndex);
}

void TArvexBitmapFont::SetArvexImageIndex(int32_t value) {
    if (value < 0)
        return;
    FArvexImageIndex = value;
    if (FArvexImageList && value < FArvexImageList->Count())
        BuildFromImage();
}

void TArvexBitmapFont::BuildFromImage() {
    TImageListItem* item = FArvexImageList->Items(FArvexImageIndex);
    FGenerated = false;
    FFontName = item->Name;
    FTextureScale = 1;
    FGlyphTexture.reset();
    FCharWidth = item->TileWidth();
    FCharHeight = item->TileHeight();
    const float tw = static_cast<float>(item->TextureWidth());
    const float th = static_cast<float>(item->TextureHeight());
    const int32_t columns = FCharWidth > 0 ? item->PictureWidth / FCharWidth : 0;
    const int32_t rows = FCharHeight > 0 ? item->PictureHeight / FCharHeight : 0;
    const int32_t cells = columns * rows;
    for (int i = 0; i < 256; ++i) {
        FGlyphSizes[static_cast<size_t>(i)] = {FCharWidth, FCharHeight};
        const int32_t c = i > cells ? cells : i;
        int32_t left = 0, top = 0;
        if (columns > 0) {
            left = FCharWidth * (c % columns);
            top = FCharHeight * (c / columns);
        }
        FGlyphRects[static_cast<size_t>(i)] = {
            static_cast<float>(left) / tw, static_cast<float>(top) / th,
            static_cast<float>(left + FCharWidth) / tw, static_cast<float>(top + FCharHeight) / th};
    }
}

void TArvexBitmapFont::SetCharacters(const std::string& value) {
    FCharacters = value.empty() ? DefaultCharacters() : value;
    FCharMap.fill(-1);
    // Positions past the glyph tables (a list longer than 256 with repeats) have no glyph.
    for (size_t i = std::min(FCharacters.size(), FGlyphSizes.size()); i-- > 0;)
        FCharMap[static_cast<uint8_t>(FCharacters[i])] = static_cast<int32_t>(i);
    if (FCharMap[32] < 0)
        FCharMap[32] = 0;
}

void TArvexBitmapFont::Initialize() {
    if (!FArvexScreen || !FRenderer)
        return;
    FRenderer->SetScreen(FArvexScreen);
    FRenderer->Activate();
    if (!FArvexScreen->Device())
        return;
    FDevice = FArvexScreen->Device();
    FGenerated = false;
    SetArvexImageIndex(FArvexImageIndex);
    SetCharacters(FCharacters);
    if (!FArvexImageList)
        BuildFromSystemFont("Arial", DefaultCharacters(), bfBold, 12);
}

void TArvexBitmapFont::BuildFromSystemFont(const std::string& faceName, const std::string& chars,
                                           int flags, int size) {
    if (FGenerated)
        FGlyphTexture.reset();
    FFontName = faceName;
    FTextureScale = 1;
    if (!FDevice)
        return;

    const bool fixedCells = (flags & bfFixedCells) != 0;
    const bool italic = (flags & bfItalic) != 0;
    int32_t S = 1;
    if (fixedCells) {
        const int32_t needed = RoundToInt(
            std::sqrt(static_cast<double>(chars.size()) * 2.0 * (size + 1) * (size + 1)));
        while (S < needed)
            S *= 2;
    } else {
        S = size > 40 ? 1024 : size > 20 ? 512 : 256;
    }
    d3d::D3DCAPS8 caps;
    FDevice->GetDeviceCaps(&caps);
    if (caps.MaxTextureWidth > 0 && static_cast<int32_t>(caps.MaxTextureWidth) < S) {
        FTextureScale = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(S);
        S = static_cast<int32_t>(caps.MaxTextureWidth);
    }
    FDevice->CreateTexture(static_cast<d3d::UINT>(S), static_cast<d3d::UINT>(S), 1, 0,
                           d3d::D3DFMT_A4R4G4B4, d3d::D3DPOOL_MANAGED, &FGlyphTexture);

    gdi::LOGFONT lf;
    lf.Height = -gdi::MulDiv(
        size, static_cast<int>(rtl::Trunc(gdi::DC::GetDeviceCaps(gdi::LOGPIXELSY) * FTextureScale)),
        72);
    lf.Weight = (flags & bfBold) ? gdi::FW_BOLD : gdi::FW_NORMAL;
    lf.Italic = italic;
    lf.Underline = (flags & bfUnderline) != 0;
    lf.StrikeOut = (flags & bfStrikeOut) != 0;
    lf.Antialiased = (flags & bfNoAntialias) == 0;
    lf.FaceName = faceName;
    std::unique_ptr<gdi::Font> font = gdi::Font::Create(lf);
    if (!font)
        return; // the glyph tables keep their contents; the texture stays empty
    gdi::Bitmap32 dib(S, S);
    gdi::DC dc(dib);
    dc.SelectFont(font.get());
    dc.SetTextColor(0xFFFFFF);
    dc.SetBkColor(0x000000);

    const gdi::SIZE reference = dc.GetTextExtent(fixedCells ? "W" : "a");
    FCharWidth = reference.cx;
    FCharHeight = reference.cy;

    int32_t x = 0, y = 0;
    // The count of characters handled is kept in 8 bits, as the glyph tables are.
    const size_t count = chars.size() % 256;
    for (size_t i = 0; i < count; ++i) {
        const char ch = chars[i];
        gdi::SIZE extent = fixedCells ? reference : dc.GetTextExtent(std::string(1, ch));
        if (!fixedCells && italic) {
            extent.cx += 1;
            extent.cy += 2;
        }
        if (x + extent.cx + 2 > S) {
            x = 0;
            y += extent.cy + 2;
        }
        dc.TextOut(x, y, std::string(1, ch));
        const auto code = static_cast<uint8_t>(ch);
        const int32_t e = italic && !fixedCells ? -1 : 1;
        FGlyphSizes[code] = {extent.cx, extent.cy};
        const float s = static_cast<float>(S);
        FGlyphRects[code] = {static_cast<float>(x) / s, static_cast<float>(y) / s,
                             static_cast<float>(x + extent.cx + e) / s,
                             static_cast<float>(y + extent.cy + 1) / s};
        x += extent.cx + 2;
    }

    d3d::D3DLOCKED_RECT locked;
    if (FGlyphTexture && d3d::SUCCEEDED(FGlyphTexture->LockRect(0, &locked, nullptr, 0))) {
        for (int32_t row = 0; row < S; ++row) {
            auto* texels = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.pBits) +
                                                       static_cast<ptrdiff_t>(row) * locked.Pitch);
            for (int32_t col = 0; col < S; ++col) {
                const uint32_t v = (dib.Pixels[static_cast<size_t>(row) * S + col] & 0xFF) >> 4;
                texels[col] = v > 0 ? static_cast<uint16_t>((v << 12) | 0x0FFF) : 0;
            }
        }
        FGlyphTexture->UnlockRect(0);
    }
    FTextureWidth = S;
    FTextureHeight = S;
    FGenerated = true;
    SetCharacters(chars);
    for (int i = 0; i < 256; ++i)
        FCharMap[static_cast<size_t>(i)] = i;
}

void TArvexBitmapFont::TextOut(int32_t X, int32_t Y, const std::string& Text, int32_t BlendMode) {
    TextOutColors(X, Y, Rotation, ScaleX, ScaleY, FCornerColors[0], FCornerColors[1],
                  FCornerColors[2], FCornerColors[3], Text, BlendMode);
}

void TArvexBitmapFont::TextOutEx(int32_t X, int32_t Y, float Rotation, float ScaleX, float ScaleY,
                                 uint32_t Color, const std::string& Text, int32_t BlendMode) {
    TextOutColors(X, Y, Rotation, ScaleX, ScaleY, Color, Color, Color, Color, Text, BlendMode);
}

void TArvexBitmapFont::TextOutColors(int32_t X, int32_t Y, float Rotation, float ScaleX,
                                     float ScaleY, uint32_t Color0, uint32_t Color1,
                                     uint32_t Color2, uint32_t Color3, const std::string& Text,
                                     int32_t BlendMode) {
    if (FGenerated) {
        // A glyph texture the device could not make: draw nothing rather than solid boxes.
        if (!FGlyphTexture)
            return;
        FRenderer->SetTexture(FGlyphTexture.get());
    } else if (FArvexImageList)
        FRenderer->SetTexture(FArvexImageList->Items(FArvexImageIndex)->Texture());
    else
        return; // no glyph source yet: nothing to draw with

    int32_t cx = X, cy = Y;
    if (PositionMode == pmCenter) {
        cx = X - RoundToInt(static_cast<double>(Text.size()) * 0.5 * FCharWidth);
        cy = Y - RoundToInt(FCharHeight * 0.25);
    }
    if (BlendMode != -1 && FArvexScreen)
        FArvexScreen->SetBlendMode(BlendMode);
    for (const char ch : Text) {
        const auto code = static_cast<uint8_t>(ch);
        const int32_t g = FCharMap[code];
        if (code == 13) {
            cy += FCharHeight + LineSpace;
            cx = X;
        }
        if (g < 0)
            continue;
        const TGlyphSize& size = FGlyphSizes[static_cast<size_t>(g)];
        if (code != 32) {
            const float x0 = static_cast<float>(cx), y0 = static_cast<float>(cy);
            const float x1 = x0 + static_cast<float>(size.Width);
            const float y1 = y0 + static_cast<float>(size.Height);
            FRenderer->SetPositions(x0, y0, x1, y0, x1, y1, x0, y1);
            FRenderer->SetColors(Color0, Color1, Color2, Color3);
            const TGlyphRect& r = FGlyphRects[static_cast<size_t>(g)];
            FRenderer->SetTexCoords(r.Left, r.Top, r.Right, r.Top, r.Right, r.Bottom, r.Left,
                                    r.Bottom);
            FRenderer->Rotate(x0 + static_cast<float>(size.Width) / 2,
                              y0 + static_cast<float>(size.Height) / 2, CharRotation);
            FRenderer->RotateScale(static_cast<float>(X) + CenterX, static_cast<float>(Y) + CenterY,
                                   Rotation, ScaleX * FTextureScale, ScaleY * FTextureScale);
            FRenderer->Draw();
        }
        cx += size.Width + Spacing;
    }
}

int32_t TArvexBitmapFont::TextWidth(const std::string& Text) const {
    int32_t width = 0;
    for (const char ch : Text) {
        const int32_t g = FCharMap[static_cast<uint8_t>(ch)];
        if (g >= 0)
            width +=
                RoundToInt(FGlyphSizes[static_cast<size_t>(g)].Width * static_cast<double>(ScaleX));
    }
    return width == 0 ? 1 : width;
}

int32_t TArvexBitmapFont::TextHeight() const {
    const int32_t height = RoundToInt(FCharHeight * static_cast<double>(ScaleY));
    return height == 0 ? 1 : height;
}

void TArvexBitmapFont::Notification(rtl::TComponent* component, rtl::TOperation operation) {
    rtl::TComponent::Notification(component, operation);
    if (operation == rtl::opInsert && !FArvexScreen && component->Owner() == Owner()) {
        if (auto* screen = dynamic_cast<TArvexScreen*>(component))
            FArvexScreen = screen;
    }
    if (operation == rtl::opRemove) {
        if (component == FArvexScreen) {
            // Nothing of the screen may be used again: not its renderer target, not its device.
            FArvexScreen = nullptr;
            FRenderer->SetScreen(nullptr);
            FDevice = nullptr;
        }
        if (component == FArvexImageList)
            FArvexImageList = nullptr; // never keep a reference to a list that is gone
    }
}
