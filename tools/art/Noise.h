// Deterministic randomness for the procedural art: a small seeded generator and 2D gradient
// noise with fractal sums. Same seed, same picture, on every machine.
#pragma once

#include <array>
#include <cstdint>

namespace art {

class Random {
public:
    explicit Random(uint64_t seed) : FState(seed) {}
    uint64_t Next();
    double Uniform(); // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Int(int n) { return static_cast<int>(Uniform() * n); } // [0, n)

private:
    uint64_t FState;
};

class Noise {
public:
    explicit Noise(uint64_t seed);
    // Gradient noise, roughly -1 .. 1, period 256 cells.
    double At(double x, double y) const;
    // Fractal sum of octaves, each at twice the frequency and gain times the amplitude;
    // normalised to roughly -1 .. 1.
    double Fbm(double x, double y, int octaves, double gain = 0.5) const;
    // Sharp-crested sum (1 - |noise|), 0 .. 1, for filaments.
    double Ridged(double x, double y, int octaves) const;

private:
    std::array<uint8_t, 512> FPerm{};
};

double Smoothstep(double edge0, double edge1, double x);
double Clamp01(double x);

} // namespace art
