#include "tools/art/SpaceScene.h"

#include "tools/art/Noise.h"

#include <algorithm>
#include <cmath>

namespace art {

LightImage::LightImage(int width, int height)
    : FWidth(width), FHeight(height), FData(static_cast<size_t>(width) * height * 3, 0.0f) {}

void LightImage::Add(int x, int y, Rgb c, double amount) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    float* p = &FData[(static_cast<size_t>(y) * FWidth + x) * 3];
    p[0] += static_cast<float>(c.R * amount);
    p[1] += static_cast<float>(c.G * amount);
    p[2] += static_cast<float>(c.B * amount);
}

Rgb LightImage::Get(int x, int y) const {
    const float* p = &FData[(static_cast<size_t>(y) * FWidth + x) * 3];
    return {p[0], p[1], p[2]};
}

void LightImage::Set(int x, int y, Rgb c) {
    float* p = &FData[(static_cast<size_t>(y) * FWidth + x) * 3];
    p[0] = static_cast<float>(c.R);
    p[1] = static_cast<float>(c.G);
    p[2] = static_cast<float>(c.B);
}

rtl::TPixels LightImage::ToPixels(bool dither) const {
    rtl::TPixels out;
    out.Width = FWidth;
    out.Height = FHeight;
    out.Argb.resize(static_cast<size_t>(FWidth) * FHeight);
    Random noise(99);
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const float* p = &FData[(static_cast<size_t>(y) * FWidth + x) * 3];
            // Half a step of noise hides the banding of the dark gradients.
            const double jitter = dither ? noise.Uniform() - 0.5 : 0.0;
            uint32_t argb = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                double v = std::max(0.0, static_cast<double>(p[c]));
                if (v > 0.8)
                    v = 0.8 + 0.2 * (1 - std::exp(-(v - 0.8) / 0.2));
                const int byte = std::clamp(static_cast<int>(v * 255 + 0.5 + jitter), 0, 255);
                argb |= static_cast<uint32_t>(byte) << (16 - 8 * c);
            }
            if (argb == 0xFF000000u)
                argb = 0xFF010101u;
            out.Argb[static_cast<size_t>(y) * FWidth + x] = argb;
        }
    }
    return out;
}

namespace {

// The clouds vary slowly, so they are worked out on a half-size grid and interpolated.
void AddNebula(LightImage& image, const SkyStyle& style) {
    const int hw = image.Width() / 2 + 2, hh = image.Height() / 2 + 2;
    std::vector<Rgb> half(static_cast<size_t>(hw) * hh, Rgb{0, 0, 0});
    const Noise dust(style.StarSeed * 31 + 5);
    for (const NebulaCloud& cloud : style.Clouds) {
        const Noise shape(cloud.Seed), warp(cloud.Seed + 1000), tint(cloud.Seed + 2000);
        for (int py = 0; py < hh; ++py) {
            for (int px = 0; px < hw; ++px) {
                const double x = px * 2.0, y = py * 2.0;
                const double ex = (x - cloud.CenterX) / cloud.RadiusX;
                const double ey = (y - cloud.CenterY) / cloud.RadiusY;
                const double s = 1.0 / 260.0;
                const double wx = warp.Fbm(x * s, y * s, 4), wy = warp.Fbm(x * s + 7.7, y * s, 4);
                const double ragged = 1 + 0.55 * shape.Fbm(x * s * 0.7 + 3, y * s * 0.7, 3);
                const double envelope = std::exp(-(ex * ex + ey * ey) * 1.6 / (ragged * ragged));
                if (envelope < 0.004)
                    continue;
                const double n = shape.Fbm(x * s * 1.6 + 1.3 * wx, y * s * 1.6 + 1.3 * wy, 6);
                const double density = Smoothstep(-0.35, 0.9, n) * envelope;
                const double core = Smoothstep(0.25, 0.85, density);
                const double hue = 0.5 + 0.5 * tint.Fbm(x * s * 0.8, y * s * 0.8, 3);
                Rgb c = Mix(cloud.Outer, cloud.Inner, Clamp01(core * 0.7 + hue * 0.5));
                const double lane =
                    Smoothstep(0.72, 0.93, dust.Ridged(x * s * 1.3, y * s * 1.3, 4));
                const double amount = density * cloud.Strength * (1 - style.Dust * lane);
                Rgb& h = half[static_cast<size_t>(py) * hw + px];
                h.R += c.R * amount;
                h.G += c.G * amount;
                h.B += c.B * amount;
            }
        }
    }
    for (int y = 0; y < image.Height(); ++y) {
        const double fy = y / 2.0;
        const int y0 = static_cast<int>(fy);
        const double ty = fy - y0;
        for (int x = 0; x < image.Width(); ++x) {
            const double fx = x / 2.0;
            const int x0 = static_cast<int>(fx);
            const double tx = fx - x0;
            const auto at = [&](int xx, int yy) { return half[static_cast<size_t>(yy) * hw + xx]; };
            const Rgb top = Mix(at(x0, y0), at(x0 + 1, y0), tx);
            const Rgb bottom = Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx);
            image.Add(x, y, Mix(top, bottom, ty), 1.0);
        }
    }
}

