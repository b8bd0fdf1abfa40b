#include "engine/timing/ArvexMusic.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Clock.h"
#include "tests/support/Headless.h"
#include "tests/support/Sound.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <thread>

using namespace dshow;
using testing_support::AudioCapture;
using testing_support::SoundFormat;
using testing_support::WriteTone;

namespace {

// ---------------------------------------------------------------------------------------------
// A stand-in filter graph that records every call in one log and fails the calls it is told
// to. Each interface is a separate tear-off object, so the log shows which one was released.

struct FakeScript {
    std::vector<std::string> Log;
    std::set<std::string> Fail; // "Run", "Stop", "put_Balance", "QueryInterface IBasicAudio", ...
    double Position = 0;
    double Duration = 10;
    int Graphs = 0;
    int Alive = 0;
    // COM's count on the releasing thread at each release; must never have reached zero.
    std::vector<int> InitCountAtRelease;

    HRESULT Call(int graph, const std::string& what, const std::string& argument = "") {
        Log.push_back("g" + std::to_string(graph) + " " + what +
                      (argument.empty() ? "" : " " + argument));
        return Fail.count(what) ? E_FAIL : S_OK;
    }
    HRESULT QueryInterface(int graph, REFIID iid, void** object);
};

template <typename I>
class Part : public I {
public:
    Part(FakeScript& script, int graph, const char* name) : S(script), G(graph), Name(name) {
        ++S.Alive;
    }
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return S.QueryInterface(G, iid, object);
    }
    ULONG AddRef() override { return ++Refs; }
    ULONG Release() override {
        if (--Refs > 0)
            return Refs;
        S.Call(G, std::string("Release ") + Name);
        S.InitCountAtRelease.push_back(CoInitializeCount());
        --S.Alive;
        delete this;
        return 0;
    }

protected:
    FakeScript& S;
    int G;
    const char* Name;
    ULONG Refs = 1;
};

class FakeBuilder final : public Part<IGraphBuilder> {
public:
    using Part::Part;
    HRESULT RenderFile(LPCWSTR file, LPCWSTR) override {
        return S.Call(G, "RenderFile",
                      std::string(file, file + std::char_traits<char16_t>::length(file)));
    }
};

class FakeControl final : public Part<IMediaControl> {
public:
    using Part::Part;
    HRESULT Run() override { return S.Call(G, "Run"); }
    HRESULT Stop() override { return S.Call(G, "Stop"); }
};

class FakePosition final : public Part<IMediaPosition> {
public:
    using Part::Part;
    HRESULT put_CurrentPosition(REFTIME position) override {
        S.Position = position;
        return S.Call(G, "put_CurrentPosition", Text(position));
    }
    HRESULT get_CurrentPosition(REFTIME* position) override {
        *position = S.Position;
        return S.Call(G, "get_CurrentPosition");
    }
    HRESULT get_Duration(REFTIME* duration) override {
        *duration = S.Duration;
        const HRESULT result = S.Call(G, "get_Duration");
        if (FAILED(result))
            *duration = 123.0; // what a failing call leaves behind must not be used
        return result;
    }
    static std::string Text(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }
};

class FakeAudio final : public Part<IBasicAudio> {
public:
    using Part::Part;
    HRESULT put_Volume(LONG volume) override {
        return S.Call(G, "put_Volume", std::to_string(volume));
    }
    HRESULT put_Balance(LONG balance) override {
        return S.Call(G, "put_Balance", std::to_string(balance));
    }
};

HRESULT FakeScript::QueryInterface(int graph, REFIID iid, void** object) {
    const char* name = iid == IGraphBuilder::Iid    ? "IGraphBuilder"
                       : iid == IMediaControl::Iid  ? "IMediaControl"
                       : iid == IMediaPosition::Iid ? "IMediaPosition"
                       : iid == IBasicAudio::Iid    ? "IBasicAudio"
                                                    : nullptr;
    *object = nullptr;
    if (!name || Fail.count(std::string("QueryInterface ") + name))
        return E_NOINTERFACE;
    if (iid == IGraphBuilder::Iid)
        *object = static_cast<IGraphBuilder*>(new FakeBuilder(*this, graph, name));
    else if (iid == IMediaControl::Iid)
        *object = static_cast<IMediaControl*>(new FakeControl(*this, graph, name));
    else if (iid == IMediaPosition::Iid)
        *object = static_cast<IMediaPosition*>(new FakePosition(*this, graph, name));
    else
        *object = static_cast<IBasicAudio*>(new FakeAudio(*this, graph, name));
    return S_OK;
}

