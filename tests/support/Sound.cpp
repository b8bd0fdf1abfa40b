#include "tests/support/Sound.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <sndfile.h>
#include <stdexcept>
#include <thread>

namespace testing_support {

void WriteTone(const std::string& path, SoundFormat format,
               const std::vector<ToneSegment>& segments, int channels, int sampleRate) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    switch (format) {
    case SoundFormat::Wav:
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        break;
    case SoundFormat::Flac:
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        break;
    case SoundFormat::Ogg:
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        break;
    case SoundFormat::Mp3:
        info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        break;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<float> frame(static_cast<size_t>(channels));
    double phase = 0.0;
    for (const ToneSegment& segment : segments) {
        const auto frames = static_cast<long>(std::lround(segment.Seconds * sampleRate));
        const double step = 2.0 * std::numbers::pi * segment.Frequency / sampleRate;
        for (long i = 0; i < frames; ++i) {
            const auto value = static_cast<float>(segment.Amplitude * std::sin(phase));
            phase += step;
            for (float& sample : frame)
                sample = value;
            sf_writef_float(file, frame.data(), 1);
        }
    }
    sf_close(file);
}

AudioCapture::AudioCapture(std::string file) : FFile(std::move(file)) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    FHadDriver = old != nullptr;
    if (old)
        FOldDriver = old;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", FFile.c_str(), 1);
}

AudioCapture::~AudioCapture() {
    if (FHadDriver)
        setenv("SDL_AUDIODRIVER", FOldDriver.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
}

std::vector<float> AudioCapture::Read() const {
    std::ifstream in(FFile, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

double AudioCapture::Hear(double seconds) const {
    constexpr size_t kFrameBytes = 2 * sizeof(float);
    const auto frames = [this] {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(FFile, error);
        return error ? size_t{0} : static_cast<size_t>(bytes) / kFrameBytes;
    };
    const size_t start = frames();
    const size_t wanted = start + static_cast<size_t>(seconds * Rate);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    size_t now = start;
    while ((now = frames()) < wanted) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the audio device stopped playing into " << FFile;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return static_cast<double>(now - start) / Rate;
}

std::vector<Window> Windows(const std::vector<float>& samples) {
    std::vector<Window> windows;
    const size_t frames = samples.size() / 2;
    for (size_t first = 0; first + kWindowFrames <= frames; first += kWindowFrames) {
        double left = 0;
        double right = 0;
        float peak = 0;
        for (size_t i = first; i < first + kWindowFrames; ++i) {
            left += samples[2 * i] * samples[2 * i];
            right += samples[2 * i + 1] * samples[2 * i + 1];
            peak = std::max({peak, std::fabs(samples[2 * i]), std::fabs(samples[2 * i + 1])});
        }
        windows.push_back(
            {std::sqrt(left / kWindowFrames), std::sqrt(right / kWindowFrames), peak});
    }
    return windows;
}

std::vector<Run> LoudRuns(const std::vector<Window>& windows, double threshold) {
    std::vector<Run> runs;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (std::max(windows[i].Left, windows[i].Right) <= threshold)
            continue;
        if (!runs.empty() && runs.back().Last + 1 == i)
            runs.back().Last = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

Window MeanLevel(const std::vector<Window>& windows, const Run& run, size_t margin) {
    Window mean{0, 0, 0};
    size_t count = 0;
    for (size_t i = run.First + margin; i + margin <= run.Last; ++i) {
        mean.Left += windows[i].Left;
        mean.Right += windows[i].Right;
        mean.Peak = std::max(mean.Peak, windows[i].Peak);
        ++count;
    }
    if (count > 0) {
        mean.Left /= static_cast<double>(count);
        mean.Right /= static_cast<double>(count);
    }
    return mean;
}

double EstimateFrequency(const std::vector<float>& samples, size_t first, size_t count) {
    int crossings = 0;
    for (size_t i = first + 1; i < first + count && 2 * i < samples.size(); ++i) {
        if ((samples[2 * (i - 1)] < 0) != (samples[2 * i] < 0))
            ++crossings;
    }
    return crossings / 2.0 * AudioCapture::Rate / static_cast<double>(count);
}

} // namespace testing_support
