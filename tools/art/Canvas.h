// Drawing surface of the art tool: a cairo ARGB32 image with helpers for the few things every
// picture needs (text in the DejaVu faces, rounded plates, glows), and the conversions between
// cairo's premultiplied pixels and rtl::TPixels.
//
// Relies on cairo's image backend and on fontconfig finding the DejaVu faces of Debian's
// fonts-dejavu-core; RequireFonts() refuses to draw with a stand-in face, so a missing package
// fails the build instead of quietly changing every label.
#pragma once

#include "platform/rtl/Pictures.h"

#include <cairo.h>
#include <cstdint>
#include <string>

namespace art {

enum class Face { Sans, SansBold, Mono, MonoBold };

// Throws std::runtime_error unless fontconfig resolves every face to DejaVu.
void RequireFonts();
// Releases cairo's and fontconfig's caches, so a leak checker sees only real leaks.
void ReleaseFontCaches();

// Colours as 0xRRGGBB plus a separate alpha, the way cairo wants them.
struct Rgb {
    double R, G, B;
};
constexpr Rgb Hex(uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0};
}
Rgb Mix(Rgb a, Rgb b, double t);

class Canvas {
public:
    Canvas(int width, int height); // transparent
    explicit Canvas(const rtl::TPixels& pixels);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Cr() const { return FCr; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // Unpremultiplied 0xAARRGGBB. Unless keepBlack, opaque pure black is nudged to 0x010101 so
    // that a picture keeps its dark pixels even when a black colour key is switched on for it.
    rtl::TPixels Pixels(bool keepBlack = false) const;

    void SetColor(Rgb c, double alpha = 1.0) const;
    void SetFont(Face face, double pixelSize) const;

    // Text placed by its baseline; returns the advance width.
    double TextWidth(const std::string& text) const;
    void Text(double x, double baseline, const std::string& text) const;
    void TextCentered(double centerX, double baseline, const std::string& text) const;
    void TextRight(double right, double baseline, const std::string& text) const;
    // The baseline that centres capitals and digits vertically on centerY.
    double CenteredBaseline(double centerY) const;

    void RoundedRect(double x, double y, double w, double h, double r) const;
    // A soft round light: colour at the centre fading to nothing at radius.
    void Glow(double cx, double cy, double radius, Rgb c, double alpha) const;

    // The text path of a label, for outlines and gradients.
    void TextPath(double x, double baseline, const std::string& text) const;

private:
    void SetFontOptions() const;

    int FWidth;
    int FHeight;
    cairo_surface_t* FSurface;
    cairo_t* FCr;
};

// Alpha-composites src over dst at (x, y), each source pixel multiplied by tint (0xAARRGGBB,
// 0xFFFFFFFF leaves it as it is). Pixels outside dst are skipped.
void Blend(rtl::TPixels& dst, const rtl::TPixels& src, int x, int y, uint32_t tint = 0xFFFFFFFF);
// Stretches src to w x h with bilinear filtering (for contact sheets and stretched widgets).
rtl::TPixels Resize(const rtl::TPixels& src, int w, int h);
rtl::TPixels Crop(const rtl::TPixels& src, int x, int y, int w, int h);

// A 24-bit Windows bitmap, bottom-up rows padded to four bytes; alpha is dropped.
std::vector<uint8_t> EncodeBMP(const rtl::TPixels& pixels);

} // namespace art
