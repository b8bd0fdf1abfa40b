#include "tools/art/Sprites.h"

#include "tools/art/Canvas.h"
#include "tools/art/Noise.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace art {

namespace {

void LinearFill(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb a, Rgb b,
                double alpha = 1.0) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, a.R, a.G, a.B, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, b.R, b.G, b.B, alpha);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

// A soft shadow under a rounded shape: a few widening, fading copies.
void Shadow(const Canvas& c, double x, double y, double w, double h, double r, double alpha) {
    cairo_t* cr = c.Cr();
    for (int i = 4; i >= 0; --i) {
        c.RoundedRect(x - i, y - i, w + 2 * i, h + 2 * i, r + i);
        c.SetColor(Hex(0x000000), alpha / 5);
        cairo_fill(cr);
    }
}

void Rivet(const Canvas& c, double x, double y, double r) {
    cairo_t* cr = c.Cr();
    cairo_pattern_t* p = cairo_pattern_create_radial(x - r * 0.4, y - r * 0.4, 0, x, y, r);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.92, 0.95, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.55, 0.6, 0.68);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.16, 0.19, 0.24);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

} // namespace

rtl::TPixels Wall(int size) {
    // Brushed steel: every row its own shade, with a ripple that repeats across the tile so
    // neighbouring plates meet cleanly.
    rtl::TPixels base;
    base.Width = base.Height = size;
    base.Argb.resize(static_cast<size_t>(size) * size);
    Random random(2024);
    std::vector<double> rows(size);
    for (double& r : rows)
        r = random.Range(-1, 1);
    for (int y = 0; y < size; ++y) {
        const double row =
            0.5 * rows[y] + 0.25 * (rows[(y + 1) % size] + rows[(y + size - 1) % size]);
        const double phase = rows[(y * 7) % size] * 3;
        for (int x = 0; x < size; ++x) {
            const double light = 0.06 * (1 - (x + y) / (2.0 * size));
            const double v =
                0.31 + 0.025 * row + 0.012 * std::sin(2 * M_PI * x / size * 3 + phase) + light;
            const auto byte = [](double f) {
                return static_cast<uint32_t>(std::clamp(f, 0.0, 1.0) * 255 + 0.5);
            };
            base.Argb[static_cast<size_t>(y) * size + x] =
                0xFF000000u | byte(v * 0.93) << 16 | byte(v * 0.99) << 8 | byte(v * 1.12);
        }
    }
    Canvas c(base);
    cairo_t* cr = c.Cr();
    const double s = size;
    // Bevel: lit from the top left.
    const double b = 3;
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, s, 0);
    cairo_line_to(cr, s - b, b);
    cairo_line_to(cr, b, b);
    cairo_line_to(cr, b, s - b);
    cairo_line_to(cr, 0, s);
    cairo_close_path(cr);
    c.SetColor(Hex(0xc8d4e4), 0.38);
    cairo_fill(cr);
    cairo_move_to(cr, s, s);
    cairo_line_to(cr, 0, s);
    cairo_line_to(cr, b, s - b);
    cairo_line_to(cr, s - b, s - b);
    cairo_line_to(cr, s - b, b);
    cairo_line_to(cr, s, 0);
    cairo_close_path(cr);
    c.SetColor(Hex(0x05070c), 0.55);
    cairo_fill(cr);
    // Recessed centre panel: dark groove above and left, light lip below and right.
    const double p0 = 12.5, p1 = s - 12.5;
    cairo_rectangle(cr, p0, p0, p1 - p0, p1 - p0);
    c.SetColor(Hex(0x0c1018), 0.18);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    c.SetColor(Hex(0x05070c), 0.7);
    cairo_move_to(cr, p0, p1);
    cairo_line_to(cr, p0, p0);
    cairo_line_to(cr, p1, p0);
    cairo_stroke(cr);
    c.SetColor(Hex(0xdde6f2), 0.35);
    cairo_move_to(cr, p1 + 1, p0 + 1);
    cairo_line_to(cr, p1 + 1, p1 + 1);
    cairo_line_to(cr, p0 + 1, p1 + 1);
    cairo_stroke(cr);
    // Tread plate on the panel: raised bars, alternately leaning left and right.
    cairo_save(cr);
    cairo_rectangle(cr, p0 + 1, p0 + 1, p1 - p0 - 1, p1 - p0 - 1);
    cairo_clip(cr);
    const double pitch = (p1 - p0) / 5;
    for (int row = -1; row <= 5; ++row)
        for (int col = -1; col <= 5; ++col) {
            const double cx = p0 + (col + 0.5) * pitch, cy = p0 + (row + 0.5) * pitch;
            const double angle = ((row + col) % 2 == 0 ? 1 : -1) * M_PI / 4;
            for (const auto& [offset, color, alpha] : {std::tuple{0.8, Hex(0x05070c), 0.55},
                                                       {-0.5, Hex(0xe8f0fa), 0.35},
                                                       {0.0, Hex(0x56647a), 1.0}}) {
                cairo_save(cr);
                cairo_translate(cr, cx + offset, cy + offset);
                cairo_rotate(cr, angle);
                c.RoundedRect(-pitch * 0.34, -1.1, pitch * 0.68, 2.2, 1.1);
                cairo_restore(cr);
                c.SetColor(color, alpha);
                cairo_fill(cr);
            }
        }
    cairo_restore(cr);
    for (const double x : {7.0, s - 7})
        for (const double y : {7.0, s - 7})
            Rivet(c, x, y, 2.3);
    return c.Pixels();
}