Rgb StarColour(Random& random) {
    const double t = random.Uniform();
    if (t < 0.45)
        return Hex(0xdfe8ff);
    if (t < 0.75)
        return Hex(0xb9cdff);
    if (t < 0.93)
        return Hex(0xfff1dc);
    return Hex(0xffd2a8);
}

// A star as a small Gaussian spot centred between pixels as it falls.
void Splat(LightImage& image, double x, double y, double sigma, Rgb c, double amount) {
    const int r = static_cast<int>(std::ceil(sigma * 3));
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    double total = 0;
    for (int dy = -r; dy <= r + 1; ++dy)
        for (int dx = -r; dx <= r + 1; ++dx) {
            const double ddx = cx + dx + 0.5 - x, ddy = cy + dy + 0.5 - y;
            total += std::exp(-(ddx * ddx + ddy * ddy) / (2 * sigma * sigma));
        }
    for (int dy = -r; dy <= r + 1; ++dy)
        for (int dx = -r; dx <= r + 1; ++dx) {
            const double ddx = cx + dx + 0.5 - x, ddy = cy + dy + 0.5 - y;
            const double w = std::exp(-(ddx * ddx + ddy * ddy) / (2 * sigma * sigma)) / total;
            image.Add(cx + dx, cy + dy, c, amount * w);
        }
}

void AddStars(LightImage& image, const SkyStyle& style) {
    Random random(style.StarSeed);
    const Noise clusters(style.StarSeed + 77);
    int placed = 0;
    while (placed < style.Stars) {
        const double x = random.Range(0, image.Width()), y = random.Range(0, image.Height());
        // Stars bunch a little, like a faint band of a galaxy.
        const double density =
            0.35 + 0.65 * Smoothstep(-0.4, 0.6, clusters.Fbm(x / 300, y / 300, 3));
        if (random.Uniform() > density)
            continue;
        ++placed;
        const double m = std::pow(random.Uniform(), 5.0);
        const Rgb c = StarColour(random);
        const double amount = 0.35 + 4.5 * m;
        Splat(image, x, y, 0.45 + 0.5 * m, c, amount);
    }
    for (int i = 0; i < style.BrightStars; ++i) {
        const double x = random.Range(10, image.Width() - 10);
        const double y = random.Range(10, image.Height() - 10);
        const Rgb c = StarColour(random);
        const double size = random.Range(0.6, 1.4);
        Splat(image, x, y, 0.9 * size, c, 9 * size);
        Splat(image, x, y, 5 * size, c, 14 * size);
        // Diffraction spikes, fading along their length.
        const int length = static_cast<int>(18 * size + random.Range(0, 14));
        for (int d = 2; d <= length; ++d) {
            const double a = 0.32 * size * std::exp(-3.2 * d / length);
            for (const auto& [sx, sy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                image.Add(static_cast<int>(x) + sx * d, static_cast<int>(y) + sy * d, c, a);
        }
    }
}

} // namespace

LightImage Sky(int width, int height, const SkyStyle& style) {
    LightImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const Rgb row = Mix(style.Top, style.Bottom, static_cast<double>(y) / (height - 1));
        for (int x = 0; x < width; ++x)
            image.Set(x, y, row);
    }
    AddNebula(image, style);
    AddStars(image, style);
    return image;
}