// While it lives, every filter graph made is a fake one driven by Script.
class FakeGraphs {
public:
    FakeGraphs() {
        FCookie = RegisterClassFactory(CLSID_FilterGraph, [this](REFIID iid, void** object) {
            *object = nullptr;
            if (Script.Fail.count("CoCreateInstance"))
                return E_FAIL;
            const int graph = ++Script.Graphs;
            Script.Log.push_back("g" + std::to_string(graph) + " created");
            return Script.QueryInterface(graph, iid, object);
        });
    }
    ~FakeGraphs() {
        RevokeClassFactory(FCookie);
        EXPECT_EQ(Script.Alive, 0) << "every interface is released";
    }
    // The log since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> log;
        log.swap(Script.Log);
        return log;
    }

    FakeScript Script;

private:
    DWORD FCookie;
};

using Log = std::vector<std::string>;

void ExpectRaises(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "expected \"" << message << "\"";
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.Message, message);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------

TEST(MusicConversions, VolumeAndPanBecomeHundredthsOfADecibel) {
    EXPECT_EQ(VolumeToAttenuation(100), 0);
    EXPECT_EQ(VolumeToAttenuation(50), -301);
    EXPECT_EQ(VolumeToAttenuation(25), -602);
    EXPECT_EQ(VolumeToAttenuation(10), -1000);
    EXPECT_EQ(VolumeToAttenuation(1), -2000);
    EXPECT_EQ(VolumeToAttenuation(0), -10000);
    EXPECT_EQ(VolumeToAttenuation(-7), -10000);

    EXPECT_EQ(PanToBalance(0), 0);
    EXPECT_EQ(PanToBalance(-100), -10000);
    EXPECT_EQ(PanToBalance(-250), -10000);
    EXPECT_EQ(PanToBalance(100), 10000);
    EXPECT_EQ(PanToBalance(1), 4); // -4.36 rounds to -4, then the sign turns
    EXPECT_EQ(PanToBalance(-1), -4);
    EXPECT_EQ(PanToBalance(50), 301);
    EXPECT_EQ(PanToBalance(-50), -301);
    EXPECT_EQ(PanToBalance(99), 2000);
    EXPECT_EQ(PanToBalance(-99), -2000);
}

TEST(ArvexMusic, SongsStartWithTheirDefaultsAndNoGraph) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    EXPECT_EQ(music.Songs()->Count(), 0);
    EXPECT_EQ(music.Songs()->Owner(), &music);
    TSongListItem* song = music.Songs()->Add();
    EXPECT_EQ(song->Volume(), 100);
    EXPECT_EQ(song->Pan(), 0);
    EXPECT_FALSE(song->Loaded());
    EXPECT_FALSE(song->Active());
    EXPECT_FALSE(song->Loop);
    EXPECT_EQ(song->FileName, "");
    song->Name = "Theme";
    EXPECT_EQ(song->DisplayName(), "Theme");
    EXPECT_EQ(music.Songs()->Items(0), song);
    EXPECT_THROW(music.Songs()->Items(1), rtl::EListError);

    // Without a graph nothing reaches the platform and nothing fails.
    song->Play();
    song->Stop();
    song->SetPosition(3);
    EXPECT_EQ(song->Position(), 0.0);
    EXPECT_EQ(song->Duration(), 0.0);
    EXPECT_FALSE(song->BeforeEnd());
    song->CheckLoop();
    song->LoadFromFile("");
    EXPECT_EQ(fakes.Take(), Log{});
}

