#include "tools/music/Audio.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <sndfile.h>

namespace music {

namespace {

double Db(double x) {
    return x > 0 ? 20 * std::log10(x) : -200.0;
}

// Radix-2 FFT in place; n a power of two.
void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * 3.14159265358979323846 / static_cast<double>(len);
        const std::complex<double> w(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

} // namespace

void WriteMp3(const std::string& path, const std::vector<float>& samples, int sampleRate) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw AudioError("cannot write " + path + ": " + sf_strerror(nullptr));
    int mode = SF_BITRATE_MODE_VARIABLE;
    double quality = 0.2; // 0 is the best the encoder offers, 1 the smallest
    sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    sf_command(file, SFC_SET_COMPRESSION_LEVEL, &quality, sizeof quality);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
    const sf_count_t written = sf_writef_float(file, samples.data(), frames);
    const std::string error = sf_strerror(file);
    if (sf_close(file) != 0 || written != frames)
        throw AudioError("cannot write " + path + ": " + error);
}

Audio ReadAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw AudioError("cannot read " + path + ": " + sf_strerror(nullptr));
    Audio audio;
    audio.SampleRate = info.samplerate;
    audio.Channels = info.channels;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file, block.data(), 4096);
        if (got <= 0)
            break;
        audio.Samples.insert(audio.Samples.end(), block.begin(),
                             block.begin() + got * info.channels);
    }
    sf_close(file);
    if (audio.Channels < 1 || audio.Samples.empty())
        throw AudioError(path + " holds no sound");
    return audio;
}

Analysis Analyse(const Audio& audio) {
    Analysis a;
    const size_t ch = static_cast<size_t>(audio.Channels);
    const size_t frames = audio.Samples.size() / ch;
    const auto& s = audio.Samples;
    a.Seconds = static_cast<double>(frames) / audio.SampleRate;

    double peak = 0, sum = 0, squares = 0;
    for (float v : s) {
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
        sum += v;
        squares += static_cast<double>(v) * v;
    }
    a.PeakDb = Db(peak);
    a.RmsDb = Db(std::sqrt(squares / static_cast<double>(s.size())));
    a.DcOffset = sum / static_cast<double>(s.size());

    const size_t edge = std::min(frames, static_cast<size_t>(0.05 * audio.SampleRate));
    double edgePeak = 0;
    for (size_t i = 0; i < edge * ch; ++i)
        edgePeak = std::max({edgePeak, static_cast<double>(std::fabs(s[i])),
                             static_cast<double>(std::fabs(s[s.size() - 1 - i]))});
    a.EdgePeakDb = Db(edgePeak);
    double step = 0;
    for (size_t c = 0; c < ch; ++c) {
        a.LoopJump =
            std::max(a.LoopJump, static_cast<double>(std::fabs(s[c] - s[s.size() - ch + c])));
        for (size_t i = 2; i < frames; ++i)
            step =
                std::max(step, static_cast<double>(std::fabs(
                                   s[i * ch + c] - 2 * s[(i - 1) * ch + c] + s[(i - 2) * ch + c])));
    }
    a.StepDb = Db(step);

    // Averaged spectrum of Hann windows of the channels' mean, one window every half second.
    constexpr size_t kWindow = 4096;
    std::vector<double> power(kWindow / 2, 0.0);
    double side = 0, mid = 0;
    for (size_t start = 0; start + kWindow <= frames; start += audio.SampleRate / 2) {
        std::vector<std::complex<double>> w(kWindow);
        for (size_t i = 0; i < kWindow; ++i) {
            double m = 0;
            for (size_t c = 0; c < ch; ++c)
                m += s[(start + i) * ch + c];
            const double hann = 0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * i / kWindow);
            w[i] = m / static_cast<double>(ch) * hann;
        }
        Fft(w);
        for (size_t k = 1; k < kWindow / 2; ++k)
            power[k] += std::norm(w[k]);
    }
    if (ch == 2)
        for (size_t i = 0; i < frames; ++i) {
            const double l = s[2 * i], r = s[2 * i + 1];
            side += (l - r) * (l - r);
            mid += (l + r) * (l + r);
        }
    double total = 0, weighted = 0, low = 0, high = 0;
    for (size_t k = 1; k < kWindow / 2; ++k) {
        const double hz = static_cast<double>(k) * audio.SampleRate / kWindow;
        total += power[k];
        weighted += power[k] * hz;
        low += hz < 2000 ? power[k] : 0;
        high += hz > 10000 ? power[k] : 0;
    }
    if (total > 0) {
        a.Centroid = weighted / total;
        a.LowShare = low / total;
        a.HighShare = high / total;
    }
    a.SideShare = side + mid > 0 ? side / (side + mid) : 0;
    return a;
}

std::string FormatAnalysis(const Analysis& a) {
    char text[640];
    std::snprintf(text, sizeof text,
                  "length          %.2f s\n"
                  "peak            %.2f dBFS\n"
                  "RMS             %.2f dBFS\n"
                  "DC offset       %.6f\n"
                  "centroid        %.0f Hz\n"
                  "below 2 kHz     %.1f %%\n"
                  "above 10 kHz    %.3f %%\n"
                  "stereo side     %.1f %%\n"
                  "ends (50 ms)    %.1f dBFS\n"
                  "loop seam jump  %.5f\n"
                  "largest step    %.1f dBFS (second difference)\n",
                  a.Seconds, a.PeakDb, a.RmsDb, a.DcOffset, a.Centroid, 100 * a.LowShare,
                  100 * a.HighShare, 100 * a.SideShare, a.EdgePeakDb, a.LoopJump, a.StepDb);
    return text;
}

} // namespace music
