// Text drawn into a 32-bit bitmap with a system font: what the bitmap font needs from the
// operating system's text drawing to build a glyph texture of its own.
//
// Stands in for: a memory device context with a top-down 32-bit DIB selected, a logical font
// (height, weight, italic, underline, strike-out, quality, face name), text and background
// colours, text extents and opaque text output.
// Relies on: the font lookup (FontLookup.h: fontconfig on a desktop, where a face name such as
// "Arial" resolves to its installed metric-compatible substitute) to choose the face, FreeType
// to render it.
// Limits: Windows-1252 text only; no kerning (extents are the sum of advances, as the engine
// expects); no clipping regions, no rotation (escapement), no char-set selection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gdi {

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr int LOGPIXELSY = 90;

struct LOGFONT {
    // Negative: the character (em) height in pixels; positive: the cell height (ascent plus
    // descent); 0: a default size.
    int Height = 0;
    int Weight = FW_NORMAL;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool Antialiased = true; // false: monochrome glyphs, as a default-quality font draws
    std::string FaceName;
};

struct SIZE {
    int cx = 0;
    int cy = 0;
};

class Font {
public:
    // nullptr when no face can be found or opened.
    static std::unique_ptr<Font> Create(const LOGFONT& logFont);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The family name of the face actually used (after substitution).
    const std::string& FamilyName() const { return FFamily; }
    int Ascent() const { return FAscent; }
    int Descent() const { return FDescent; }

private:
    Font() = default;
    friend class DC;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    std::string FFamily;
    int FAscent = 0;
    int FDescent = 0;
    LOGFONT FLog;
};

// A top-down 32-bit bitmap, pixels 0x00RRGGBB, rows Width apart.
struct Bitmap32 {
    Bitmap32(int width, int height)
        : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height, 0) {}
    int Width;
    int Height;
    std::vector<uint32_t> Pixels;
};

// A device context drawing into one bitmap with one selected font.
class DC {
public:
    explicit DC(Bitmap32& target) : FTarget(target) {}

    void SelectFont(Font* font) { FFont = font; }
    void SetTextColor(uint32_t rgb) { FTextColor = rgb & 0xFFFFFF; }
    void SetBkColor(uint32_t rgb) { FBkColor = rgb & 0xFFFFFF; }

    // Width: the sum of the characters' advances; height: the font's ascent plus descent.
    SIZE GetTextExtent(const std::string& text) const;
    // Draws with the top-left of the text's cell at (x, y), filling the cell with the
    // background colour first (opaque mode).
    void TextOut(int x, int y, const std::string& text);

    static int GetDeviceCaps(int index); // LOGPIXELSY: 96

private:
    Bitmap32& FTarget;
    Font* FFont = nullptr;
    uint32_t FTextColor = 0x000000;
    uint32_t FBkColor = 0xFFFFFF;
};

// a * b / c rounded to the nearest integer (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

} // namespace gdi
