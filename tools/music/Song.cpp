#include "tools/music/Song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace music {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr size_t kFrames = static_cast<size_t>(kSongSeconds * kSampleRate);

double NoteHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

// splitmix64, so that the bells fall the same way on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    double Next() { // [0, 1)
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
    }

private:
    uint64_t state_;
};

// One cycle of a soft harmonic tone; reading it with a phase accumulator is far cheaper than
// summing sines per sample, and a few harmonics cannot alias at these pitches.
class Wavetable {
public:
    static constexpr int kSize = 4096;
    explicit Wavetable(double tilt) {
        for (int i = 0; i < kSize; ++i) {
            double v = 0;
            for (int h = 1; h <= 7; ++h)
                v += std::sin(2 * kPi * h * i / kSize) / std::pow(h, tilt);
            table_[i] = static_cast<float>(v);
        }
        const float top = *std::max_element(table_.begin(), table_.end());
        for (float& v : table_)
            v /= top;
    }
    float At(double phase) const { // phase in cycles, [0, 1)
        const double pos = phase * kSize;
        const int i = static_cast<int>(pos);
        const float f = static_cast<float>(pos - i);
        return table_[i] + f * (table_[(i + 1) % kSize] - table_[i]);
    }

private:
    std::array<float, kSize> table_{};
};

// Raised-cosine window: 0 at the edges, 1 in the middle plateau.
double Fade(double x) {
    return x <= 0 ? 0 : x >= 1 ? 1 : 0.5 - 0.5 * std::cos(kPi * x);
}

struct Chord {
    std::vector<double> Notes; // MIDI numbers
    double Root;
};

// D dorian colours: Dm9, Bbmaj7, Fmaj9, Gm9 (with the sixth).
const std::array<Chord, 4> kChords = {{
    {{50, 57, 60, 64, 65}, 38},
    {{46, 53, 57, 62, 69}, 34},
    {{48, 53, 57, 64, 67}, 41},
    {{43, 50, 58, 62, 65, 69}, 43},
}};
constexpr double kChordSeconds = kSongSeconds / kChords.size();

// How much of chord c sounds at time t: a slow swell that overlaps its neighbours by a third
// of a chord on each side, wrapping round the loop.
double ChordLevel(size_t c, double t) {
    const double overlap = kChordSeconds / 3;
    double start = c * kChordSeconds - overlap;
    double rel = std::fmod(t - start + kSongSeconds, kSongSeconds);
    const double length = kChordSeconds + 2 * overlap;
    if (rel > length)
        return 0;
    return Fade(rel / (2 * overlap)) * Fade((length - rel) / (2 * overlap));
}

void AddPads(std::vector<float>& out) {
    const Wavetable dark(2.2), bright(1.4);
    const double detune[3] = {-0.06, 0.0, 0.07}; // semitones: a slow chorus
    for (size_t c = 0; c < kChords.size(); ++c) {
        for (size_t n = 0; n < kChords[c].Notes.size(); ++n) {
            for (int d = 0; d < 3; ++d) {
                const double hz = NoteHz(kChords[c].Notes[n] + detune[d]);
                const double panRate = 0.013 + 0.007 * n + 0.004 * d, panPhase = 1.7 * n + d;
                const double glowRate = 0.021 + 0.005 * n;
                double phase = std::fmod(0.37 * n + 0.23 * d, 1.0);
                const double step = hz / kSampleRate;
                const double gain = 0.05 / (1 + 0.15 * n);
                for (size_t i = 0; i < kFrames; ++i) {
                    const double t = static_cast<double>(i) / kSampleRate;
                    const double level = ChordLevel(c, t);
                    phase += step;
                    phase -= std::floor(phase);
                    if (level <= 0)
                        continue;
                    const double glow = 0.5 + 0.5 * std::sin(2 * kPi * glowRate * t + n);
                    const double v =
                        gain * level * ((1 - glow) * dark.At(phase) + glow * bright.At(phase));
                    const double pan = 0.5 + 0.35 * std::sin(2 * kPi * panRate * t + panPhase);
                    out[2 * i] += static_cast<float>(v * std::sqrt(1 - pan));
                    out[2 * i + 1] += static_cast<float>(v * std::sqrt(pan));
                }
            }
        }
    }
}

void AddDrone(std::vector<float>& out) {
    for (size_t c = 0; c < kChords.size(); ++c) {
        const double hz = NoteHz(kChords[c].Root);
        for (size_t i = 0; i < kFrames; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double level = ChordLevel(c, t);
            if (level <= 0)
                continue;
            const double v =
                0.09 * level * (std::sin(2 * kPi * hz * t) + 0.25 * std::sin(4 * kPi * hz * t));
            out[2 * i] += static_cast<float>(v);
            out[2 * i + 1] += static_cast<float>(v);
        }
    }
}

// Solar wind: noise through a gentle low-pass whose level rises and falls.
void AddWind(std::vector<float>& out, Random& rng) {
    double l1 = 0, l2 = 0, r1 = 0, r2 = 0;
    const double a = 1 - std::exp(-2 * kPi * 500.0 / kSampleRate);
    for (size_t i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        l1 += a * ((rng.Next() * 2 - 1) - l1);
        l2 += a * (l1 - l2);
        r1 += a * ((rng.Next() * 2 - 1) - r1);
        r2 += a * (r1 - r2);
        // Whole cycles over the loop, so the swell lines up with itself at the seam.
        const double swell = 0.5 - 0.5 * std::cos(2 * kPi * 3 * t / kSongSeconds);
        const double gain = 0.05 * (0.3 + 0.7 * swell);
        out[2 * i] += static_cast<float>(gain * l2);
        out[2 * i + 1] += static_cast<float>(gain * r2);
    }
}