rtl::TPixels Pusher(int size) {
    Canvas c(size, size);
    cairo_t* cr = c.Cr();
    cairo_scale(cr, size / 64.0, size / 64.0);
    // Drawn on a 64 grid and enlarged a little about the middle to fill the cell.
    cairo_translate(cr, 32, 32);
    cairo_scale(cr, 1.12, 1.12);
    cairo_translate(cr, -32, -32);
    // Engine glow behind.
    c.Glow(9, 32, 9, Hex(0xff9a3c), 0.8);
    Shadow(c, 13, 11, 40, 46, 8, 0.45);
    // Tracks.
    for (const double y : {9.0, 45.0}) {
        c.RoundedRect(11, y, 42, 10, 4);
        LinearFill(cr, 0, y, 0, y + 10, Hex(0x3a414c), Hex(0x1b1f26));
        c.SetColor(Hex(0x0b0d11));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (double x = 14; x < 51; x += 4) {
            cairo_move_to(cr, x + 0.5, y + 1.5);
            cairo_line_to(cr, x + 0.5, y + 8.5);
        }
        c.SetColor(Hex(0x8a95a6), 0.55);
        cairo_stroke(cr);
    }
    // Hull.
    c.RoundedRect(13, 15, 38, 34, 9);
    LinearFill(cr, 13, 15, 40, 49, Hex(0xf3f6fa), Hex(0x8f9cac));
    c.SetColor(Hex(0x27303c));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Orange engine block at the back.
    c.RoundedRect(14.5, 20, 8, 24, 3);
    LinearFill(cr, 14, 20, 22, 44, Hex(0xffb35c), Hex(0xc4611c));
    c.SetColor(Hex(0x5a2a0c), 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    for (const double y : {26.0, 32.0, 38.0}) {
        cairo_move_to(cr, 16, y);
        cairo_line_to(cr, 21, y);
    }
    c.SetColor(Hex(0x5a2a0c), 0.7);
    cairo_stroke(cr);
    // Glass dome of the cockpit, towards the front.
    cairo_pattern_t* dome = cairo_pattern_create_radial(37, 28, 1, 39, 32, 11);
    cairo_pattern_add_color_stop_rgb(dome, 0, 0.9, 1, 1);
    cairo_pattern_add_color_stop_rgb(dome, 0.35, 0.35, 0.85, 1);
    cairo_pattern_add_color_stop_rgb(dome, 1, 0.04, 0.24, 0.4);
    cairo_set_source(cr, dome);
    cairo_arc(cr, 38, 32, 10, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(dome);
    c.SetColor(Hex(0x1b2530));
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
    // Lamps on the nose.
    for (const double y : {23.0, 41.0}) {
        c.Glow(51, y, 7, Hex(0xd8fbff), 0.8);
        c.SetColor(Hex(0xffffff));
        cairo_arc(cr, 49.5, y, 1.6, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    return c.Pixels();
}

rtl::TPixels Zone(int size) {
    Canvas c(size, size);
    cairo_t* cr = c.Cr();
    cairo_scale(cr, size / 64.0, size / 64.0);
    const Rgb glow = Hex(0x3fe6ff);
    // A lit square frame just inside the cell, softened by wider faint copies.
    for (int i = 4; i >= 1; --i) {
        c.RoundedRect(3.5, 3.5, 57, 57, 7);
        c.SetColor(glow, 0.16);
        cairo_set_line_width(cr, i * 2.0);
        cairo_stroke(cr);
    }
    c.RoundedRect(3.5, 3.5, 57, 57, 7);
    c.SetColor(Hex(0xa8f6ff), 0.9);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The pad: a faint wash over the whole square, brightest in the middle.
    c.RoundedRect(4, 4, 56, 56, 6);
    c.SetColor(glow, 0.13);
    cairo_fill(cr);
    cairo_pattern_t* pad = cairo_pattern_create_radial(32, 32, 0, 32, 32, 26);
    cairo_pattern_add_color_stop_rgba(pad, 0, glow.R, glow.G, glow.B, 0.8);
    cairo_pattern_add_color_stop_rgba(pad, 0.5, glow.R, glow.G, glow.B, 0.3);
    cairo_pattern_add_color_stop_rgba(pad, 1, glow.R, glow.G, glow.B, 0);
    cairo_set_source(cr, pad);
    cairo_arc(cr, 32, 32, 26, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(pad);
    cairo_set_line_width(cr, 1.5);
    c.SetColor(Hex(0xd6fbff), 0.85);
    cairo_arc(cr, 32, 32, 15, 0, 2 * M_PI);
    cairo_stroke(cr);
    c.SetColor(Hex(0xd6fbff), 0.6);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4 + M_PI / 8;
        cairo_arc(cr, 32, 32, 8, a - 0.25, a + 0.25);
        cairo_stroke(cr);
    }
    c.SetColor(Hex(0xffffff));
    cairo_arc(cr, 32, 32, 2.2, 0, 2 * M_PI);
    cairo_fill(cr);
    // Corner brackets, which stay visible around a crate standing on the zone.
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    c.SetColor(Hex(0xe6fdff));
    for (const auto& [x, y, dx, dy] : {std::tuple{2.5, 2.5, 1, 1},
                                       {61.5, 2.5, -1, 1},
                                       {2.5, 61.5, 1, -1},
                                       {61.5, 61.5, -1, -1}}) {
        cairo_move_to(cr, x, y + dy * 9);
        cairo_line_to(cr, x, y);
        cairo_line_to(cr, x + dx * 9, y);
        cairo_stroke(cr);
    }
    return c.Pixels();
}

rtl::TPixels Crate(int size) {
    Canvas c(size, size);
    cairo_t* cr = c.Cr();
    cairo_scale(cr, size / 64.0, size / 64.0);
    const double x0 = 8, y0 = 8, w = 48, r = 4;
    Shadow(c, x0 + 2, y0 + 3, w, w, r, 0.5);
    c.RoundedRect(x0, y0, w, w, r);
    LinearFill(cr, x0, y0, x0 + w, y0 + w, Hex(0xf2a444), Hex(0xa9541a));
    c.SetColor(Hex(0x4a230a));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Inner panel, a step lower than the frame.
    const double f = 6;
    cairo_rectangle(cr, x0 + f, y0 + f, w - 2 * f, w - 2 * f);
    LinearFill(cr, x0, y0, x0 + w, y0 + w, Hex(0xc9782a), Hex(0x8e4414));
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    c.SetColor(Hex(0x3a1a06), 0.8);
    cairo_move_to(cr, x0 + f, y0 + w - f);
    cairo_line_to(cr, x0 + f, y0 + f);
    cairo_line_to(cr, x0 + w - f, y0 + f);
    cairo_stroke(cr);
    c.SetColor(Hex(0xffd9a0), 0.55);
    cairo_move_to(cr, x0 + w - f, y0 + f);
    cairo_line_to(cr, x0 + w - f, y0 + w - f);
    cairo_line_to(cr, x0 + f, y0 + w - f);
    cairo_stroke(cr);
    // Cross braces.
    cairo_save(cr);
    cairo_rectangle(cr, x0 + f, y0 + f, w - 2 * f, w - 2 * f);
    cairo_clip(cr);
    for (const int dir : {1, -1}) {
        cairo_move_to(cr, dir > 0 ? x0 + f : x0 + w - f, y0 + f);
        cairo_line_to(cr, dir > 0 ? x0 + w - f : x0 + f, y0 + w - f);
        c.SetColor(Hex(0x3a1a06), 0.55);
        cairo_set_line_width(cr, 7.5);
        cairo_stroke_preserve(cr);
        c.SetColor(Hex(0xe7953a));
        cairo_set_line_width(cr, 5.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    // Steel caps on the corners, and a lamp where the braces cross.
    for (const double cx : {x0 + 3.5, x0 + w - 3.5})
        for (const double cy : {y0 + 3.5, y0 + w - 3.5}) {
            c.RoundedRect(cx - 4, cy - 4, 8, 8, 2);
            LinearFill(cr, cx - 4, cy - 4, cx + 4, cy + 4, Hex(0xe4e9ef), Hex(0x6d7886));
            c.SetColor(Hex(0x2a2f36));
            cairo_set_line_width(cr, 0.8);
            cairo_stroke(cr);
        }
    c.SetColor(Hex(0x3a1a06));
    cairo_arc(cr, 32, 32, 5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_t* lamp = cairo_pattern_create_radial(31, 31, 0.5, 32, 32, 4);
    cairo_pattern_add_color_stop_rgb(lamp, 0, 1, 1, 0.85);
    cairo_pattern_add_color_stop_rgb(lamp, 1, 0.95, 0.65, 0.15);
    cairo_set_source(cr, lamp);
    cairo_arc(cr, 32, 32, 3.6, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(lamp);
    return c.Pixels();
}

rtl::TPixels Light(int size) {
    Canvas c(size, size);
    cairo_t* cr = c.Cr();
    c.SetColor(Hex(0x000000));
    cairo_paint(cr);
    const double m = size / 2.0;
    cairo_pattern_t* p = cairo_pattern_create_radial(m, m, 0, m, m, m);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.15, 0.75, 0.95, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.12, 0.35, 0.55);
    cairo_pattern_add_color_stop_rgb(p, 1, 0, 0, 0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    return c.Pixels(true);
}

Pointer MousePointer() {
    Canvas c(32, 32);
    cairo_t* cr = c.Cr();
    const auto arrow = [&](double dx, double dy) {
        cairo_move_to(cr, 1.5 + dx, 1.5 + dy);
        cairo_line_to(cr, 1.5 + dx, 22 + dy);
        cairo_line_to(cr, 6.5 + dx, 17.5 + dy);
        cairo_line_to(cr, 10.5 + dx, 26 + dy);
        cairo_line_to(cr, 14 + dx, 24.5 + dy);
        cairo_line_to(cr, 10 + dx, 16.5 + dy);
        cairo_line_to(cr, 16.5 + dx, 16 + dy);
        cairo_close_path(cr);
    };
    arrow(1.5, 2);
    c.SetColor(Hex(0x000000), 0.35);
    cairo_fill(cr);
    arrow(0, 0);
    LinearFill(cr, 0, 0, 12, 24, Hex(0xffffff), Hex(0xa9ddf5));
    c.SetColor(Hex(0x0b1a33));
    cairo_set_line_width(cr, 1.3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    return {c.Pixels(), 1, 1};
}

} // namespace art
