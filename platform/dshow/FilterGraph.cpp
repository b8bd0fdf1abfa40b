#include "platform/dshow/FilterGraph.h"

#include "platform/dshow/SoundFile.h"
#include "platform/rtl/Files.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

namespace dshow {

namespace {

constexpr LONG kSilent = -10000;

// File names arrive as UTF-16, as the interface has them; the file system wants UTF-8. A lone
// surrogate becomes U+FFFD, so a damaged name fails to open rather than opening something else.
std::string Utf16ToUtf8(LPCWSTR text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(p[1]) - 0xDC00);
            ++p;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Hundredths of a decibel of attenuation as an amplitude factor; the bottom of the scale is
// true silence, not -100 dB.
float AttenuationGain(LONG attenuation) {
    if (attenuation <= kSilent)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

void ReadClock(int64_t& ticks, int64_t& frequency) {
    win::Clock& clock = win::CurrentClock();
    if (clock.PerformanceFrequency(frequency) && frequency > 0 && clock.PerformanceCounter(ticks))
        return;
    frequency = 1000;
    ticks = clock.Milliseconds();
}

} // namespace

HRESULT FilterGraph::CreateInstance(REFIID iid, void** object) {
    FilterGraph* graph = new (std::nothrow) FilterGraph;
    if (!graph)
        return E_OUTOFMEMORY;
    const HRESULT result = graph->QueryInterface(iid, object);
    graph->Release(); // the interface asked for holds it now, or nothing does
    return result;
}

FilterGraph::~FilterGraph() {
    if (FVoice)
        FMixer->RemoveVoice(FVoice);
}

HRESULT FilterGraph::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IUnknown::Iid || iid == IGraphBuilder::Iid)
        *object = static_cast<IGraphBuilder*>(this);
    else if (iid == IMediaControl::Iid)
        *object = static_cast<IMediaControl*>(this);
    else if (iid == IMediaPosition::Iid)
        *object = static_cast<IMediaPosition*>(this);
    else if (iid == IBasicAudio::Iid)
        *object = static_cast<IBasicAudio*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG FilterGraph::AddRef() {
    return ++FReferences;
}

ULONG FilterGraph::Release() {
    const ULONG left = --FReferences;
    if (left == 0)
        delete this;
    return left;
}

HRESULT FilterGraph::RenderFile(LPCWSTR file, LPCWSTR playList) {
    if (!file)
        return E_POINTER;
    if (playList)
        return E_INVALIDARG;
    if (FVoice || FRunning)
        return VFW_E_WRONG_STATE;
    const std::string path = rtl::ResolvePath(Utf16ToUtf8(file));
    if (!rtl::FileExists(path))
        return VFW_E_NOT_FOUND;
    std::unique_ptr<SoundFile> sound = SoundFile::Open(path);
    if (!sound)
        return VFW_E_UNKNOWN_FILE_TYPE;
    const int64_t frames = sound->Frames();
    const int sampleRate = sound->SampleRate();

    std::shared_ptr<AudioMixer> mixer = AudioMixer::Acquire();
    std::shared_ptr<AudioMixer::Voice> voice = mixer->AddVoice(std::move(sound));
    if (!voice)
        return VFW_E_UNSUPPORTED_STREAM;
    FMixer = std::move(mixer);
    FVoice = std::move(voice);
    FFrames = frames;
    FSampleRate = sampleRate;
    FPosition = 0;
    ApplyGains();
    return S_OK;
}

HRESULT FilterGraph::Run() {
    if (FRunning)
        return S_OK;
    StartClock();
    FRunning = true;
    if (FVoice)
        FMixer->SetRunning(*FVoice, true);
    return S_OK;
}

HRESULT FilterGraph::Stop() {
    if (!FRunning)
        return S_OK;
    FPosition = StreamPosition();
    FRunning = false;
    if (FVoice) {
        FMixer->SetRunning(*FVoice, false);
        // The device played a little past the clock's idea of where we are; back up so that
        // the next run goes on from the position reported now.
        SeekVoice(FPosition);
    }
    return S_OK;
}

HRESULT FilterGraph::put_CurrentPosition(REFTIME position) {
    if (std::isnan(position))
        return E_INVALIDARG;
    FPosition = std::clamp(position, 0.0, Duration());
    if (FRunning)
        StartClock();
    SeekVoice(FPosition);
    return S_OK;
}

HRESULT FilterGraph::get_CurrentPosition(REFTIME* position) {
    if (!position)
        return E_POINTER;
    *position = StreamPosition();
    return S_OK;
}

HRESULT FilterGraph::get_Duration(REFTIME* duration) {
    if (!duration)
        return E_POINTER;
    *duration = Duration();
    return S_OK;
}

HRESULT FilterGraph::put_Volume(LONG volume) {
    if (volume < kSilent || volume > 0)
        return E_INVALIDARG;
    FVolume = volume;
    ApplyGains();
    return S_OK;
}

HRESULT FilterGraph::put_Balance(LONG balance) {
    if (balance < kSilent || balance > -kSilent)
        return E_INVALIDARG;
    FBalance = balance;
    ApplyGains();
    return S_OK;
}

REFTIME FilterGraph::Duration() const {
    return FSampleRate > 0 ? static_cast<double>(FFrames) / FSampleRate : 0.0;
}

void FilterGraph::StartClock() {
    ReadClock(FStartTicks, FStartFrequency);
}

REFTIME FilterGraph::StreamPosition() {
    if (!FRunning)
        return FPosition;
    int64_t ticks = 0;
    int64_t frequency = 0;
    ReadClock(ticks, frequency);
    if (frequency != FStartFrequency || ticks < FStartTicks) {
        // Another clock was installed (or a millisecond clock wrapped): go on from the last
        // known place rather than from a meaningless difference.
        FStartTicks = ticks;
        FStartFrequency = frequency;
    }
    const double elapsed = static_cast<double>(ticks - FStartTicks) / frequency;
    const REFTIME duration = Duration();
    if (FPosition + elapsed >= duration) {
        // Park at the end so a later run or a changed clock cannot move it on.
        FPosition = duration;
        FStartTicks = ticks;
        return duration;
    }
    return FPosition + elapsed;
}

void FilterGraph::SeekVoice(REFTIME position) {
    if (!FVoice)
        return;
    const auto frame = static_cast<int64_t>(std::llround(position * FSampleRate));
    FMixer->Seek(*FVoice, std::clamp<int64_t>(frame, 0, FFrames));
}

void FilterGraph::ApplyGains() {
    if (!FVoice)
        return;
    const float volume = AttenuationGain(FVolume);
    // Balance turns the other side down; the favoured side keeps the volume.
    const float left = volume * (FBalance > 0 ? AttenuationGain(-FBalance) : 1.0f);
    const float right = volume * (FBalance < 0 ? AttenuationGain(FBalance) : 1.0f);
    FMixer->SetGains(*FVoice, left, right);
}

} // namespace dshow
