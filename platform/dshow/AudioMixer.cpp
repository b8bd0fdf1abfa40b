#include "platform/dshow/AudioMixer.h"

#include "platform/dshow/DShow.h"
#include "platform/dshow/SoundFile.h"
#include "platform/rtl/Threads.h"

#include <SDL.h>
#include <algorithm>
#include <cassert>
#include <cstdio>

namespace dshow {

namespace {

constexpr int kDeviceRate = 44100;
constexpr int kDeviceFrames = 1024; // ~23 ms per callback
constexpr int kFrameBytes = 2 * static_cast<int>(sizeof(float));
constexpr int kChunkFrames = 4096;                         // one decoder read
constexpr int kAheadBytes = kDeviceRate / 2 * kFrameBytes; // half a second ready to mix

std::mutex gMixerLock;
std::weak_ptr<AudioMixer> gMixer;

void ReportNoDevice(const char* reason) {
    static bool reported = false;
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "No audio output (%s): music plays silently.\n", reason);
}

} // namespace

struct AudioMixer::Voice {
    ~Voice() {
        if (Ahead)
            SDL_FreeAudioStream(Ahead);
    }

    std::unique_ptr<SoundFile> File;  // touched by the decoding thread only, once added
    SDL_AudioStream* Ahead = nullptr; // decoded, converted to the device rate, not yet mixed
    bool Running = false;
    float GainLeft = 1.0f;
    float GainRight = 1.0f;
    uint64_t Generation = 0; // bumped by every seek that empties Ahead
    bool SeekPending = false;
    int64_t SeekFrame = 0;
    int64_t OriginFrame = 0; // the file frame Ahead starts at
    int64_t MixedFrames = 0; // device frames mixed since OriginFrame
    bool EndOfFile = false;  // everything up to the end is in Ahead
};

std::shared_ptr<AudioMixer> AudioMixer::Acquire() {
    std::lock_guard lock(gMixerLock);
    if (std::shared_ptr<AudioMixer> mixer = gMixer.lock())
        return mixer;
    std::shared_ptr<AudioMixer> mixer(new AudioMixer);
    gMixer = mixer;
    return mixer;
}

std::string AudioMixer::CurrentDriver() {
    std::lock_guard lock(gMixerLock);
    const std::shared_ptr<AudioMixer> mixer = gMixer.lock();
    return mixer ? mixer->FDriver : std::string();
}

std::string CurrentAudioDriver() {
    return AudioMixer::CurrentDriver();
}

AudioMixer::AudioMixer() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        FAudioStarted = true;
        SDL_AudioSpec want{};
        want.freq = kDeviceRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = kDeviceFrames;
        want.callback = &AudioMixer::MixCallback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts our float stereo for whatever the hardware wants,
        // so the mix never has to care.
        FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (FDevice != 0) {
            FScratch.resize(static_cast<size_t>(kDeviceFrames) * 2);
            const char* driver = SDL_GetCurrentAudioDriver();
            FDriver = driver ? driver : "";
        }
    }
    if (FDevice == 0) {
        ReportNoDevice(SDL_GetError());
        if (FAudioStarted)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        FAudioStarted = false;
    }
    if (rtl::ThreadsAvailable())
        FDecoder = std::thread(&AudioMixer::DecodeLoop, this);
    else
        FChunk.resize(static_cast<size_t>(kChunkFrames) * 2);
    if (FDevice != 0)
        SDL_PauseAudioDevice(FDevice, 0);
}

