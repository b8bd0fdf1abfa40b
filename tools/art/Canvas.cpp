#include "tools/art/Canvas.h"

#include "tools/oil/CairoPixels.h"

#include <algorithm>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <stdexcept>

namespace art {

namespace {

struct FaceStyle {
    const char* Family;
    cairo_font_weight_t Weight;
};

FaceStyle StyleOf(Face face) {
    switch (face) {
    case Face::Sans:
        return {"DejaVu Sans", CAIRO_FONT_WEIGHT_NORMAL};
    case Face::SansBold:
        return {"DejaVu Sans", CAIRO_FONT_WEIGHT_BOLD};
    case Face::Mono:
        return {"DejaVu Sans Mono", CAIRO_FONT_WEIGHT_NORMAL};
    case Face::MonoBold:
        return {"DejaVu Sans Mono", CAIRO_FONT_WEIGHT_BOLD};
    }
    return {"DejaVu Sans", CAIRO_FONT_WEIGHT_NORMAL};
}

} // namespace

void RequireFonts() {
    for (const char* pattern : {"DejaVu Sans:bold", "DejaVu Sans", "DejaVu Sans Mono:bold"}) {
        FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
        FcConfigSubstitute(nullptr, query, FcMatchPattern);
        FcDefaultSubstitute(query);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, query, &result);
        FcChar8* family = nullptr;
        const bool found = match &&
                           FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                           std::string(reinterpret_cast<const char*>(family)) ==
                               std::string(pattern).substr(0, std::string(pattern).find(':'));
        if (match)
            FcPatternDestroy(match);
        FcPatternDestroy(query);
        if (!found)
            throw std::runtime_error(std::string("the font \"") + pattern +
                                     "\" is not installed (Debian package fonts-dejavu-core)");
    }
}

void ReleaseFontCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

Canvas::Canvas(int width, int height)
    : FWidth(width), FHeight(height),
      FSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      FCr(cairo_create(FSurface)) {
    SetFontOptions();
}

void Canvas::SetFontOptions() const {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(FCr, options);
    cairo_font_options_destroy(options);
}

Canvas::Canvas(const rtl::TPixels& pixels)
    : FWidth(pixels.Width), FHeight(pixels.Height), FSurface(oil::SurfaceFromPixels(pixels)),
      FCr(cairo_create(FSurface)) {
    SetFontOptions();
}

Canvas::~Canvas() {
    cairo_destroy(FCr);
    cairo_surface_destroy(FSurface);
}

rtl::TPixels Canvas::Pixels(bool keepBlack) const {
    return oil::PixelsFromSurface(FSurface, keepBlack);
}

void Canvas::SetColor(Rgb c, double alpha) const {
    cairo_set_source_rgba(FCr, c.R, c.G, c.B, alpha);
}

void Canvas::SetFont(Face face, double pixelSize) const {
    const FaceStyle style = StyleOf(face);
    cairo_select_font_face(FCr, style.Family, CAIRO_FONT_SLANT_NORMAL, style.Weight);
    cairo_set_font_size(FCr, pixelSize);
}

double Canvas::TextWidth(const std::string& text) const {
    cairo_text_extents_t e;
    cairo_text_extents(FCr, text.c_str(), &e);
    return e.x_advance;
}

void Canvas::TextPath(double x, double baseline, const std::string& text) const {
    cairo_move_to(FCr, x, baseline);
    cairo_text_path(FCr, text.c_str());
}

void Canvas::Text(double x, double baseline, const std::string& text) const {
    cairo_move_to(FCr, x, baseline);
    cairo_show_text(FCr, text.c_str());
}

void Canvas::TextCentered(double centerX, double baseline, const std::string& text) const {
    Text(centerX - TextWidth(text) / 2, baseline, text);
}

void Canvas::TextRight(double right, double baseline, const std::string& text) const {
    Text(right - TextWidth(text), baseline, text);
}

double Canvas::CenteredBaseline(double centerY) const {
    cairo_text_extents_t e;
    cairo_text_extents(FCr, "H", &e);
    return centerY + e.height / 2;
}

