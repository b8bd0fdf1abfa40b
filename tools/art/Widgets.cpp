#include "tools/art/Widgets.h"

#include "game/ThemeRoles.h"
#include "tools/art/Canvas.h"

#include <cmath>
#include <cstring>

namespace art {

namespace {

struct PlateLook {
    Rgb Top, Bottom, Border, Text;
    double Opacity;
    double Glow;
};

const PlateLook kNormal = {Hex(0x1c2f52), Hex(0x0c1730), Hex(0x4f86b8), Hex(0xd6e6fa), 0.9, 0};
const PlateLook kOther = {Hex(0x2f6aa3), Hex(0x143e6e), Hex(0x9ae9ff), Hex(0xffffff), 0.95, 1};

double Radius(int height) {
    return std::max(3.0, height * 0.22);
}

void Plate(const Canvas& c, const PlateLook& look) {
    cairo_t* cr = c.Cr();
    const double w = c.Width(), h = c.Height(), r = Radius(c.Height());
    c.RoundedRect(0.5, 0.5, w - 1, h - 1, r);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(fill, 0, look.Top.R, look.Top.G, look.Top.B, look.Opacity);
    cairo_pattern_add_color_stop_rgba(fill, 1, look.Bottom.R, look.Bottom.G, look.Bottom.B,
                                      look.Opacity);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    if (look.Glow > 0) {
        // Light pooling along the lower edge, as if the plate were lit from inside.
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, h * 0.35, 0, h);
        cairo_pattern_add_color_stop_rgba(glow, 0, 0.45, 0.9, 1, 0);
        cairo_pattern_add_color_stop_rgba(glow, 1, 0.45, 0.9, 1, 0.35 * look.Glow);
        cairo_set_source(cr, glow);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(glow);
    }
    c.SetColor(look.Border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // A glint along the top edge.
    cairo_pattern_t* glint = cairo_pattern_create_linear(0, 0, w, 0);
    cairo_pattern_add_color_stop_rgba(glint, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(glint, 0.5, 1, 1, 1, 0.28);
    cairo_pattern_add_color_stop_rgba(glint, 1, 1, 1, 1, 0);
    cairo_set_source(cr, glint);
    cairo_move_to(cr, r, 1.5);
    cairo_line_to(cr, w - r, 1.5);
    cairo_stroke(cr);
    cairo_pattern_destroy(glint);
}

void Label(const Canvas& c, const std::string& label, Rgb color, double size) {
    c.SetFont(Face::SansBold, size);
    const double baseline = std::round(c.CenteredBaseline(c.Height() / 2.0));
    c.SetColor(Hex(0x000000), 0.55);
    c.TextCentered(c.Width() / 2.0 + 1, baseline + 1, label);
    c.SetColor(color);
    c.TextCentered(c.Width() / 2.0, baseline, label);
}

double LabelSize(int height) {
    return height <= 22 ? 12.5 : std::round(height * 0.47);
}

} // namespace

rtl::TPixels Button(int width, int height, const std::string& label, State state) {
    Canvas c(width, height);
    const PlateLook& look = state == State::Normal ? kNormal : kOther;
    Plate(c, look);
    Label(c, label, look.Text, LabelSize(height));
    return c.Pixels();
}

rtl::TPixels ButtonOn(const rtl::TPixels& backdrop, const std::string& label, State state) {
    Canvas c(backdrop);
    PlateLook look = state == State::Normal ? kNormal : kOther;
    look.Opacity = 1;
    Plate(c, look);
    Label(c, label, look.Text, LabelSize(backdrop.Height));
    return c.Pixels();
}

rtl::TPixels TickBox(int size, bool on) {
    Canvas c(size, size);
    cairo_t* cr = c.Cr();
    c.RoundedRect(1.5, 1.5, size - 3, size - 3, 4);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, size);
    const Rgb top = on ? Hex(0x1f4d5a) : Hex(0x0b1424);
    const Rgb bottom = on ? Hex(0x12303c) : Hex(0x18253c);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.R, top.G, top.B);
    cairo_pattern_add_color_stop_rgb(fill, 1, bottom.R, bottom.G, bottom.B);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    c.SetColor(on ? Hex(0x8ff0d0) : Hex(0x5f8fc0));
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    if (on) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        const double s = size / 21.0;
        const auto tick = [&] {
            cairo_move_to(cr, 5.5 * s, 10.8 * s);
            cairo_line_to(cr, 9 * s, 14.5 * s);
            cairo_line_to(cr, 15.5 * s, 6.2 * s);
        };
        tick();
        c.SetColor(Hex(0x5dffb4), 0.35);
        cairo_set_line_width(cr, 5 * s);
        cairo_stroke(cr);
        tick();
        c.SetColor(Hex(0xc8ffe6));
        cairo_set_line_width(cr, 2.4 * s);
        cairo_stroke(cr);
    }
    return c.Pixels();
}

