// The filter graph: one object behind the four graph interfaces, playing one file.
//
// Stands in for: the filter graph manager with a source, a decoder and the audio renderer.
// Relies on: SoundFile to open and decode, AudioMixer to be heard, and the foundation's clock
// (win::CurrentClock) for stream time.
//
// Stream time comes from the clock, not from the device: a running graph's position is where
// it started (or was last sought to) plus the clock time since, held at the duration once it
// gets there. So a graph times, loops and seeks the same whether or not there is a sound
// device, and tests drive it with a virtual clock. The audio follows the same place: runs,
// stops and seeks move the decoder too. The two can part by the device's latency (tens of
// milliseconds), and further only if the decoder falls behind, which it never should.
//
// Limits: replacing the clock while a graph runs loses the time that graph had run since it
// last started (it goes on from there); a millisecond-only clock wraps after 49 days.
#pragma once

#include "platform/dshow/AudioMixer.h"
#include "platform/dshow/DShow.h"

#include <atomic>
#include <memory>

namespace dshow {

class FilterGraph final : public IGraphBuilder,
                          public IMediaControl,
                          public IMediaPosition,
                          public IBasicAudio {
public:
    // The class's factory for CoCreateInstance.
    static HRESULT CreateInstance(REFIID iid, void** object);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override;

    HRESULT Run() override;
    HRESULT Stop() override;

    HRESULT put_CurrentPosition(REFTIME position) override;
    HRESULT get_CurrentPosition(REFTIME* position) override;
    HRESULT get_Duration(REFTIME* duration) override;

    HRESULT put_Volume(LONG volume) override;
    HRESULT put_Balance(LONG balance) override;

private:
    FilterGraph() = default;
    ~FilterGraph() override;

    REFTIME Duration() const;
    REFTIME StreamPosition();
    void StartClock();
    void SeekVoice(REFTIME position);
    void ApplyGains();

    std::atomic<ULONG> FReferences{1};
    // Declared before the voice so the voice is let go of first.
    std::shared_ptr<AudioMixer> FMixer;
    std::shared_ptr<AudioMixer::Voice> FVoice;
    int64_t FFrames = 0;
    int FSampleRate = 0;
    bool FRunning = false;
    // Stopped: the position. Running: the position when the clock reading below was taken.
    REFTIME FPosition = 0;
    int64_t FStartTicks = 0;
    int64_t FStartFrequency = 0;
    LONG FVolume = 0;
    LONG FBalance = 0;
};

} // namespace dshow