AudioMixer::~AudioMixer() {
    // The device first: closing it waits for a callback in progress, after which nothing
    // mixes any more.
    if (FDevice != 0)
        SDL_CloseAudioDevice(FDevice);
    if (FAudioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    {
        std::lock_guard lock(FLock);
        assert(FVoices.empty() && "every graph removes its voice before letting the mixer go");
        FQuit = true;
    }
    FWake.notify_all();
    if (FDecoder.joinable())
        FDecoder.join();
}

std::shared_ptr<AudioMixer::Voice> AudioMixer::AddVoice(std::unique_ptr<SoundFile> file) {
    SDL_AudioStream* ahead =
        SDL_NewAudioStream(AUDIO_F32SYS, 2, file->SampleRate(), AUDIO_F32SYS, 2, kDeviceRate);
    if (!ahead)
        return nullptr;
    auto voice = std::make_shared<Voice>();
    voice->File = std::move(file);
    voice->Ahead = ahead;
    {
        std::lock_guard lock(FLock);
        FVoices.push_back(voice);
    }
    FWake.notify_one();
    return voice;
}

void AudioMixer::RemoveVoice(const std::shared_ptr<Voice>& voice) {
    std::lock_guard lock(FLock);
    std::erase(FVoices, voice);
}

void AudioMixer::SetRunning(Voice& voice, bool running) {
    std::lock_guard lock(FLock);
    voice.Running = running;
}

void AudioMixer::Seek(Voice& voice, int64_t frame) {
    {
        std::lock_guard lock(FLock);
        if (voice.OriginFrame == frame && voice.MixedFrames == 0)
            return;
        ++voice.Generation;
        voice.SeekPending = true;
        voice.SeekFrame = frame;
        voice.OriginFrame = frame;
        voice.MixedFrames = 0;
        voice.EndOfFile = false;
        SDL_AudioStreamClear(voice.Ahead);
    }
    FWake.notify_one();
}

void AudioMixer::SetGains(Voice& voice, float left, float right) {
    std::lock_guard lock(FLock);
    voice.GainLeft = left;
    voice.GainRight = right;
}

void AudioMixer::MixCallback(void* userdata, uint8_t* stream, int length) {
    static_cast<AudioMixer*>(userdata)->Mix(reinterpret_cast<float*>(stream), length / kFrameBytes);
}

void AudioMixer::Mix(float* out, int frames) {
    if (!FDecoder.joinable()) {
        std::unique_lock lock(FLock);
        while (DecodeChunk(lock, FChunk)) {
        }
    }
    const int block = static_cast<int>(FScratch.size() / 2);
    for (int done = 0; done < frames; done += block)
        MixBlock(out + 2 * done, std::min(block, frames - done));
    // Every callback drains the voices a little: let the decoder top them up.
    FWake.notify_one();
}

void AudioMixer::MixBlock(float* out, int frames) {
    std::fill(out, out + 2 * frames, 0.0f);
    {
        std::lock_guard lock(FLock);
        for (const std::shared_ptr<Voice>& voice : FVoices) {
            if (!voice->Running || voice->SeekPending)
                continue;
            const int got = SDL_AudioStreamGet(voice->Ahead, FScratch.data(), frames * kFrameBytes);
            const int mixed = got > 0 ? got / kFrameBytes : 0;
            const float left = voice->GainLeft;
            const float right = voice->GainRight;
            for (int i = 0; i < mixed; ++i) {
                out[2 * i] += FScratch[2 * i] * left;
                out[2 * i + 1] += FScratch[2 * i + 1] * right;
            }
            voice->MixedFrames += mixed;
        }
    }
    // Several loud voices can sum past full scale; clip rather than let the device wrap.
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

// Called with FLock held: a voice waiting for a seek first, else the one with the least audio
// ready among those short of their half second.
std::shared_ptr<AudioMixer::Voice> AudioMixer::NextVoiceToDecode() {
    std::shared_ptr<Voice> next;
    int least = kAheadBytes;
    for (const std::shared_ptr<Voice>& voice : FVoices) {
        if (voice->SeekPending)
            return voice;
        if (voice->EndOfFile)
            continue;
        const int ready = SDL_AudioStreamAvailable(voice->Ahead);
        if (ready < least) {
            least = ready;
            next = voice;
        }
    }
    return next;
}

void AudioMixer::DecodeLoop() {
    std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * 2);
    std::unique_lock lock(FLock);
    while (!FQuit) {
        if (!DecodeChunk(lock, chunk))
            FWake.wait(lock);
    }
}

bool AudioMixer::DecodeChunk(std::unique_lock<std::mutex>& lock, std::vector<float>& chunk) {
    const std::shared_ptr<Voice> voice = NextVoiceToDecode();
    if (!voice)
        return false;
    const uint64_t generation = voice->Generation;
    const bool seek = voice->SeekPending;
    const int64_t target = voice->SeekFrame;
    voice->SeekPending = false;

    lock.unlock();
    const bool placed = !seek || voice->File->Seek(target);
    const int frames = placed ? voice->File->ReadStereo(chunk.data(), kChunkFrames) : 0;
    lock.lock();

    if (voice->Generation != generation)
        return true; // sought while decoding: this chunk belongs to the old place
    if (frames > 0)
        SDL_AudioStreamPut(voice->Ahead, chunk.data(), frames * kFrameBytes);
    if (frames < kChunkFrames) {
        voice->EndOfFile = true;
        // The resampler holds back a few frames for the next chunk; there is none.
        SDL_AudioStreamFlush(voice->Ahead);
    }
    return true;
}

} // namespace dshow