TEST(ArvexMusic, VolumeAndPanAreClampedAndAlwaysApplied) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();
    song->SetVolume(150);
    EXPECT_EQ(song->Volume(), 100);
    song->SetPan(-300);
    EXPECT_EQ(song->Pan(), -100);
    EXPECT_EQ(fakes.Take(), Log{}) << "no graph yet";

    song->LoadFromFile("a.mp3");
    fakes.Take();
    song->SetVolume(-5);
    EXPECT_EQ(song->Volume(), 0);
    song->SetVolume(0);
    song->SetVolume(25);
    song->SetPan(1);
    song->SetPan(1);
    song->SetPan(99);
    song->SetPan(500);
    EXPECT_EQ(song->Pan(), 100);
    EXPECT_EQ(fakes.Take(), (Log{"g1 put_Volume -10000", "g1 put_Volume -10000",
                                 "g1 put_Volume -602", "g1 put_Balance 4", "g1 put_Balance 4",
                                 "g1 put_Balance 2000", "g1 put_Balance 10000"}));
}

TEST(ArvexMusic, LoadingBuildsAFreshGraphAndReleasesTheOldOneFirst) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();
    song->FileName = "untouched.mp3";
    song->LoadFromFile("first.mp3");
    EXPECT_EQ(fakes.Take(), (Log{"g1 created", "g1 put_Volume 0", "g1 put_Balance 0",
                                 "g1 RenderFile first.mp3"}));
    EXPECT_TRUE(song->Loaded());
    EXPECT_EQ(song->FileName, "untouched.mp3");

    song->LoadFromFile("");
    EXPECT_EQ(fakes.Take(), Log{}) << "an empty name keeps the graph";

    fakes.Script.Fail = {"RenderFile"};
    song->LoadFromFile("M\xFAsica.mp3"); // Windows-1252 u-acute becomes UTF-16 U+00FA
    EXPECT_EQ(fakes.Take(),
              (Log{"g1 Release IBasicAudio", "g1 Release IMediaPosition",
                   "g1 Release IMediaControl", "g1 Release IGraphBuilder", "g2 created",
                   "g2 put_Volume 0", "g2 put_Balance 0", "g2 RenderFile M\xFAsica.mp3"}));
    EXPECT_TRUE(song->Loaded()) << "a failed render leaves Loaded as it was";
}

TEST(ArvexMusic, ANewGraphTakesTheSongsVolumeAndPan) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();
    song->SetVolume(50);
    song->SetPan(-50);
    song->LoadFromFile("quiet.ogg");
    EXPECT_EQ(fakes.Take(), (Log{"g1 created", "g1 put_Volume -301", "g1 put_Balance -301",
                                 "g1 RenderFile quiet.ogg"}));
}

TEST(ArvexMusic, OpenLoadsOnlyWhatIsNotLoadedAndAlwaysActivates) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* loaded = music.Songs()->Add();
    loaded->FileName = "song.mp3";
    loaded->LoadFromFile("song.mp3");
    fakes.Take();
    loaded->Play();
    EXPECT_EQ(fakes.Take(), Log{}) << "Play before Open does nothing, even when loaded";
    loaded->Open();
    EXPECT_TRUE(loaded->Active());
    EXPECT_EQ(fakes.Take(), Log{}) << "Open after a successful load does not load again";

    // Not loaded: Volume and Pan go to the previous graph, then the file is loaded.
    fakes.Script.Fail = {"RenderFile"};
    TSongListItem* retry = music.Songs()->Add();
    retry->FileName = "missing.mp3";
    retry->LoadFromFile("missing.mp3");
    fakes.Script.Fail.clear();
    fakes.Take();
    retry->Open();
    EXPECT_EQ(fakes.Take(), (Log{"g2 put_Volume 0", "g2 put_Balance 0", "g2 Release IBasicAudio",
                                 "g2 Release IMediaPosition", "g2 Release IMediaControl",
                                 "g2 Release IGraphBuilder", "g3 created", "g3 put_Volume 0",
                                 "g3 put_Balance 0", "g3 RenderFile missing.mp3"}));
    EXPECT_TRUE(retry->Loaded());

    TSongListItem* nameless = music.Songs()->Add();
    nameless->Open();
    EXPECT_TRUE(nameless->Active()) << "active even with nothing to load";
    EXPECT_FALSE(nameless->Loaded());
    EXPECT_EQ(fakes.Take(), Log{});
}

