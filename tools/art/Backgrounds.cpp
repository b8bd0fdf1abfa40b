#include "tools/art/Backgrounds.h"

#include "game/ScreenLayout.h"
#include "tools/art/Canvas.h"
#include "tools/art/SpaceScene.h"

#include <algorithm>
#include <cmath>

namespace art {

using namespace layout;

namespace {

const Rgb kLabel = Hex(0xd6e6fa);
const Rgb kQuiet = Hex(0x9fb3cc);
const Rgb kAccent = Hex(0x7fd4ff);

// Letters one by one, so the name can be spaced out like a logo.
void TitlePath(const Canvas& c, double centerX, double baseline, const std::string& text,
               double tracking) {
    double width = 0;
    for (const char ch : text)
        width += c.TextWidth(std::string(1, ch)) + tracking;
    width -= tracking;
    double x = centerX - width / 2;
    for (const char ch : text) {
        const std::string letter(1, ch);
        c.TextPath(x, baseline, letter);
        x += c.TextWidth(letter) + tracking;
    }
}

void Title(const Canvas& c, double centerX, double baseline, double size, const std::string& text) {
    cairo_t* cr = c.Cr();
    c.SetFont(Face::SansBold, size);
    const double tracking = size * 0.12;
    for (const double width : {size * 0.28, size * 0.18, size * 0.1}) {
        TitlePath(c, centerX, baseline, text, tracking);
        c.SetColor(Hex(0x49b6ff), 0.09);
        cairo_set_line_width(cr, width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
    }
    TitlePath(c, centerX, baseline, text, tracking);
    const double top = baseline - size * 0.73;
    cairo_pattern_t* chrome = cairo_pattern_create_linear(0, top, 0, baseline);
    cairo_pattern_add_color_stop_rgb(chrome, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(chrome, 0.45, 0.8, 0.91, 1);
    cairo_pattern_add_color_stop_rgb(chrome, 0.52, 0.45, 0.62, 0.85);
    cairo_pattern_add_color_stop_rgb(chrome, 1, 0.75, 0.88, 1);
    cairo_set_source(cr, chrome);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(chrome);
    c.SetColor(Hex(0x0a1430), 0.9);
    cairo_set_line_width(cr, std::max(1.0, size / 60));
    cairo_stroke(cr);
}

void Panel(const Canvas& c, double x, double y, double w, double h, double alpha = 0.5) {
    cairo_t* cr = c.Cr();
    c.RoundedRect(x + 0.5, y + 0.5, w - 1, h - 1, 10);
    c.SetColor(Hex(0x050a18), alpha);
    cairo_fill_preserve(cr);
    c.SetColor(Hex(0x6fb8ec), 0.3);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Shadowed(const Canvas& c, double x, double baseline, const std::string& text, Rgb color,
              int align) {
    const double left = align == 0  ? x
                        : align > 0 ? x - c.TextWidth(text)
                                    : x - c.TextWidth(text) / 2;
    c.SetColor(Hex(0x000000), 0.6);
    c.Text(left + 1, baseline + 1, text);
    c.SetColor(color);
    c.Text(left, baseline, text);
}

SkyStyle MenuSky() {
    SkyStyle s;
    s.Clouds = {{760, 250, 430, 270, Hex(0xf07ad8), Hex(0x4a1f7a), 0.6, 11},
                {230, 470, 520, 300, Hex(0x6fc0ff), Hex(0x1b2f7a), 0.55, 12},
                {620, 690, 300, 140, Hex(0x5ff0d8), Hex(0x124a5a), 0.35, 13}};
    s.StarSeed = 21;
    return s;
}

} // namespace

rtl::TPixels MenuScreen() {
    LightImage sky = Sky(kScreenWidth, kScreenHeight, MenuSky());
    PlanetStyle giant{150, 650, 165, Hex(0xf3d6a6), Hex(0xc98a50), Hex(0x5a2f1a), Hex(0xffc890)};
    giant.LightX = 0.7;
    giant.LightY = -0.6;
    giant.RingInner = 1.35;
    giant.RingOuter = 2.05;
    giant.Seed = 31;
    Planet(sky, giant);
    PlanetStyle moon{905, 350, 26, Hex(0xd8dde6), Hex(0x8d96a6), Hex(0x3a404c), Hex(0xaac8ff)};
    moon.LightX = -0.8;
    moon.Bands = 2.5;
    moon.Seed = 32;
    Planet(sky, moon);
    Canvas c(sky.ToPixels());

    Title(c, kScreenWidth / 2.0, 205, 100, "KOSMORRA");
    c.SetFont(Face::Sans, 20);
    Shadowed(c, kScreenWidth / 2.0, 250, "a box-pushing puzzle among the stars", kQuiet, -1);

    const Point first = kMenuButtonPlaces[0], last = kMenuButtonPlaces[4];
    Panel(c, first.X - 26, first.Y - 24, kMenuButtonWidth + 52,
          last.Y + kMenuButtonHeight - first.Y + 48, 0.45);

    c.SetFont(Face::Sans, 14);
    Shadowed(c, kScreenWidth / 2.0, 742,
             "Arrow keys move the rover  \xc2\xb7  U undoes a step  \xc2\xb7  Esc leaves", kQuiet,
             -1);
    return c.Pixels();
}

rtl::TPixels LevelScreen() {
    SkyStyle style;
    style.Clouds = {{870, 200, 380, 260, Hex(0x7ab8ff), Hex(0x1d2a6e), 0.5, 41},
                    {700, 660, 420, 200, Hex(0xc77aff), Hex(0x2a1650), 0.35, 42}};
    style.StarSeed = 43;
    LightImage sky = Sky(kScreenWidth, kScreenHeight, style);
    PlanetStyle ice{930, 430, 200, Hex(0xd4ecff), Hex(0x6aa2d8), Hex(0x1d3f73), Hex(0x9fd8ff)};
    ice.LightX = -0.8;
    ice.LightY = -0.35;
    ice.Bands = 9;
    ice.Seed = 44;
    Planet(sky, ice);
    Canvas c(sky.ToPixels());
    cairo_t* cr = c.Cr();

    c.SetFont(Face::SansBold, 34);
    Shadowed(c, 40, 58, "Select a level", kLabel, 0);

    const int listTop = kFirstRowTop - 7;
    const int listHeight = kRowPitch * kLevelsPerColumn + 12;
    for (int column = 0; column < 2; ++column) {
        const int status = kStatusLeft[column];
        const int left = status - 105, right = status + 150;
        Panel(c, left, listTop, right - left, listHeight, 0.6);
        for (int n = 1; n <= kLevelsPerColumn; ++n) {
            const int top = kFirstRowTop + kRowPitch * (n - 1);
            if (n % 2 == 0) {
                cairo_rectangle(c.Cr(), left + 6, top - 1, right - left - 12, kRowPitch);
                c.SetColor(Hex(0x8fc8ff), 0.06);
                cairo_fill(cr);
            }
            const int level = n + column * kLevelsPerColumn;
            c.SetFont(Face::SansBold, 14);
            Shadowed(c, status - 10, top + kFontBaseline, "Level " + std::to_string(level),
                     Hex(0x9fc4ee), 1);
        }
    }

    Panel(c, 40, 703, 944, 60, 0.55);
    c.SetFont(Face::SansBold, 14);
    Shadowed(c, kLevelEdit.X + 2, kLevelEdit.Y - 6, "Level", kLabel, 0);
    c.SetFont(Face::Sans, 14);
    Shadowed(c, 564, 745, "Type a level number from 1 to 50, then press Load.", kQuiet, 0);
    return c.Pixels();
}

rtl::TPixels OptionsScreen() {
    SkyStyle style;
    style.Clouds = {{700, 260, 460, 300, Hex(0x64f0c8), Hex(0x123e5a), 0.5, 51},
                    {420, 640, 420, 220, Hex(0x7a9cff), Hex(0x1b1f66), 0.4, 52}};
    style.StarSeed = 53;
    LightImage sky = Sky(kScreenWidth, kScreenHeight, style);
    PlanetStyle rock{870, 600, 175, Hex(0xffb996), Hex(0xc0583a), Hex(0x4a1a14), Hex(0xff9a7a)};
    rock.LightX = -0.75;
    rock.LightY = -0.6;
    rock.Bands = 4;
    rock.Seed = 54;
    Planet(sky, rock);
    Canvas c(sky.ToPixels());

    c.SetFont(Face::SansBold, 40);
    Shadowed(c, 40, 90, "Options", kLabel, 0);

    Panel(c, 40, 140, 420, 310, 0.55);
    c.SetFont(Face::SansBold, 16);
    const auto rowLabel = [&](Point box, const std::string& text) {
        Shadowed(c, box.X - 14, c.CenteredBaseline(box.Y + kTickSize / 2.0), text, kLabel, 1);
    };
    rowLabel(kAntialiasBox, "Antialiasing");
    rowLabel(kMusicBox, "Music");
    rowLabel(kFullScreenBox, "Full screen");
    Shadowed(c, kDepth32.X, kDepth32.Y - 10, "Colour depth", kLabel, 0);

    c.SetFont(Face::Sans, 14);
    const double notes = 392;
    Shadowed(c, 64, notes, "Changes take effect at once.", kQuiet, 0);
    Shadowed(c, 64, notes + 20, "OK also keeps them for the next start;", kQuiet, 0);
    Shadowed(c, 64, notes + 40, "Back keeps them only until you quit.", kQuiet, 0);
    return c.Pixels();
}

const std::vector<std::string>& CreditLines() {
    static const std::vector<std::string> lines = {
        "#Built on",
        "SDL 2 \xe2\x80\x94 windows, input and sound (zlib licence)",
        "libepoxy \xe2\x80\x94 OpenGL (MIT licence)",
        "libpng and zlib \xe2\x80\x94 PNG pictures (libpng and zlib licences)",
        "libjpeg-turbo \xe2\x80\x94 JPEG pictures (IJG and BSD licences)",
        "FreeType and Fontconfig \xe2\x80\x94 text (FreeType and MIT licences)",
        "libsndfile with mpg123 \xe2\x80\x94 music (LGPL 2.1)",
        "cairo \xe2\x80\x94 drew the pictures (LGPL 2.1 or MPL 1.1)",
        "#Fonts",
        "DejaVu Sans and DejaVu Sans Mono \xe2\x80\x94 DejaVu fonts licence",
        "(Bitstream Vera licence; the DejaVu changes are in the public domain)",
        "#Made by programs",
        "The levels, the pictures and the music are made",
        "by programs in the game's own source tree.",
    };
    return lines;
}

rtl::TPixels CreditsScreen() {
    SkyStyle style;
    style.Clouds = {{512, 420, 620, 330, Hex(0xb48cff), Hex(0x221a5e), 0.45, 61},
                    {150, 150, 300, 200, Hex(0x6fd8ff), Hex(0x16306a), 0.35, 62}};
    style.StarSeed = 63;
    LightImage sky = Sky(kScreenWidth, kScreenHeight, style);
    PlanetStyle small{105, 680, 50, Hex(0xb8f0d8), Hex(0x4aa090), Hex(0x123a3a), Hex(0x9ff0e0)};
    small.LightX = 0.7;
    small.LightY = -0.7;
    small.Seed = 64;
    small.RingInner = 1.4;
    small.RingOuter = 1.9;
    small.Ring = Hex(0xa0d8d0);
    Planet(sky, small);
    Canvas c(sky.ToPixels());

    Title(c, kScreenWidth / 2.0, 150, 84, "KOSMORRA");
    c.SetFont(Face::Sans, 18);
    Shadowed(c, kScreenWidth / 2.0, 192, "a box-pushing puzzle among the stars", kQuiet, -1);

    Panel(c, 142, 226, 740, 420, 0.55);
    double baseline = 266;
    for (const std::string& line : CreditLines()) {
        if (line[0] == '#') {
            if (baseline > 270)
                baseline += 14;
            c.SetFont(Face::SansBold, 18);
            Shadowed(c, kScreenWidth / 2.0, baseline, line.substr(1), kAccent, -1);
        } else {
            c.SetFont(Face::Sans, 15);
            Shadowed(c, kScreenWidth / 2.0, baseline, line, kLabel, -1);
        }
        baseline += 25;
    }
    c.SetFont(Face::Sans, 14);
    Shadowed(c, kScreenWidth / 2.0, 730, "Press Esc to return to the menu", kQuiet, -1);
    return c.Pixels();
}

rtl::TPixels GameScreen() {
    SkyStyle style;
    style.Top = Hex(0x060818);
    style.Bottom = Hex(0x020308);
    style.Clouds = {{300, 250, 600, 360, Hex(0x5a7ad8), Hex(0x141a4a), 0.22, 71},
                    {820, 600, 420, 260, Hex(0x8a5ac8), Hex(0x1e1240), 0.18, 72}};
    style.Dust = 0.3;
    style.Stars = 1100;
    style.BrightStars = 5;
    style.StarSeed = 73;
    return Sky(kScreenWidth, kScreenHeight, style).ToPixels();
}

rtl::TPixels PlainScreen(const std::string& title, const std::vector<std::string>& lines,
                         uint64_t seed) {
    SkyStyle style;
    style.Stars = 500;
    style.BrightStars = 6;
    style.StarSeed = seed;
    Canvas c(Sky(kScreenWidth, kScreenHeight, style).ToPixels(false));
    Title(c, kScreenWidth / 2.0, 200, 90, title);
    double baseline = 300;
    for (const std::string& line : lines) {
        const bool heading = !line.empty() && line[0] == '#';
        c.SetFont(heading ? Face::SansBold : Face::Sans, heading ? 18 : 15);
        c.SetColor(heading ? kAccent : kLabel);
        c.TextCentered(kScreenWidth / 2.0, baseline, heading ? line.substr(1) : line);
        baseline += 25;
    }
    return c.Pixels();
}

rtl::TPixels Logo(int width, int height) {
    Canvas c(width, height);
    // Sized so the name and its glow fit: measure at 100 pixels and scale.
    c.SetFont(Face::SansBold, 100);
    const double wide = c.TextWidth("KOSMORRA") + 7 * 12 + 28;
    const double size = std::min(height * 0.55, 100 * width / wide);
    Title(c, width / 2.0, height / 2.0 + size * 0.36, size, "KOSMORRA");
    return c.Pixels();
}

} // namespace art
