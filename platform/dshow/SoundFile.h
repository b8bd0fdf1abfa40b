// A sound file opened for decoding, read as stereo floating-point frames.
//
// Stands in for: the source and decoder filters of a playback graph.
// Relies on: libsndfile (WAV, FLAC, Ogg Vorbis, Opus, MP3 and the rest of what the installed
// build reads).
// Limits: files with more than two channels are played as their first two (front left and
// right); files of unknown length or that cannot seek are refused, since positions, durations
// and looping all need both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace dshow {

class SoundFile {
public:
    // nullptr when the file cannot be opened or is not a playable sound file.
    static std::unique_ptr<SoundFile> Open(const std::string& path);
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    int64_t Frames() const { return FFrames; }
    int SampleRate() const { return FSampleRate; }
    int Channels() const { return FChannels; }

    // Up to count frames from the current place into out (2 x count floats, left then right),
    // mono doubled to both sides. Fewer than count means the end (or undecodable data, which
    // is treated as the end).
    int ReadStereo(float* out, int count);
    // Moves the read place to a frame; false when the decoder could not get there.
    bool Seek(int64_t frame);

private:
    SoundFile() = default;

    sf_private_tag* FFile = nullptr;
    int64_t FFrames = 0;
    int FSampleRate = 0;
    int FChannels = 0;
    std::vector<float> FInterleaved; // one read in the file's own channel layout
};

} // namespace dshow