// Glass bells on a D minor pentatonic, one every few seconds, each with a slightly sharp
// second partial for shimmer, then a ping-pong echo.
void AddBells(std::vector<float>& out, Random& rng) {
    const double scale[] = {74, 77, 79, 81, 84, 86, 89};
    std::vector<float> bells(out.size(), 0.0f);
    double t = 4.0;
    while (t < kSongSeconds - 8.0) {
        const double hz = NoteHz(scale[static_cast<int>(rng.Next() * 7)]);
        const double velocity = 0.05 + 0.05 * rng.Next();
        const double pan = 0.2 + 0.6 * rng.Next();
        const size_t start = static_cast<size_t>(t * kSampleRate);
        const size_t length = static_cast<size_t>(4.0 * kSampleRate);
        for (size_t k = 0; k < length && start + k < kFrames; ++k) {
            const double s = static_cast<double>(k) / kSampleRate;
            const double attack = std::min(1.0, s / 0.004); // no click at the strike
            const double v = velocity * attack *
                             (std::exp(-s / 1.1) * std::sin(2 * kPi * hz * s) +
                              0.3 * std::exp(-s / 0.5) * std::sin(2 * kPi * hz * 2.01 * s));
            bells[2 * (start + k)] += static_cast<float>(v * std::sqrt(1 - pan));
            bells[2 * (start + k) + 1] += static_cast<float>(v * std::sqrt(pan));
        }
        t += 1.8 + 3.5 * rng.Next();
    }
    // Echo, crossing sides: 430 ms, each repeat softer.
    const size_t delay = static_cast<size_t>(0.43 * kSampleRate);
    for (size_t i = delay; i < kFrames; ++i) {
        bells[2 * i] += 0.38f * bells[2 * (i - delay) + 1];
        bells[2 * i + 1] += 0.38f * bells[2 * (i - delay)];
    }
    for (size_t i = 0; i < out.size(); ++i)
        out[i] += bells[i];
}

// A small Schroeder reverb per side (parallel combs with damping, then allpasses). The combs are
// run over the loop's end first, so the start hears the tail of the end.
class Reverb {
public:
    explicit Reverb(int spread) {
        const int combs[] = {1557, 1617, 1491, 1422, 1277, 1356};
        const int passes[] = {556, 441, 341};
        for (int c : combs)
            combs_.push_back({std::vector<float>(c + spread, 0.0f), 0, 0.0f});
        for (int a : passes)
            passes_.push_back({std::vector<float>(a + spread, 0.0f), 0});
    }
    float Process(float in) {
        float sum = 0;
        for (Comb& c : combs_) {
            const float y = c.Buffer[c.Pos];
            c.Low = y * 0.75f + c.Low * 0.25f; // damping: the highs die first
            c.Buffer[c.Pos] = in + c.Low * 0.86f;
            c.Pos = (c.Pos + 1) % c.Buffer.size();
            sum += y;
        }
        float x = sum / static_cast<float>(combs_.size());
        for (Pass& a : passes_) {
            const float b = a.Buffer[a.Pos];
            a.Buffer[a.Pos] = x + b * 0.5f;
            a.Pos = (a.Pos + 1) % a.Buffer.size();
            x = b - x * 0.5f;
        }
        return x;
    }

private:
    struct Comb {
        std::vector<float> Buffer;
        size_t Pos;
        float Low;
    };
    struct Pass {
        std::vector<float> Buffer;
        size_t Pos;
    };
    std::vector<Comb> combs_;
    std::vector<Pass> passes_;
};

void AddReverb(std::vector<float>& out) {
    Reverb left(0), right(23);
    const size_t warm = static_cast<size_t>(10.0 * kSampleRate);
    for (size_t i = kFrames - warm; i < kFrames; ++i) {
        left.Process(out[2 * i] + out[2 * i + 1]);
        right.Process(out[2 * i] + out[2 * i + 1]);
    }
    std::vector<float> wet(out.size());
    for (size_t i = 0; i < kFrames; ++i) {
        const float mono = 0.5f * (out[2 * i] + out[2 * i + 1]);
        wet[2 * i] = left.Process(mono);
        wet[2 * i + 1] = right.Process(mono);
    }
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = 0.75f * out[i] + 1.1f * wet[i];
}

} // namespace

std::vector<float> RenderSong(double peak) {
    std::vector<float> out(2 * kFrames, 0.0f);
    Random rng(0x4B6F736D6F727261ull);
    AddPads(out);
    AddDrone(out);
    AddWind(out, rng);
    AddBells(out, rng);
    AddReverb(out);

    // In from silence and out to silence.
    const double in = 3.0, outSeconds = 6.0;
    for (size_t i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const float g = static_cast<float>(Fade(t / in) * Fade((kSongSeconds - t) / outSeconds));
        out[2 * i] *= g;
        out[2 * i + 1] *= g;
    }
    float top = 0;
    for (float v : out)
        top = std::max(top, std::fabs(v));
    const float scale = top > 0 ? static_cast<float>(peak) / top : 0.0f;
    for (float& v : out)
        v *= scale;
    return out;
}

} // namespace music
