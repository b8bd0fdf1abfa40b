// Procedural space backdrops: a deep-blue sky with coloured nebula clouds and dark dust lanes,
// scattered stars with a few bright ones, and lit planets. Everything works in a floating-point
// light buffer so overlapping glows add up like light and are tone-mapped once at the end.
#pragma once

#include "platform/rtl/Pictures.h"
#include "tools/art/Canvas.h"

#include <cstdint>
#include <vector>

namespace art {

class LightImage {
public:
    LightImage(int width, int height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void Add(int x, int y, Rgb c, double amount);
    Rgb Get(int x, int y) const;
    void Set(int x, int y, Rgb c);
    // Soft clip so bright cores saturate gently instead of banding. Dithering hides the steps
    // of dark gradients but costs PNG compression, so flat pictures go without.
    rtl::TPixels ToPixels(bool dither = true) const;

private:
    int FWidth, FHeight;
    std::vector<float> FData;
};

struct NebulaCloud {
    double CenterX, CenterY; // in pixels
    double RadiusX, RadiusY; // extent of the cloud's envelope
    Rgb Inner, Outer;        // colour of the dense core and of the thin edges
    double Strength;
    uint64_t Seed;
};

struct SkyStyle {
    Rgb Top = Hex(0x070a1c);
    Rgb Bottom = Hex(0x03040c);
    std::vector<NebulaCloud> Clouds;
    double Dust = 0.5; // how much the dark lanes eat into the clouds, 0 .. 1
    int Stars = 1400;
    int BrightStars = 14;
    uint64_t StarSeed = 1;
};

// The whole sky at the given size.
LightImage Sky(int width, int height, const SkyStyle& style);

struct PlanetStyle {
    double CenterX, CenterY, Radius;
    Rgb Light, Mid, Dark; // band colours
    Rgb Atmosphere;
    double LightX = -0.6, LightY = -0.45; // direction towards the sun, in screen terms
    double Bands = 7;                     // how many stripes from pole to pole
    uint64_t Seed = 7;
    // A ring seen from slightly above: inner and outer radius in planet radii (0: no ring),
    // and the ratio of its short to its long axis.
    double RingInner = 0, RingOuter = 0, RingTilt = 0.22;
    Rgb Ring = Hex(0xc8b8a0);
};
void Planet(LightImage& image, const PlanetStyle& style);

} // namespace art