TEST(ArvexMusic, PlayStopAndPositionTalkToTheGraph) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();
    song->FileName = "song.mp3";
    music.OpenAll();
    fakes.Take();

    song->Play();
    EXPECT_EQ(fakes.Take(), (Log{"g1 put_CurrentPosition 0", "g1 Run"}));
    song->Stop();
    EXPECT_EQ(fakes.Take(), (Log{"g1 Stop", "g1 put_CurrentPosition 0"}));

    fakes.Script.Position = 4.5;
    fakes.Script.Duration = 9;
    EXPECT_EQ(song->Position(), 4.5);
    EXPECT_EQ(song->Duration(), 9.0);
    EXPECT_TRUE(song->BeforeEnd());
    song->SetPosition(2.25);
    fakes.Take();
    fakes.Script.Fail = {"get_Duration", "put_CurrentPosition", "put_Volume"};
    EXPECT_EQ(song->Duration(), 0.0) << "a failed duration counts as 0";
    song->SetPosition(1);
    song->SetVolume(10);
    EXPECT_EQ(fakes.Take(),
              (Log{"g1 get_Duration", "g1 put_CurrentPosition 1", "g1 put_Volume -1000"}))
        << "their failures are ignored";
}

TEST(ArvexMusic, CheckLoopsRewindsOnlyLoopingSongsAtTheirEnd) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* once = music.Songs()->Add();
    TSongListItem* looping = music.Songs()->Add();
    once->LoadFromFile("once.mp3");
    looping->LoadFromFile("loop.mp3");
    looping->Loop = true;
    fakes.Take();

    fakes.Script.Position = 3;
    fakes.Script.Duration = 10;
    music.CheckLoops();
    EXPECT_EQ(fakes.Take(), (Log{"g2 get_CurrentPosition", "g2 get_Duration"}))
        << "a song that is not set to loop is never touched";
    fakes.Script.Position = 10;
    music.CheckLoops();
    EXPECT_EQ(fakes.Take(),
              (Log{"g2 get_CurrentPosition", "g2 get_Duration", "g2 put_CurrentPosition 0"}));
}

TEST(ArvexMusic, FailuresRaiseTheirMessages) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();

    fakes.Script.Fail = {"CoCreateInstance"};
    ExpectRaises([&] { song->LoadFromFile("a.mp3"); },
                 "Failed to initialise DirectX Audio. DirectX 8 may not be installed");
    for (const char* missing : {"IMediaControl", "IMediaPosition", "IBasicAudio"}) {
        fakes.Script.Fail = {std::string("QueryInterface ") + missing};
        ExpectRaises([&] { song->LoadFromFile("a.mp3"); },
                     "Failed to initialise DirectShow. DirectX 8 may not be installed");
    }
    fakes.Script.Fail.clear();
    song->LoadFromFile("a.mp3");
    song->Open();

    fakes.Script.Fail = {"put_Balance"};
    ExpectRaises([&] { song->SetPan(20); }, "Error setting Pan");
    EXPECT_EQ(song->Pan(), 20) << "stored before the graph refused";
    fakes.Script.Fail = {"get_CurrentPosition"};
    ExpectRaises([&] { song->Position(); }, "Error getting position");
    song->Loop = true;
    ExpectRaises([&] { music.CheckLoops(); }, "Error getting position");
    fakes.Script.Fail = {"Run"};
    ExpectRaises([&] { song->Play(); }, "Error playing sound");
    fakes.Script.Fail = {"Stop"};
    fakes.Take();
    ExpectRaises([&] { song->Stop(); }, "Error stopping sound");
    EXPECT_EQ(fakes.Take(), Log{"g4 Stop"}) << "no rewind after a failed stop";
}

TEST(ArvexMusic, ComLivesAsLongAsTheSongListAndOutlivesEverySong) {
    const int before = CoInitializeCount();
    {
        FakeGraphs fakes;
        {
            TArvexMusic music(nullptr);
            EXPECT_EQ(CoInitializeCount(), before + 1);
            music.Songs()->Add()->LoadFromFile("a.mp3");
            music.Songs()->Add()->LoadFromFile("b.mp3");
        }
        EXPECT_EQ(CoInitializeCount(), before);
        ASSERT_EQ(fakes.Script.InitCountAtRelease.size(), 8u);
        for (int count : fakes.Script.InitCountAtRelease)
            EXPECT_EQ(count, before + 1) << "released while COM was still up";
    }

    // Without initialisation no graph can be made.
    TArvexMusic music(nullptr);
    CoUninitialize();
    ExpectRaises([&] { music.Songs()->Add()->LoadFromFile("a.mp3"); },
                 "Failed to initialise DirectX Audio. DirectX 8 may not be installed");
    CoInitialize(nullptr);
}

