#include "platform/gdi/Gdi.h"

#include "platform/gdi/FontLookup.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cmath>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_OUTLINE_H

namespace gdi {

namespace {

// One FreeType library for the process; fonts are made and used on the GUI thread only.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            return static_cast<FT_Library>(nullptr);
        return lib;
    }();
    return library;
}

int Round26(FT_Pos v) {
    return static_cast<int>((v + 32) >> 6);
}

} // namespace

struct Font::Impl {
    FT_Face Face = nullptr;
    bool Embolden = false; // the face has no bold of its own
    bool Slant = false;    // nor an italic
    ~Impl() {
        if (Face)
            FT_Done_Face(Face);
    }
};

Font::~Font() = default;

std::unique_ptr<Font> Font::Create(const LOGFONT& logFont) {
    FT_Library library = Library();
    std::string file;
    int index = 0;
    bool boldFace = false, italicFace = false;
    if (!library || !FindFontFace(logFont, file, index, boldFace, italicFace))
        return nullptr;
    std::unique_ptr<Font> font(new Font());
    font->FImpl = std::make_unique<Impl>();
    font->FLog = logFont;
    if (FT_New_Face(library, file.c_str(), index, &font->FImpl->Face) != 0)
        return nullptr;
    FT_Face face = font->FImpl->Face;
    font->FImpl->Embolden = logFont.Weight >= 600 && !boldFace;
    font->FImpl->Slant = logFont.Italic && !italicFace;
    font->FFamily = face->family_name ? face->family_name : "";

    // Negative heights give the em size; positive ones the whole cell, which is larger than the
    // em by the face's ascender plus descender over its units per em.
    int emPixels = logFont.Height < 0 ? -logFont.Height : 0;
    if (logFont.Height > 0 && face->units_per_EM > 0) {
        const double cell = static_cast<double>(face->ascender - face->descender);
        emPixels = static_cast<int>(std::lround(logFont.Height * face->units_per_EM / cell));
    }
    if (emPixels == 0)
        emPixels = 16;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(emPixels)) != 0)
        return nullptr;
    font->FAscent = Round26(face->size->metrics.ascender);
    font->FDescent = -Round26(face->size->metrics.descender);
    return font;
}

int DC::GetDeviceCaps(int index) {
    return index == LOGPIXELSY ? 96 : 0;
}

SIZE DC::GetTextExtent(const std::string& text) const {
    SIZE size;
    if (!FFont)
        return size;
    FT_Face face = FFont->FImpl->Face;
    for (const char ch : text) {
        const FT_UInt glyph =
            FT_Get_Char_Index(face, rtl::Win1252ToUnicode(static_cast<uint8_t>(ch)));
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0)
            continue;
        if (FFont->FImpl->Embolden)
            FT_GlyphSlot_Embolden(face->glyph);
        size.cx += Round26(face->glyph->advance.x);
    }
    size.cy = FFont->FAscent + FFont->FDescent;
    return size;
}

void DC::TextOut(int x, int y, const std::string& text) {
    if (!FFont)
        return;
    const SIZE extent = GetTextExtent(text);
    const auto plot = [&](int px, int py, unsigned coverage) {
        if (px < 0 || py < 0 || px >= FTarget.Width || py >= FTarget.Height)
            return;
        uint32_t& dst = FTarget.Pixels[static_cast<size_t>(py) * FTarget.Width + px];
        const auto mix = [&](int shift) {
            const unsigned fg = (FTextColor >> shift) & 0xFF;
            const unsigned bg = (dst >> shift) & 0xFF;
            return ((fg * coverage + bg * (255 - coverage) + 127) / 255) << shift;
        };
        dst = mix(16) | mix(8) | mix(0);
    };

    // Opaque mode: the text's cell is filled with the background colour first.
    for (int py = y; py < y + extent.cy; ++py)
        for (int px = x; px < x + extent.cx; ++px)
            if (px >= 0 && py >= 0 && px < FTarget.Width && py < FTarget.Height)
                FTarget.Pixels[static_cast<size_t>(py) * FTarget.Width + px] = FBkColor;

    FT_Face face = FFont->FImpl->Face;
    const int baseline = y + FFont->FAscent;
    int penX = x;
    const FT_Int32 loadFlags =
        FT_LOAD_DEFAULT | (FFont->FLog.Antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    const FT_Render_Mode renderMode =
        FFont->FLog.Antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    for (const char ch : text) {
        const FT_UInt glyph =
            FT_Get_Char_Index(face, rtl::Win1252ToUnicode(static_cast<uint8_t>(ch)));
        if (FT_Load_Glyph(face, glyph, loadFlags) != 0)
            continue;
        FT_GlyphSlot slot = face->glyph;
        if (FFont->FImpl->Embolden)
            FT_GlyphSlot_Embolden(slot);
        if (FFont->FImpl->Slant && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, renderMode) != 0)
            continue;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = penX + slot->bitmap_left;
        const int top = baseline - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const uint8_t* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
            for (unsigned col = 0; col < bitmap.width; ++col) {
                unsigned coverage = 0;
                if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                    coverage = (line[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
                else
                    coverage = line[col];
                if (coverage)
                    plot(left + static_cast<int>(col), top + static_cast<int>(row), coverage);
            }
        }
        penX += Round26(slot->advance.x);
    }

    // Underline and strike-out run over the whole extent, as thick as the face says.
    const int thickness =
        std::max(1, Round26(FT_MulFix(face->underline_thickness, face->size->metrics.y_scale)));
    const auto rule = [&](int lineY) {
        for (int t = 0; t < thickness; ++t)
            for (int px = x; px < x + extent.cx; ++px)
                plot(px, lineY + t, 255);
    };
    if (FFont->FLog.Underline)
        rule(baseline - Round26(FT_MulFix(face->underline_position, face->size->metrics.y_scale)));
    if (FFont->FLog.StrikeOut)
        rule(baseline - FFont->FAscent / 3);
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = (c < 0 ? -c : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -c : c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace gdi
