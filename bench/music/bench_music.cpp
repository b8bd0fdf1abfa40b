// What the music costs the GUI thread: loading a three-minute MP3, the per-frame calls the game
// makes while music is on (CheckLoops) and off (Stop, which stops and rewinds), and seeks; and
// how fast the decoder runs compared with real time. The target for every figure on the GUI
// thread is well under one frame (9.1 ms at the game's 110 FPS). Asserts nothing.
#include "engine/timing/ArvexMusic.h"
#include "platform/dshow/SoundFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <sndfile.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double TimeMs(const std::function<void()>& action) {
    const auto start = Clock::now();
    action();
    return Ms(Clock::now() - start);
}

bool WriteSong(const std::string& path, double seconds) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> block(2 * 4410);
    const long frames = std::lround(seconds * 44100);
    for (long done = 0; done < frames; done += 4410) {
        for (int i = 0; i < 4410; ++i) {
            const double t = static_cast<double>(done + i) / 44100;
            const auto chord =
                static_cast<float>(0.2 * std::sin(2 * std::numbers::pi * 220 * t) +
                                   0.15 * std::sin(2 * std::numbers::pi * 277.18 * t) +
                                   0.1 * std::sin(2 * std::numbers::pi * 329.63 * t));
            block[2 * static_cast<size_t>(i)] = chord;
            block[2 * static_cast<size_t>(i) + 1] = chord;
        }
        sf_writef_float(file, block.data(), std::min<long>(4410, frames - done));
    }
    sf_close(file);
    return true;
}

// Runs a per-frame call at about 110 frames a second for the given time; mean and worst cost.
void Frames(const char* what, double seconds, const std::function<void()>& call) {
    std::vector<double> costs;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        costs.push_back(TimeMs(call));
        std::this_thread::sleep_for(std::chrono::microseconds(9090));
    }
    std::sort(costs.begin(), costs.end());
    double sum = 0;
    for (double c : costs)
        sum += c;
    std::printf("  %-34s %5zu frames: mean %7.4f ms, 99%% %7.4f ms, worst %7.4f ms\n", what,
                costs.size(), sum / static_cast<double>(costs.size()),
                costs[costs.size() * 99 / 100], costs.back());
}

} // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "kosmorra-bench-music";
    std::filesystem::create_directories(folder);
    const std::string song = (folder / "Sound.mp3").string();
    constexpr double kSongSeconds = 180;
    std::printf("music player, one %g s stereo 44.1 kHz MP3\n", kSongSeconds);
    std::printf("machine: %u hardware threads\n", std::thread::hardware_concurrency());
    if (!WriteSong(song, kSongSeconds)) {
        std::printf("cannot write MP3 files with this libsndfile\n");
        return 1;
    }

    {
        std::unique_ptr<dshow::SoundFile> sound = dshow::SoundFile::Open(song);
        std::vector<float> buffer(2 * 4096);
        int64_t frames = 0;
        const double ms = TimeMs([&] {
            int got = 0;
            while ((got = sound->ReadStereo(buffer.data(), 4096)) > 0)
                frames += got;
        });
        std::printf("decoder (decoding thread): %lld frames in %.1f ms = %.0fx real time\n",
                    static_cast<long long>(frames), ms, kSongSeconds * 1000 / ms);
    }

    TArvexMusic music(nullptr);
    TSongListItem* item = music.Songs()->Add();
    std::printf("GUI thread, target well under 9.1 ms each:\n");
    std::printf("  LoadFromFile (opens the device)    %8.3f ms\n",
                TimeMs([&] { item->LoadFromFile(song); }));
    std::printf("  audio driver: %s\n", dshow::CurrentAudioDriver().empty()
                                            ? "none (playing silently)"
                                            : dshow::CurrentAudioDriver().c_str());
    std::printf("  Open                               %8.3f ms\n", TimeMs([&] { item->Open(); }));
    std::printf("  Play                               %8.3f ms\n", TimeMs([&] { item->Play(); }));
    item->Loop = true;
    Frames("CheckLoops while playing", 2.0, [&] { music.CheckLoops(); });
    Frames("seek to a random place per frame", 1.0, [&] {
        item->SetPosition(
            std::fmod(static_cast<double>(Clock::now().time_since_epoch().count()), kSongSeconds));
    });
    Frames("Stop per frame (music switched off)", 1.0, [&] { item->Stop(); });
    std::printf("  Play after Stop                    %8.3f ms\n", TimeMs([&] { item->Play(); }));
    std::printf("  destroying the component           %8.3f ms\n",
                TimeMs([&] { music.Songs()->Clear(); }));
    std::filesystem::remove_all(folder);
    return 0;
}