TEST(ArvexMusic, AThreadInitialisedForTheOtherKindCannotMakeTheSongList) {
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        rtl::TComponent owner(nullptr);
        ExpectRaises([&] { rtl::Create<TArvexMusic>(&owner); }, "Failed to initialise COM");
        EXPECT_EQ(owner.ComponentCount(), 0) << "the half-made component left its owner";
        EXPECT_EQ(CoInitializeCount(), 1);
        CoUninitialize();

        // Already initialised for the same kind is fine, and undone exactly once.
        CoInitialize(nullptr);
        { TArvexMusic music(nullptr); }
        EXPECT_EQ(CoInitializeCount(), 1);
        CoUninitialize();
    }).join();
}

TEST(ArvexMusic, AssigningSongsAcceptsOnlyAnEmptyList) {
    FakeGraphs fakes;
    TArvexMusic music(nullptr);
    music.Songs()->Add()->Name = "kept";
    TArvexMusic other(nullptr);
    other.Songs()->Add();
    EXPECT_THROW(music.SetSongs(other.Songs()), rtl::EConvertError);
    EXPECT_THROW(music.SetSongs(nullptr), rtl::EConvertError);
    ASSERT_EQ(music.Songs()->Count(), 1) << "a refused assignment changes nothing";

    TArvexMusic empty(nullptr);
    TSongListCollection* songs = music.Songs();
    music.SetSongs(empty.Songs());
    EXPECT_EQ(music.Songs(), songs) << "the owned list is never replaced";
    EXPECT_EQ(music.Songs()->Count(), 0);
}

// ---------------------------------------------------------------------------------------------
// Real graphs: on a virtual clock for timing, through SDL's disk driver for what is heard.

namespace {

class RealMusicTest : public ::testing::Test {
protected:
    std::string Tone(const std::string& name,
                     const std::vector<testing_support::ToneSegment>& segments,
                     SoundFormat format = SoundFormat::Wav, int sampleRate = 44100) {
        const std::string path = Dir.File(name);
        WriteTone(path, format, segments, 2, sampleRate);
        return path;
    }

    testing_support::TempDir Dir;
};

// The 10 ms windows of a capture.
struct Heard {
    std::vector<float> Samples;
    std::vector<testing_support::Window> Windows;
    std::vector<testing_support::Run> Loud;
};

Heard Listen(const AudioCapture& capture, double threshold = 0.05) {
    Heard heard;
    heard.Samples = capture.Read();
    heard.Windows = testing_support::Windows(heard.Samples);
    heard.Loud = testing_support::LoudRuns(heard.Windows, threshold);
    return heard;
}

// Silence after the last sound: exact zeros, since nothing at all is mixed in.
size_t SilentWindowsAtEnd(const Heard& heard) {
    size_t count = 0;
    for (auto it = heard.Windows.rbegin(); it != heard.Windows.rend() && it->Peak == 0.0f; ++it)
        ++count;
    return count;
}

const double kToneRms = 0.5 / std::sqrt(2.0);

} // namespace

TEST_F(RealMusicTest, AMissingFileRaisesNothingAndLeavesTheSongUnloaded) {
    TArvexMusic music(nullptr);
    TSongListItem* song = music.Songs()->Add();
    song->FileName = Dir.File("Music/Sound.mp3");
    song->LoadFromFile(song->FileName);
    EXPECT_FALSE(song->Loaded());
    song->Open();
    EXPECT_TRUE(song->Active());
    EXPECT_FALSE(song->Loaded());
    song->SetPan(-40);
    song->Play();
    EXPECT_EQ(song->Duration(), 0.0);
    music.CheckLoops();
    song->Stop();
}

