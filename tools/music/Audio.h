// Audio files through libsndfile (MP3 by its LAME-based writer and mpg123-based reader) and the
// measurements that stand in for listening: level, loudness, spectrum and the loop's ends.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace music {

struct AudioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Audio {
    int SampleRate = 0;
    int Channels = 0;
    std::vector<float> Samples; // interleaved
};

// Writes interleaved stereo as MP3 (variable bit rate, high quality).
void WriteMp3(const std::string& path, const std::vector<float>& samples, int sampleRate);
Audio ReadAudio(const std::string& path);

struct Analysis {
    double Seconds = 0;
    double PeakDb = 0;     // loudest sample, dBFS
    double RmsDb = 0;      // whole piece, dBFS
    double DcOffset = 0;   // mean sample value
    double Centroid = 0;   // spectral centroid, Hz
    double LowShare = 0;   // energy share below 2 kHz
    double HighShare = 0;  // energy share above 10 kHz
    double SideShare = 0;  // energy share of left minus right: 0 is mono
    double EdgePeakDb = 0; // loudest sample in the first and last 50 ms, dBFS
    double LoopJump = 0;   // largest step from the last frame back to the first
    double StepDb = 0;     // largest second difference, dBFS: a click stands out here
};

Analysis Analyse(const Audio& audio);
std::string FormatAnalysis(const Analysis& a);

} // namespace music