void Planet(LightImage& image, const PlanetStyle& p) {
    const Noise bands(p.Seed), swirl(p.Seed + 1);
    double lx = p.LightX, ly = p.LightY, lz = 0.55;
    const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= ln;
    ly /= ln;
    lz /= ln;
    const double reach = p.Radius * std::max(1.25, p.RingOuter + 0.05);
    const int x0 = std::max(0, static_cast<int>(p.CenterX - reach));
    const int x1 = std::min(image.Width() - 1, static_cast<int>(p.CenterX + reach));
    const int y0 = std::max(0, static_cast<int>(p.CenterY - reach));
    const int y1 = std::min(image.Height() - 1, static_cast<int>(p.CenterY + reach));
    const double ringAngle = -0.18;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x + 0.5 - p.CenterX) / p.Radius;
            const double dy = (y + 0.5 - p.CenterY) / p.Radius;
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double cover = Clamp01((1 - dist) * p.Radius + 0.5);
            Rgb out = image.Get(x, y);
            if (cover > 0) {
                const double nz = std::sqrt(std::max(0.0, 1 - dist * dist));
                const double lambert = std::max(0.0, dx * lx + dy * ly + nz * lz);
                // Bands of uneven width and shade, stirred by the winds at their edges.
                const double stir = 0.35 * swirl.Fbm(dx * 2.2, dy * 5, 4);
                const double t = dy * p.Bands + stir;
                const double v = Clamp01(0.5 + 0.85 * bands.Fbm(0.37, t * 0.55, 4) +
                                         0.12 * bands.Fbm(dx * 9 + stir, dy * 30, 3));
                const Rgb surface =
                    v < 0.5 ? Mix(p.Dark, p.Mid, v * 2) : Mix(p.Mid, p.Light, (v - 0.5) * 2);
                const double shade = 0.035 + 1.05 * std::pow(lambert, 0.85);
                const double rim = std::pow(1 - nz, 3) * (0.15 + lambert) * 0.9;
                Rgb lit{surface.R * shade + p.Atmosphere.R * rim,
                        surface.G * shade + p.Atmosphere.G * rim,
                        surface.B * shade + p.Atmosphere.B * rim};
                out = Mix(out, lit, cover);
            } else {
                // Thin haze beyond the limb, brightest on the sunlit side.
                const double sun = Clamp01(0.35 + (dx * lx + dy * ly) / std::max(dist, 1e-6));
                const double halo = std::exp(-(dist - 1) * 22) * sun * 0.55;
                out.R += p.Atmosphere.R * halo;
                out.G += p.Atmosphere.G * halo;
                out.B += p.Atmosphere.B * halo;
            }
            if (p.RingOuter > 0) {
                const double rx = dx * std::cos(ringAngle) + dy * std::sin(ringAngle);
                const double ry = -dx * std::sin(ringAngle) + dy * std::cos(ringAngle);
                const double rr = std::sqrt(rx * rx + (ry / p.RingTilt) * (ry / p.RingTilt));
                const bool behind = ry < 0 && dist < 1;
                if (rr > p.RingInner && rr < p.RingOuter && !behind) {
                    const double across = (rr - p.RingInner) / (p.RingOuter - p.RingInner);
                    const double grooves =
                        0.7 + 0.3 * bands.Fbm(rr * 14, 0.5, 3) + 0.12 * std::sin(across * 30);
                    const double gap = 1 - 0.85 * Smoothstep(0.035, 0, std::fabs(across - 0.64));
                    const double edge =
                        Smoothstep(0, 0.08, across) * Smoothstep(1, 0.9, across) * gap;
                    // The planet's shadow falls on the part of the ring behind it from the sun.
                    const double px = rx, py = ry / p.RingTilt;
                    const bool inShadow = px * lx + py * ly < 0 && std::fabs(px * ly - py * lx) < 1;
                    const double shadowed = inShadow ? 0.25 : 1.0;
                    const double alpha = Clamp01(0.8 * grooves) * edge;
                    out =
                        Mix(out, Rgb{p.Ring.R * shadowed, p.Ring.G * shadowed, p.Ring.B * shadowed},
                            alpha);
                }
            }
            image.Set(x, y, out);
        }
    }
}

} // namespace art