void Canvas::RoundedRect(double x, double y, double w, double h, double r) const {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(FCr);
    cairo_arc(FCr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(FCr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(FCr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(FCr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(FCr);
}

void Canvas::Glow(double cx, double cy, double radius, Rgb c, double alpha) const {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgba(p, 0, c.R, c.G, c.B, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.35, c.R, c.G, c.B, alpha * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1, c.R, c.G, c.B, 0);
    cairo_set_source(FCr, p);
    cairo_arc(FCr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill(FCr);
    cairo_pattern_destroy(p);
}

void Blend(rtl::TPixels& dst, const rtl::TPixels& src, int x, int y, uint32_t tint) {
    const uint32_t ta = tint >> 24, tr = (tint >> 16) & 255, tg = (tint >> 8) & 255,
                   tb = tint & 255;
    for (int sy = 0; sy < src.Height; ++sy) {
        const int dy = y + sy;
        if (dy < 0 || dy >= dst.Height)
            continue;
        for (int sx = 0; sx < src.Width; ++sx) {
            const int dx = x + sx;
            if (dx < 0 || dx >= dst.Width)
                continue;
            const uint32_t s = src.At(sx, sy);
            const uint32_t a = ((s >> 24) * ta + 127) / 255;
            if (a == 0)
                continue;
            uint32_t& d = dst.Argb[static_cast<size_t>(dy) * dst.Width + dx];
            const auto channel = [&](int shift, uint32_t t) {
                const uint32_t sc = (((s >> shift) & 255) * t + 127) / 255;
                const uint32_t dc = (d >> shift) & 255;
                return (sc * a + dc * (255 - a) + 127) / 255;
            };
            const uint32_t da = d >> 24;
            const uint32_t outA = a + (da * (255 - a) + 127) / 255;
            d = (outA << 24) | (channel(16, tr) << 16) | (channel(8, tg) << 8) | channel(0, tb);
        }
    }
}

rtl::TPixels Resize(const rtl::TPixels& src, int w, int h) {
    Canvas canvas(w, h);
    Canvas source(src);
    cairo_t* cr = canvas.Cr();
    cairo_scale(cr, static_cast<double>(w) / src.Width, static_cast<double>(h) / src.Height);
    cairo_set_source_surface(cr, cairo_get_target(source.Cr()), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    return canvas.Pixels();
}

rtl::TPixels Crop(const rtl::TPixels& src, int x, int y, int w, int h) {
    rtl::TPixels out;
    out.Width = w;
    out.Height = h;
    out.Argb.resize(static_cast<size_t>(w) * h);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            out.Argb[static_cast<size_t>(row) * w + col] = src.At(x + col, y + row);
    return out;
}

std::vector<uint8_t> EncodeBMP(const rtl::TPixels& pixels) {
    const uint32_t rowBytes = (static_cast<uint32_t>(pixels.Width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(pixels.Height);
    const uint32_t fileBytes = 14 + 40 + imageBytes;
    std::vector<uint8_t> out;
    out.reserve(fileBytes);
    const auto put16 = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    const auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    put32(fileBytes);
    put32(0);
    put32(14 + 40);
    put32(40); // BITMAPINFOHEADER
    put32(static_cast<uint32_t>(pixels.Width));
    put32(static_cast<uint32_t>(pixels.Height)); // positive: bottom-up rows
    put16(1);
    put16(24);
    put32(0); // BI_RGB
    put32(imageBytes);
    put32(2835); // 72 dpi
    put32(2835);
    put32(0);
    put32(0);
    for (int y = pixels.Height - 1; y >= 0; --y) {
        for (int x = 0; x < pixels.Width; ++x) {
            const uint32_t p = pixels.At(x, y);
            out.push_back(static_cast<uint8_t>(p));
            out.push_back(static_cast<uint8_t>(p >> 8));
            out.push_back(static_cast<uint8_t>(p >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(pixels.Width) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

} // namespace art
