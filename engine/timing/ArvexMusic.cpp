#include "engine/timing/ArvexMusic.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kSilent = -10000;

template <typename T>
void ReleaseInterface(T*& pointer) {
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

// Engine text is Windows-1252, one UTF-16 unit per byte.
std::u16string Win1252ToUtf16(const std::string& text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide += static_cast<char16_t>(rtl::Win1252ToUnicode(static_cast<uint8_t>(c)));
    return wide;
}

} // namespace

int32_t VolumeToAttenuation(int32_t volume) {
    if (volume <= 0)
        return kSilent;
    return static_cast<int32_t>(rtl::RoundAway(1000.0 * std::log10(volume / 100.0)));
}

int32_t PanToBalance(int32_t pan) {
    if (pan == 0)
        return 0;
    if (pan <= -100)
        return kSilent;
    if (pan >= 100)
        return -kSilent;
    if (pan < 0)
        return static_cast<int32_t>(rtl::RoundAway(1000.0 * std::log10((pan + 100) / 100.0)));
    return -static_cast<int32_t>(rtl::RoundAway(1000.0 * std::log10((100 - pan) / 100.0)));
}

// ---------------------------------------------------------------------------------------------

TSongListItem::TSongListItem(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}

TSongListItem::~TSongListItem() {
    ReleaseInterfaces();
}

void TSongListItem::ReleaseInterfaces() {
    ReleaseInterface(FBasicAudio);
    ReleaseInterface(FMediaPosition);
    ReleaseInterface(FMediaControl);
    ReleaseInterface(FGraphBuilder);
}

void TSongListItem::LoadFromFile(const std::string& fileName) {
    if (fileName.empty())
        return;
    ReleaseInterfaces();
    if (dshow::FAILED(dshow::CoCreateInstance(dshow::CLSID_FilterGraph, nullptr,
                                              dshow::CLSCTX_INPROC, &FGraphBuilder)))
        throw rtl::Exception("Failed to initialise DirectX Audio. DirectX 8 may not be installed");
    if (dshow::FAILED(FGraphBuilder->QueryInterface(&FMediaControl)) ||
        dshow::FAILED(FGraphBuilder->QueryInterface(&FMediaPosition)) ||
        dshow::FAILED(FGraphBuilder->QueryInterface(&FBasicAudio)))
        throw rtl::Exception("Failed to initialise DirectShow. DirectX 8 may not be installed");
    // A new graph starts at full volume and centred whatever the song says; bring it in line
    // so the song sounds the way its properties read. A graph that refuses keeps its own.
    FBasicAudio->put_Volume(VolumeToAttenuation(FVolume));
    FBasicAudio->put_Balance(PanToBalance(FPan));
    const std::u16string wide = Win1252ToUtf16(fileName);
    if (dshow::SUCCEEDED(FGraphBuilder->RenderFile(wide.c_str(), nullptr)))
        FLoaded = true;
}

void TSongListItem::Open() {
    if (!FLoaded) {
        SetVolume(FVolume);
        SetPan(FPan);
        LoadFromFile(FileName);
    }
    FActive = true;
}

void TSongListItem::Play() {
    if (!FActive || !FMediaControl || !FMediaPosition)
        return;
    FMediaPosition->put_CurrentPosition(0.0);
    if (dshow::FAILED(FMediaControl->Run()))
        throw rtl::Exception("Error playing sound");
}

void TSongListItem::Stop() {
    if (!FMediaControl || !FMediaPosition)
        return;
    if (dshow::FAILED(FMediaControl->Stop()))
        throw rtl::Exception("Error stopping sound");
    FMediaPosition->put_CurrentPosition(0.0);
}

double TSongListItem::Position() {
    if (!FMediaPosition)
        return 0.0;
    double position = 0.0;
    if (dshow::FAILED(FMediaPosition->get_CurrentPosition(&position)))
        throw rtl::Exception("Error getting position");
    return position;
}

void TSongListItem::SetPosition(double value) {
    if (FMediaPosition)
        FMediaPosition->put_CurrentPosition(value);
}

double TSongListItem::Duration() {
    if (!FMediaPosition)
        return 0.0;
    double duration = 0.0;
    if (dshow::FAILED(FMediaPosition->get_Duration(&duration)))
        return 0.0;
    return duration;
}

bool TSongListItem::BeforeEnd() {
    // Position first: it is the one that can raise.
    const double position = Position();
    return position < Duration();
}

void TSongListItem::CheckLoop() {
    const double position = Position();
    if (position >= Duration())
        SetPosition(0.0);
}

void TSongListItem::SetVolume(int32_t value) {
    FVolume = std::clamp(value, 0, 100);
    if (FBasicAudio)
        FBasicAudio->put_Volume(VolumeToAttenuation(FVolume));
}

void TSongListItem::SetPan(int32_t value) {
    FPan = std::clamp(value, -100, 100);
    if (FBasicAudio && dshow::FAILED(FBasicAudio->put_Balance(PanToBalance(FPan))))
        throw rtl::Exception("Error setting Pan");
}

// ---------------------------------------------------------------------------------------------

TSongListCollection::TSongListCollection(rtl::TComponent* owner) : FOwner(owner) {
    // Already initialised on this thread (S_FALSE) is fine: it still counts, and the destructor
    // undoes exactly this one.
    if (dshow::FAILED(dshow::CoInitialize(nullptr)))
        throw rtl::Exception("Failed to initialise COM");
}

TSongListCollection::~TSongListCollection() {
    // No interface may be released after COM is shut down on the thread.
    Clear();
    dshow::CoUninitialize();
}

void TSongListCollection::CheckLoops() {
    for (int i = 0; i < Count(); ++i) {
        TSongListItem* song = Items(i);
        if (song->Loop)
            song->CheckLoop();
    }
}

// ---------------------------------------------------------------------------------------------

TArvexMusic::TArvexMusic(rtl::TComponent* owner)
    : rtl::TComponent(owner), FSongs(std::make_unique<TSongListCollection>(this)) {}

void TArvexMusic::SetSongs(const TSongListCollection* value) {
    if (!value)
        throw rtl::EConvertError("Cannot assign a nil to a TSongListCollection");
    if (value == FSongs.get())
        return;
    if (value->Count() > 0)
        throw rtl::EConvertError("Cannot assign a TSongListItem to a TSongListItem");
    FSongs->Clear();
}

void TArvexMusic::OpenAll() {
    for (int i = 0; i < FSongs->Count(); ++i)
        FSongs->Items(i)->Open();
}

void TArvexMusic::CheckLoops() {
    FSongs->CheckLoops();
}
