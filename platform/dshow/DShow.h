// The DirectShow interfaces the music player uses: a filter graph per song that renders one
// file, runs and stops, seeks and reports in seconds, and sets volume and balance in
// hundredths of a decibel.
//
// Stands in for: the filter graph class with IGraphBuilder, IMediaControl, IMediaPosition and
// IBasicAudio, each cut down to the calls the engine makes.
// Relies on: Com.h for identities, reference counting and creation; FilterGraph.cpp for the
// graph itself (libsndfile decoding, one SDL audio device for every graph).
// Limits: a graph renders one audio file (MP3, Ogg Vorbis, FLAC, WAV and whatever else the
// installed libsndfile reads); rendering a second file into the same graph fails. There are no
// events: a graph that reaches the end of its file stays running, silent, until it is sought
// or stopped.
#pragma once

#include "platform/dshow/Com.h"

#include <string>

namespace dshow {

using LPCWSTR = const char16_t*;
// Media time in seconds.
using REFTIME = double;

constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216);
constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHResult(0x80040240);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHResult(0x80040265);

constexpr CLSID CLSID_FilterGraph{
    0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

class IGraphBuilder : public IUnknown {
public:
    static constexpr IID Iid{
        0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

    // Builds the playback chain for a file. VFW_E_NOT_FOUND when there is no such file,
    // VFW_E_UNKNOWN_FILE_TYPE when it cannot be decoded, VFW_E_UNSUPPORTED_STREAM when its
    // audio cannot be played. playList must be nullptr.
    virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0;

protected:
    ~IGraphBuilder() override = default;
};

class IMediaControl : public IUnknown {
public:
    static constexpr IID Iid{
        0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

    // Starts the graph at its current position; S_OK also when it already runs.
    virtual HRESULT Run() = 0;
    // Halts it where it is.
    virtual HRESULT Stop() = 0;

protected:
    ~IMediaControl() override = default;
};

class IMediaPosition : public IUnknown {
public:
    static constexpr IID Iid{
        0x56A868B2, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

    // Seconds from the start; clamped to 0 .. duration. A running graph plays on from there.
    virtual HRESULT put_CurrentPosition(REFTIME position) = 0;
    virtual HRESULT get_CurrentPosition(REFTIME* position) = 0;
    virtual HRESULT get_Duration(REFTIME* duration) = 0;

protected:
    ~IMediaPosition() override = default;
};

class IBasicAudio : public IUnknown {
public:
    static constexpr IID Iid{
        0x56A868B3, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

    // Attenuation in hundredths of a decibel: 0 full, -10000 silent. E_INVALIDARG outside.
    virtual HRESULT put_Volume(LONG volume) = 0;
    // -10000 left only (the right channel silent) .. 0 both .. 10000 right only, in hundredths
    // of a decibel of attenuation of the other channel. E_INVALIDARG outside.
    virtual HRESULT put_Balance(LONG balance) = 0;

protected:
    ~IBasicAudio() override = default;
};

// Which SDL audio driver the graphs play through, or empty while none is open (no graph has
// rendered a file, or this machine has no sound, in which case graphs play silently).
std::string CurrentAudioDriver();

} // namespace dshow