TEST_F(RealMusicTest, LoopingIsPolledAgainstTheClock) {
    win::VirtualClock clock;
    win::SetClock(&clock);
    {
        TArvexMusic music(nullptr);
        TSongListItem* once = music.Songs()->Add();
        TSongListItem* looping = music.Songs()->Add();
        once->FileName = Tone("once.wav", {{0.5, 0.5}});
        looping->FileName = Tone("loop.mp3", {{0.5, 0.5}}, SoundFormat::Mp3);
        looping->Loop = true;
        music.OpenAll();
        ASSERT_TRUE(once->Loaded() && looping->Loaded());
        once->Play();
        looping->Play();

        clock.AdvanceMilliseconds(300);
        music.CheckLoops();
        EXPECT_NEAR(once->Position(), 0.3, 1e-9);
        EXPECT_NEAR(looping->Position(), 0.3, 1e-9);
        EXPECT_TRUE(looping->BeforeEnd());

        clock.AdvanceMilliseconds(400);
        EXPECT_FALSE(once->BeforeEnd());
        EXPECT_FALSE(looping->BeforeEnd());
        music.CheckLoops();
        EXPECT_EQ(once->Position(), once->Duration()) << "plays once per Play";
        EXPECT_EQ(looping->Position(), 0.0);
        clock.AdvanceMilliseconds(100);
        EXPECT_NEAR(looping->Position(), 0.1, 1e-9) << "rewound and still running";

        once->Play();
        clock.AdvanceMilliseconds(100);
        EXPECT_NEAR(once->Position(), 0.1, 1e-9);
        once->Stop();
        clock.AdvanceMilliseconds(100);
        EXPECT_EQ(once->Position(), 0.0) << "stopped and rewound";
    }
    win::SetClock(nullptr);
}

// A WAV at the device's rate, and an MP3 at 48 kHz that has to be resampled on the way.
class AudibleMusicTest : public RealMusicTest, public ::testing::WithParamInterface<SoundFormat> {
protected:
    std::string Song(const std::string& stem,
                     const std::vector<testing_support::ToneSegment>& segments) {
        return GetParam() == SoundFormat::Wav
                   ? Tone(stem + ".wav", segments)
                   : Tone(stem + ".mp3", segments, SoundFormat::Mp3, 48000);
    }
};

TEST_P(AudibleMusicTest, ASongPlaysAndStopSilencesIt) {
    const std::string file = Song("tone", {{2.0, 0.5}});
    AudioCapture capture(Dir.File("out.raw"));
    {
        TArvexMusic music(nullptr);
        TSongListItem* song = music.Songs()->Add();
        song->FileName = file;
        song->Open();
        ASSERT_EQ(CurrentAudioDriver(), "disk");
        song->Play();
        capture.Hear(0.3);
        song->Stop();
        capture.Hear(0.25);
    }
    const Heard heard = Listen(capture);
    ASSERT_EQ(heard.Loud.size(), 1u);
    const auto& run = heard.Loud[0];
    EXPECT_GE(run.Length(), 10u);
    EXPECT_LE(run.Length(), 40u) << "no longer than it was allowed to play";
    const auto level = testing_support::MeanLevel(heard.Windows, run);
    EXPECT_NEAR(level.Left, kToneRms, kToneRms * 0.05);
    EXPECT_NEAR(level.Right, kToneRms, kToneRms * 0.05);
    EXPECT_GE(SilentWindowsAtEnd(heard), 10u) << "after Stop, nothing";
}

