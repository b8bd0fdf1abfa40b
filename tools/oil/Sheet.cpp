#include "tools/oil/Sheet.h"

#include "game/ThemeRoles.h"
#include "tools/oil/CairoPixels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace oil {

namespace {

constexpr int kColumns = 4;
constexpr int kCellWidth = 280, kBoxWidth = 256, kBoxHeight = 192;
constexpr int kLabelHeight = 58, kCellHeight = kBoxHeight + kLabelHeight + 16;
constexpr int kHeader = 48, kMargin = 12;

void Label(cairo_t* cr, double x, double y, const std::string& text, bool bold, double size,
           double grey) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

void Checkerboard(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int row = 0; row * 8 < h; ++row)
        for (int col = 0; col * 8 < w; ++col) {
            const double g = (row + col) % 2 ? 0.24 : 0.3;
            cairo_set_source_rgb(cr, g, g, g + 0.02);
            cairo_rectangle(cr, x + col * 8, y + row * 8, 8, 8);
            cairo_fill(cr);
        }
    cairo_restore(cr);
}

std::string KeyText(const ThemePicture& p) {
    if (!p.Transparent)
        return "no key";
    std::string ident;
    if (rtl::ColorToIdent(p.TransparentColor, ident))
        return "key " + ident;
    char hex[24];
    std::snprintf(hex, sizeof hex, "key 0x%08X", static_cast<uint32_t>(p.TransparentColor));
    return hex;
}

std::string ShortClass(const std::string& className) {
    if (className == "TPNGObject")
        return "PNG";
    if (className == "TJPEGImage")
        return "JPEG";
    if (className == "TBitmap")
        return "BMP";
    return className.empty() ? "no picture" : className;
}

} // namespace

rtl::TPixels ContactSheet(const std::vector<ThemePicture>& pictures, const std::string& title) {
    const int rows = std::max(1, (static_cast<int>(pictures.size()) + kColumns - 1) / kColumns);
    const int width = kMargin * 2 + kColumns * kCellWidth;
    const int height = kHeader + rows * kCellHeight + kMargin;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.11, 0.12, 0.14);
    cairo_paint(cr);
    char header[256];
    std::snprintf(header, sizeof header, "%s \xe2\x80\x94 %zu pictures", title.c_str(),
                  pictures.size());
    Label(cr, kMargin, 32, header, true, 20, 0.92);

    for (size_t i = 0; i < pictures.size(); ++i) {
        const ThemePicture& p = pictures[i];
        const double x = kMargin + static_cast<int>(i % kColumns) * kCellWidth;
        const double y = kHeader + static_cast<int>(i / kColumns) * kCellHeight;
        Checkerboard(cr, x, y, kBoxWidth, kBoxHeight);

        rtl::TPixels pixels;
        std::string error;
        std::string size = "undecodable";
        std::string scaleNote;
        if (rtl::DecodeImage(p.FileBytes, pixels, error)) {
            size = std::to_string(pixels.Width) + "x" + std::to_string(pixels.Height);
            double scale = std::min({1.0, static_cast<double>(kBoxWidth) / pixels.Width,
                                     static_cast<double>(kBoxHeight) / pixels.Height});
            if (pixels.Width * 2 <= kBoxWidth && pixels.Height * 2 <= kBoxHeight)
                scale = 2;
            if (scale != 1)
                scaleNote =
                    "shown at " + std::to_string(static_cast<int>(std::lround(scale * 100))) + "%";
            cairo_surface_t* picture = SurfaceFromPixels(pixels);
            const double w = pixels.Width * scale, h = pixels.Height * scale;
            cairo_save(cr);
            cairo_translate(cr, std::round(x + (kBoxWidth - w) / 2),
                            std::round(y + (kBoxHeight - h) / 2));
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, picture, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr),
                                     scale > 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_surface_destroy(picture);
        }
        Label(cr, x, y + kBoxHeight + 17, std::to_string(i) + "  " + p.Name, true, 13, 0.95);
        Label(cr, x, y + kBoxHeight + 34,
              size + " " + ShortClass(p.ClassName) + ", tile " + std::to_string(p.TileWidth) + "x" +
                  std::to_string(p.TileHeight) + ", " + KeyText(p),
              false, 11, 0.7);
        // A theme file's pictures play the game's roles in order.
        std::string note = i < kThemeRoleCount ? kThemeRoleNames[i] : "no role";
        if (!scaleNote.empty())
            note += ", " + scaleNote;
        Label(cr, x, y + kBoxHeight + 50, note, false, 11, 0.55);
    }
    cairo_destroy(cr);
    rtl::TPixels sheet = PixelsFromSurface(surface);
    cairo_surface_destroy(surface);
    return sheet;
}

} // namespace oil
