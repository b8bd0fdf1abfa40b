// music: makes the game's song and measures audio files.
//
//   music render OUT.mp3     synthesises the song and encodes it as MP3
//   music analyse FILE...    prints level, loudness, spectrum and loop-end figures
#include "tools/music/Audio.h"
#include "tools/music/Song.h"

#include <filesystem>
#include <iostream>

namespace {

// The song is made 3 dB under full scale: MP3 coding moves peaks by a fraction of a decibel,
// and the decoded file must stay under -1 dBFS.
constexpr double kPeak = 0.708;

int Usage() {
    std::cerr << "usage: music render OUT.mp3\n"
                 "       music analyse FILE...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "render") {
            // Written aside and renamed, so a failed run never leaves a half song that a build
            // would take as up to date.
            const std::string part = args[1] + ".part";
            music::WriteMp3(part, music::RenderSong(kPeak), music::kSampleRate);
            std::filesystem::rename(part, args[1]);
            return 0;
        }
        if (args.size() >= 2 && args[0] == "analyse") {
            for (size_t i = 1; i < args.size(); ++i) {
                const music::Audio audio = music::ReadAudio(args[i]);
                std::cout << args[i] << ": " << audio.Channels << " channels, " << audio.SampleRate
                          << " Hz\n"
                          << music::FormatAnalysis(music::Analyse(audio));
            }
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "music: " << e.what() << "\n";
        return 1;
    }
    return Usage();
}
