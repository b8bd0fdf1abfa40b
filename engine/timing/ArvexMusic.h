// TArvexMusic: background music. Each song in Songs builds its own playback graph for one file
// and offers play, stop, position, volume and balance.
//
// Looping is polled, not evented: the owner calls CheckLoops regularly and every song with Loop
// set that has reached its end is rewound. That only works because a graph that played to its
// end is still running, silently, so the rewind restarts it.
//
// Traps worth knowing:
// - Play does nothing until Open has run, even when a file is loaded.
// - Loaded stays true after a later load whose file could not be rendered: Open then does not
//   try again, and the song plays its empty graph (silence).
// - COM is initialised for the song list's lifetime on the thread that creates it; every song
//   releases its graph before the list shuts COM down again.
// - Volume and Pan always apply to the graph, even when given the value they already have.
#pragma once

#include "platform/dshow/DShow.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"

#include <cstdint>
#include <memory>
#include <string>

// Percent (0 .. 100) as hundredths of a decibel: 100 gives 0, 50 gives -301, 0 silence.
int32_t VolumeToAttenuation(int32_t volume);
// Balance -100 (left only) .. 100 (right only) as hundredths of a decibel, -10000 .. 10000;
// the other side is turned down on the same logarithmic scale as the volume.
int32_t PanToBalance(int32_t pan);

class TSongListItem : public rtl::TCollectionItem {
public:
    explicit TSongListItem(rtl::TCollection* collection);
    ~TSongListItem() override;

    // Builds a fresh graph for the file; FileName is not changed. Nothing happens for an empty
    // name. A file that cannot be rendered raises nothing and leaves Loaded as it was.
    void LoadFromFile(const std::string& fileName);
    // Loads FileName unless something is loaded, and marks the song active.
    void Open();
    void Play();
    void Stop();

    // Seconds; 0 without a graph.
    double Position();
    void SetPosition(double value);
    double Duration();
    bool BeforeEnd();
    // Rewinds to the start once the end is reached.
    void CheckLoop();

    int32_t Volume() const { return FVolume; }
    void SetVolume(int32_t value);
    int32_t Pan() const { return FPan; }
    void SetPan(int32_t value);

    bool Loaded() const { return FLoaded; }
    bool Active() const { return FActive; }

    std::string DisplayName() const override { return Name; }

    std::string FileName;
    std::string Name;
    bool Loop = false;

private:
    void ReleaseInterfaces();

    int32_t FPan = 0;
    int32_t FVolume = 100;
    bool FLoaded = false;
    bool FActive = false;
    dshow::IGraphBuilder* FGraphBuilder = nullptr;
    dshow::IMediaPosition* FMediaPosition = nullptr;
    dshow::IMediaControl* FMediaControl = nullptr;
    dshow::IBasicAudio* FBasicAudio = nullptr;
};

// The songs of one music component. COM lives exactly as long as the list.
class TSongListCollection : public rtl::TTypedCollection<TSongListItem> {
public:
    // Raises "Failed to initialise COM" when the thread cannot be initialised.
    explicit TSongListCollection(rtl::TComponent* owner);
    // Frees the songs, then undoes the initialisation.
    ~TSongListCollection() override;

    rtl::TComponent* Owner() const { return FOwner; }

    // Every song with Loop set, in index order.
    void CheckLoops();

private:
    rtl::TComponent* FOwner;
};

class TArvexMusic : public rtl::TComponent {
public:
    explicit TArvexMusic(rtl::TComponent* owner);

    TSongListCollection* Songs() const { return FSongs.get(); }
    // A collection assignment: songs cannot be copied, so only an empty source succeeds (and
    // empties the list); any other raises EConvertError and leaves the list as it was.
    void SetSongs(const TSongListCollection* value);

    // Open on every song, in index order.
    void OpenAll();
    void CheckLoops();

private:
    std::unique_ptr<TSongListCollection> FSongs;
};
