#include "tools/art/Noise.h"

#include <algorithm>
#include <cmath>

namespace art {

uint64_t Random::Next() {
    // splitmix64: tiny, fast and good enough for scattering stars.
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::Uniform() {
    return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

Noise::Noise(uint64_t seed) {
    Random random(seed);
    std::array<uint8_t, 256> p{};
    for (int i = 0; i < 256; ++i)
        p[i] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i)
        std::swap(p[i], p[random.Int(i + 1)]);
    for (int i = 0; i < 512; ++i)
        FPerm[i] = p[i & 255];
}

namespace {

double Fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double Grad(uint8_t hash, double x, double y) {
    // Eight directions around the circle.
    switch (hash & 7) {
    case 0:
        return x + y;
    case 1:
        return x - y;
    case 2:
        return -x + y;
    case 3:
        return -x - y;
    case 4:
        return x * 1.41421356;
    case 5:
        return -x * 1.41421356;
    case 6:
        return y * 1.41421356;
    default:
        return -y * 1.41421356;
    }
}

} // namespace

double Noise::At(double x, double y) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const int xi = static_cast<int>(fx) & 255, yi = static_cast<int>(fy) & 255;
    x -= fx;
    y -= fy;
    const double u = Fade(x), v = Fade(y);
    const int a = FPerm[xi] + yi, b = FPerm[xi + 1] + yi;
    const double n00 = Grad(FPerm[a], x, y), n10 = Grad(FPerm[b], x - 1, y);
    const double n01 = Grad(FPerm[a + 1], x, y - 1), n11 = Grad(FPerm[b + 1], x - 1, y - 1);
    const double nx0 = n00 + u * (n10 - n00), nx1 = n01 + u * (n11 - n01);
    return (nx0 + v * (nx1 - nx0)) * 0.7071;
}

double Noise::Fbm(double x, double y, int octaves, double gain) const {
    double sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * At(x, y);
        norm += amplitude;
        amplitude *= gain;
        // Rotate a little between octaves so the grid never lines up.
        const double nx = x * 1.6 - y * 1.2 + 17.3, ny = x * 1.2 + y * 1.6 + 5.9;
        x = nx;
        y = ny;
    }
    return sum / norm * 1.6;
}

double Noise::Ridged(double x, double y, int octaves) const {
    double sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        const double r = 1 - std::fabs(At(x, y));
        sum += amplitude * r * r;
        norm += amplitude;
        amplitude *= 0.5;
        const double nx = x * 1.7 - y * 1.1 + 3.1, ny = x * 1.1 + y * 1.7 + 11.7;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

double Clamp01(double x) {
    return std::clamp(x, 0.0, 1.0);
}

double Smoothstep(double edge0, double edge1, double x) {
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

} // namespace art
