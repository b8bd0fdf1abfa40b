// Sound for tests: tones written with libsndfile, and the mix captured from SDL's "disk" audio
// driver, which writes everything the device plays to a file (raw float stereo at 44.1 kHz,
// the format the mixer opens the device with), at about real-time pace.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

enum class SoundFormat { Wav, Flac, Ogg, Mp3 };

// One stretch of a tone: a sine of the given frequency and peak amplitude (0 for silence).
struct ToneSegment {
    double Seconds;
    double Amplitude;
    double Frequency = 440.0;
};

// Writes the segments one after the other; throws std::runtime_error when libsndfile cannot.
void WriteTone(const std::string& path, SoundFormat format,
               const std::vector<ToneSegment>& segments, int channels = 2, int sampleRate = 44100);

// While it lives, an audio device opened by the mixer plays into file. Make it before the first
// graph renders a file and read it after the last graph is gone (the device is closed with
// the last graph, which is when the driver finishes the file).
class AudioCapture {
public:
    explicit AudioCapture(std::string file);
    ~AudioCapture();
    AudioCapture(const AudioCapture&) = delete;
    AudioCapture& operator=(const AudioCapture&) = delete;

    // The captured frames, interleaved left and right.
    std::vector<float> Read() const;
    // Waits until the device has played at least seconds more sound into the file, and
    // returns how much it played (the driver writes in blocks). Tests wait on what was heard,
    // never on the wall clock, so a loaded machine makes them slower, not wrong; a device that
    // stops playing fails the test after a generous deadline.
    double Hear(double seconds) const;

    static constexpr int Rate = 44100;

private:
    std::string FFile;
    std::string FOldDriver;
    bool FHadDriver;
};

// The captured sound cut into 10 ms windows.
struct Window {
    double Left;  // RMS of the left channel
    double Right; // RMS of the right channel
    float Peak;   // largest magnitude in either channel
};
constexpr int kWindowFrames = AudioCapture::Rate / 100;
std::vector<Window> Windows(const std::vector<float>& samples);

// Runs of consecutive windows whose louder channel's RMS is above threshold, as
// [first, last] window indices.
struct Run {
    size_t First;
    size_t Last;
    size_t Length() const { return Last - First + 1; }
};
std::vector<Run> LoudRuns(const std::vector<Window>& windows, double threshold);

// Mean RMS over windows first .. last, skipping margin windows at both ends (where a sound
// starts or stops part-way through a window).
Window MeanLevel(const std::vector<Window>& windows, const Run& run, size_t margin = 2);

// Zero crossings per second of the left channel over frames first .. first + count, halved:
// the frequency of a clean sine.
double EstimateFrequency(const std::vector<float>& samples, size_t first, size_t count);

} // namespace testing_support