rtl::TPixels DepthButton(int width, int height, const std::string& label, bool selected) {
    Canvas c(width, height);
    PlateLook look = selected ? kOther : kNormal;
    if (!selected) {
        look.Top = Hex(0x141d2e);
        look.Bottom = Hex(0x0b111d);
        look.Border = Hex(0x3a4d66);
        look.Text = Hex(0x8596b0);
    }
    look.Opacity = 1;
    Plate(c, look);
    Label(c, label, look.Text, 13);
    return c.Pixels();
}

rtl::TPixels EditBox(int width, int height) {
    Canvas c(width, height);
    cairo_t* cr = c.Cr();
    c.RoundedRect(0.5, 0.5, width - 1, height - 1, 3);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.80, 0.85, 0.90);
    cairo_pattern_add_color_stop_rgb(fill, 0.25, 0.93, 0.95, 0.97);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.98, 0.99, 1.0);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    c.SetColor(Hex(0x7fa6c8));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    return c.Pixels();
}

rtl::TPixels DialogPanel(int width, int height, const std::string& question) {
    Canvas c(width, height);
    cairo_t* cr = c.Cr();
    c.RoundedRect(1, 1, width - 2, height - 2, 16);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.10, 0.17, 0.31);
    cairo_pattern_add_color_stop_rgb(fill, 0.6, 0.05, 0.09, 0.18);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.05, 0.09, 0.18);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    c.SetColor(Hex(0x6fb8ec));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    c.RoundedRect(5.5, 5.5, width - 11, height - 11, 12);
    c.SetColor(Hex(0xffffff), 0.12);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // A small ringed planet as the dialog's emblem: back half of the ring, planet, front half.
    const double ex = width / 2.0, ey = 62;
    c.Glow(ex, ey, 46, Hex(0x3aa0ff), 0.35);
    const auto ringHalf = [&](bool front) {
        cairo_save(cr);
        cairo_translate(cr, ex, ey);
        cairo_rotate(cr, -0.3);
        cairo_rectangle(cr, -40, front ? 0 : -40, 80, 40);
        cairo_clip(cr);
        cairo_save(cr);
        cairo_scale(cr, 1, 0.28);
        cairo_arc(cr, 0, 0, 33, 0, 2 * M_PI);
        cairo_restore(cr);
        c.SetColor(Hex(0xbfe6ff), 0.85);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
        cairo_restore(cr);
    };
    ringHalf(false);
    cairo_pattern_t* ball = cairo_pattern_create_radial(ex - 7, ey - 7, 2, ex, ey, 20);
    cairo_pattern_add_color_stop_rgb(ball, 0, 0.75, 0.9, 1);
    cairo_pattern_add_color_stop_rgb(ball, 0.6, 0.25, 0.5, 0.85);
    cairo_pattern_add_color_stop_rgb(ball, 1, 0.08, 0.16, 0.35);
    cairo_set_source(cr, ball);
    cairo_arc(cr, ex, ey, 19, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(ball);
    ringHalf(true);

    c.SetFont(Face::SansBold, 30);
    c.SetColor(Hex(0x000000), 0.5);
    c.TextCentered(width / 2.0 + 2, 152, question);
    c.SetColor(Hex(0xf2f8ff));
    c.TextCentered(width / 2.0, 150, question);
    return c.Pixels();
}

rtl::TPixels FontSheet(int cellWidth, int cellHeight, int baseline, int columns, int rows) {
    Canvas c(cellWidth * columns, cellHeight * rows);
    cairo_t* cr = c.Cr();
    c.SetFont(Face::MonoBold, 16.5);
    c.SetColor(Hex(0xffffff));
    const size_t count = std::strlen(kFontCharacters);
    for (size_t i = 0; i < count; ++i) {
        const int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
        const char text[2] = {kFontCharacters[i], 0};
        cairo_save(cr);
        // Glyphs stay inside their own cell: a filtered texture must not pick up a neighbour.
        cairo_rectangle(cr, col * cellWidth, row * cellHeight, cellWidth, cellHeight);
        cairo_clip(cr);
        cairo_text_extents_t e;
        cairo_text_extents(cr, text, &e);
        const double x = col * cellWidth + (cellWidth - e.x_advance) / 2;
        c.Text(std::round(x), row * cellHeight + baseline, text);
        cairo_restore(cr);
    }
    // White everywhere, so the font's colour alone decides how the text looks.
    rtl::TPixels pixels = c.Pixels();
    for (uint32_t& p : pixels.Argb)
        p = (p & 0xFF000000u) ? (p | 0x00FFFFFFu) : 0;
    return pixels;
}

} // namespace art
