// The one audio output every playback graph shares, and the thread that decodes ahead for it.
//
// Stands in for: the audio renderer filter and the system mixer behind it.
// Relies on: SDL's audio device (float stereo at 44.1 kHz; SDL converts for the hardware) and
// SDL audio streams, which resample each file's rate to the device's; SoundFile to decode.
//
// Three threads meet here, all under one lock that is only ever held for short work:
// - the caller's (graphs: add and remove voices, run, stop, seek, gains);
// - the decoding thread, which keeps about half a second of every voice decoded ahead. It
//   decodes with the lock released and takes it only to hand a chunk over, so neither the GUI
//   thread nor the audio callback ever waits for a decoder;
// - SDL's audio callback, which mixes whatever each running voice has ready. A voice whose
//   decoder fell behind contributes silence for that period rather than stalling the device.
// A seek empties the voice's buffer at once and bumps its generation; a chunk decoded for an
// older generation is thrown away, so stale audio never reaches the device.
//
// Where the program may not start threads (the browser build, rtl/Threads.h) there is no
// decoding thread: the audio callback, which then runs on the program's only thread, tops every
// voice up to its half second before it mixes.
//
// Without an audio device (no sound on this machine, or the driver refuses) everything still
// works and nothing is heard: voices decode their first half second and wait.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dshow {

class SoundFile;

class AudioMixer {
public:
    // What the three threads share about one file being played. Opaque outside the mixer.
    struct Voice;

    // The mixer, made with its device and decoding thread for the first caller and kept while
    // anyone holds it; the last holder's release closes the device.
    static std::shared_ptr<AudioMixer> Acquire();
    // The SDL driver of the mixer that exists now, or empty.
    static std::string CurrentDriver();
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // A new voice, stopped at the start of file; it begins decoding ahead at once. nullptr when
    // the file's rate cannot be converted to the device's.
    std::shared_ptr<Voice> AddVoice(std::unique_ptr<SoundFile> file);
    // The voice is no longer mixed; it is freed by whichever thread lets go of it last.
    void RemoveVoice(const std::shared_ptr<Voice>& voice);
    void SetRunning(Voice& voice, bool running);
    // Plays on from this frame of the file. Cheap when the audio decoded ahead already starts
    // there and none of it was played, which is the case every frame while the game's music is
    // switched off (stop and rewind, over and over).
    void Seek(Voice& voice, int64_t frame);
    void SetGains(Voice& voice, float left, float right);

private:
    AudioMixer();
    static void MixCallback(void* userdata, uint8_t* stream, int length);
    void Mix(float* out, int frames);
    void MixBlock(float* out, int frames);
    void DecodeLoop();
    // Decodes one chunk for the voice that needs it most, with the lock (held on entry and on
    // return) released meanwhile. False when every voice has enough.
    bool DecodeChunk(std::unique_lock<std::mutex>& lock, std::vector<float>& chunk);
    std::shared_ptr<Voice> NextVoiceToDecode();

    std::mutex FLock;
    std::condition_variable FWake;
    std::vector<std::shared_ptr<Voice>> FVoices;
    bool FQuit = false;
    uint32_t FDevice = 0;
    bool FAudioStarted = false;
    std::string FDriver;
    std::vector<float> FScratch; // the audio thread's alone
    std::vector<float> FChunk;   // the decoder's, where it runs on the audio callback
    std::thread FDecoder;
};

} // namespace dshow