TEST_P(AudibleMusicTest, ALoopingSongStartsAgainAfterItsEnd) {
    // Loud first half, quiet second: every start of the song is a jump to loud.
    const std::string file = Song("blip", {{0.1, 0.5}, {0.1, 0.1}});
    AudioCapture capture(Dir.File("out.raw"));
    // The song's position runs on a virtual clock that follows what the device has played: on
    // the real clock a loaded machine would let the position run ahead of the sound and start
    // the song again before its loud half was heard.
    win::VirtualClock clock;
    win::SetClock(&clock);
    {
        TArvexMusic music(nullptr);
        TSongListItem* song = music.Songs()->Add();
        song->FileName = file;
        song->Loop = true;
        song->Open();
        song->Play();
        // The game's frames, one for each block of sound played, until CheckLoops has started
        // the song again three times (each time the position falls back to the start).
        int restarts = 0;
        double last = 0.0;
        for (int frame = 0; frame < 1000 && restarts < 3; ++frame) {
            clock.AdvanceMilliseconds(1000.0 * capture.Hear(0.005));
            music.CheckLoops();
            const double position = song->Position();
            if (position < last)
                ++restarts;
            last = position;
        }
        EXPECT_EQ(restarts, 3) << "the song never came round again";
        song->Stop();
        capture.Hear(0.05);
    }
    win::SetClock(nullptr);
    const Heard heard = Listen(capture, 0.2);
    EXPECT_GE(heard.Loud.size(), 3u) << "four starts, the last one perhaps cut short by Stop";
    EXPECT_LE(heard.Loud.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Formats, AudibleMusicTest,
                         ::testing::Values(SoundFormat::Wav, SoundFormat::Mp3),
                         [](const auto& info) {
                             return info.param == SoundFormat::Wav ? "Wav" : "Mp3";
                         });

TEST_F(RealMusicTest, VolumeHalvesTheAmplitudeAtMinus602AndPanSilencesASide) {
    const std::string file = Tone("tone.wav", {{2.0, 0.5}});
    AudioCapture capture(Dir.File("out.raw"));
    {
        TArvexMusic music(nullptr);
        TSongListItem* song = music.Songs()->Add();
        song->FileName = file;
        song->Open();
        song->Play();
        capture.Hear(0.2);
        song->Stop();
        capture.Hear(0.12);
        song->SetVolume(25); // -602 hundredths of a decibel
        song->Play();
        capture.Hear(0.2);
        song->Stop();
        capture.Hear(0.12);
        song->SetVolume(100);
        song->SetPan(-100); // balance -10000
        song->Play();
        capture.Hear(0.2);
        song->Stop();
        capture.Hear(0.1);
    }
    const Heard heard = Listen(capture, 0.02);
    ASSERT_EQ(heard.Loud.size(), 3u);
    const auto full = testing_support::MeanLevel(heard.Windows, heard.Loud[0]);
    const auto half = testing_support::MeanLevel(heard.Windows, heard.Loud[1]);
    const auto left = testing_support::MeanLevel(heard.Windows, heard.Loud[2]);
    EXPECT_NEAR(full.Left, kToneRms, kToneRms * 0.02);
    EXPECT_NEAR(half.Left / full.Left, 0.5, 0.01);
    EXPECT_NEAR(half.Right / full.Right, 0.5, 0.01);
    EXPECT_NEAR(left.Left, full.Left, full.Left * 0.01);
    EXPECT_EQ(left.Right, 0.0);
    float rightPeak = 0;
    for (size_t i = heard.Loud[2].First * testing_support::kWindowFrames;
         i < (heard.Loud[2].Last + 1) * testing_support::kWindowFrames; ++i)
        rightPeak = std::max(rightPeak, std::fabs(heard.Samples[2 * i + 1]));
    EXPECT_EQ(rightPeak, 0.0f) << "the right channel is silent, not merely quiet";
}

TEST_F(RealMusicTest, AnMp3SeeksToWhereItIsTold) {
    // Two halves of different loudness: playing from 1.0 s must sound like the second.
    const std::string file = Tone("halves.mp3", {{1.0, 0.5}, {1.0, 0.2}}, SoundFormat::Mp3);
    AudioCapture capture(Dir.File("out.raw"));
    {
        TArvexMusic music(nullptr);
        TSongListItem* song = music.Songs()->Add();
        song->FileName = file;
        song->Open();
        EXPECT_NEAR(song->Duration(), 2.0, 1e-3);
        song->Play();
        song->SetPosition(1.05);
        capture.Hear(0.25);
        EXPECT_GT(song->Position(), 1.2);
        song->Stop();
        capture.Hear(0.1);
    }
    const Heard heard = Listen(capture, 0.05);
    ASSERT_EQ(heard.Loud.size(), 1u);
    // The last 100 ms heard: a callback may have caught the start before the seek.
    const auto& run = heard.Loud[0];
    ASSERT_GE(run.Length(), 14u);
    const auto level = testing_support::MeanLevel(heard.Windows, {run.Last - 12, run.Last});
    EXPECT_NEAR(level.Left, 0.2 / std::sqrt(2.0), 0.2 / std::sqrt(2.0) * 0.1);
}
