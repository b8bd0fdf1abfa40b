#include "platform/dshow/DShow.h"
#include "platform/win/Clock.h"
#include "tests/support/Headless.h"
#include "tests/support/Sound.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace dshow;
using testing_support::AudioCapture;
using testing_support::SoundFormat;
using testing_support::WriteTone;

namespace {

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// A fresh graph with all four interfaces, released in the order the engine releases them.
struct Graph {
    Graph() {
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &Builder), S_OK);
        EXPECT_EQ(Builder->QueryInterface(&Control), S_OK);
        EXPECT_EQ(Builder->QueryInterface(&Seeking), S_OK);
        EXPECT_EQ(Builder->QueryInterface(&Audio), S_OK);
    }
    ~Graph() {
        Audio->Release();
        Seeking->Release();
        Control->Release();
        Builder->Release();
    }
    HRESULT Render(const std::string& asciiPath) {
        return Builder->RenderFile(Wide(asciiPath).c_str(), nullptr);
    }
    double Position() {
        double position = -1;
        EXPECT_EQ(Seeking->get_CurrentPosition(&position), S_OK);
        return position;
    }
    double Duration() {
        double duration = -1;
        EXPECT_EQ(Seeking->get_Duration(&duration), S_OK);
        return duration;
    }

    IGraphBuilder* Builder = nullptr;
    IMediaControl* Control = nullptr;
    IMediaPosition* Seeking = nullptr;
    IBasicAudio* Audio = nullptr;
};

// COM initialised on the test's thread and time on a virtual clock.
class GraphTest : public ::testing::Test {
protected:
    GraphTest() {
        win::SetClock(&Clock);
        CoInitialize(nullptr);
    }
    ~GraphTest() override {
        CoUninitialize();
        win::SetClock(nullptr);
    }

    std::string Tone(const std::string& name, double seconds,
                     SoundFormat format = SoundFormat::Wav) {
        const std::string path = Dir.File(name);
        WriteTone(path, format, {{seconds, 0.5}});
        return path;
    }

    win::VirtualClock Clock;
    testing_support::TempDir Dir;
};

} // namespace

TEST(Com, InitialisationIsCountedPerThreadAndKeepsItsKind) {
    std::thread([] {
        EXPECT_EQ(CoInitializeCount(), 0);
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(CoInitializeCount(), 2);
        std::thread([] {
            EXPECT_EQ(CoInitializeCount(), 0) << "another thread has its own";
        }).join();
        CoUninitialize();
        CoUninitialize();
        CoUninitialize(); // one too many is ignored
        EXPECT_EQ(CoInitializeCount(), 0);

        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
        EXPECT_EQ(CoInitializeCount(), 1);
        CoUninitialize();
        EXPECT_EQ(CoInitialize(nullptr), S_OK) << "fully undone, the thread may choose again";
        CoUninitialize();
    }).join();
}

TEST(Com, CreationNeedsInitialisationAndAKnownInProcessClass) {
    std::thread([] {
        IGraphBuilder* builder = reinterpret_cast<IGraphBuilder*>(1);
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &builder),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(builder, nullptr);

        CoInitialize(nullptr);
        IUnknown* outer = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &outer), S_OK);
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, outer, CLSCTX_INPROC, &builder),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, 0x4, &builder), REGDB_E_CLASSNOTREG);
        const CLSID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
        EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC, &builder), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(builder, nullptr);
        outer->Release();
        CoUninitialize();
    }).join();
}

TEST(Com, ARegisteredFactoryReplacesTheClassUntilRevoked) {
    CoInitialize(nullptr);
    const DWORD first = RegisterClassFactory(CLSID_FilterGraph, [](REFIID, void** object) {
        *object = nullptr;
        return E_OUTOFMEMORY;
    });
    const DWORD second = RegisterClassFactory(CLSID_FilterGraph, [](REFIID, void** object) {
        *object = nullptr;
        return E_FAIL;
    });
    IGraphBuilder* builder = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &builder), E_FAIL);
    RevokeClassFactory(second);
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &builder), E_OUTOFMEMORY);
    RevokeClassFactory(first);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, &builder), S_OK);
    builder->Release();
    CoUninitialize();
}

TEST_F(GraphTest, OneObjectStandsBehindTheFourInterfaces) {
    Graph graph;
    IUnknown* identity[4] = {};
    graph.Builder->QueryInterface(&identity[0]);
    graph.Control->QueryInterface(&identity[1]);
    graph.Seeking->QueryInterface(&identity[2]);
    graph.Audio->QueryInterface(&identity[3]);
    for (IUnknown* unknown : identity) {
        EXPECT_EQ(unknown, identity[0]);
        unknown->Release();
    }
    void* other = &graph;
    EXPECT_EQ(graph.Builder->QueryInterface(CLSID_FilterGraph, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST_F(GraphTest, RendersEachFormatWithItsLength) {
    for (const auto& [name, format] :
         {std::pair{"t.wav", SoundFormat::Wav}, std::pair{"t.flac", SoundFormat::Flac},
          std::pair{"t.ogg", SoundFormat::Ogg}, std::pair{"t.mp3", SoundFormat::Mp3}}) {
        SCOPED_TRACE(name);
        const std::string path = Tone(name, 0.5, format);
        Graph graph;
        ASSERT_EQ(graph.Render(path), S_OK);
        // Lossless files know their length to the frame; the encoders' padding is undone too.
        EXPECT_NEAR(graph.Duration(), 0.5, format == SoundFormat::Wav ? 1e-12 : 1e-3);
        EXPECT_EQ(graph.Position(), 0.0);
    }
}

TEST_F(GraphTest, RenderFailuresAreReportedAndLeaveAnEmptyGraphThatStillWorks) {
    std::ofstream(Dir.File("notes.wav")) << "these are not the samples you are looking for";
    std::ofstream(Dir.File("empty.mp3"));
    std::filesystem::create_directory(Dir.File("folder.wav"));
    {
        Graph graph;
        EXPECT_EQ(graph.Render(Dir.File("missing.mp3")), VFW_E_NOT_FOUND);
        EXPECT_EQ(graph.Render(Dir.File("folder.wav")), VFW_E_NOT_FOUND);
        EXPECT_EQ(graph.Render(Dir.File("notes.wav")), VFW_E_UNKNOWN_FILE_TYPE);
        EXPECT_EQ(graph.Render(Dir.File("empty.mp3")), VFW_E_UNKNOWN_FILE_TYPE);
        EXPECT_EQ(graph.Builder->RenderFile(nullptr, nullptr), E_POINTER);
        EXPECT_EQ(graph.Builder->RenderFile(u"x.wav", u"list"), E_INVALIDARG);

        EXPECT_EQ(graph.Audio->put_Volume(-500), S_OK);
        EXPECT_EQ(graph.Audio->put_Balance(300), S_OK);
        EXPECT_EQ(graph.Control->Run(), S_OK);
        Clock.AdvanceMilliseconds(500);
        EXPECT_EQ(graph.Position(), 0.0);
        EXPECT_EQ(graph.Duration(), 0.0);
        EXPECT_EQ(graph.Seeking->put_CurrentPosition(3.0), S_OK);
        EXPECT_EQ(graph.Position(), 0.0);
        EXPECT_EQ(graph.Control->Stop(), S_OK);
    }
    Graph graph;
    ASSERT_EQ(graph.Render(Tone("ok.wav", 0.2)), S_OK);
    EXPECT_EQ(graph.Render(Tone("other.wav", 0.2)), VFW_E_WRONG_STATE) << "a graph plays one file";
}

TEST_F(GraphTest, FileNamesIgnoreLetterCaseAndMayBeUnicode) {
    Tone("Song.wav", 0.25);
    Graph plain;
    EXPECT_EQ(plain.Render(Dir.Path.string() + "/SONG.WAV"), S_OK);
    Graph backslashed;
    EXPECT_EQ(backslashed.Render(Dir.Path.string() + "\\song.wav"), S_OK);

    Tone("Chanson \xC3\xA9t\xC3\xA9.wav", 0.25); // UTF-8 on disk
    Graph accented;
    const std::u16string wide = Wide(Dir.Path.string() + "/Chanson ") + u"\u00E9t\u00E9.wav";
    EXPECT_EQ(accented.Builder->RenderFile(wide.c_str(), nullptr), S_OK);
    const std::u16string broken = Wide(Dir.Path.string() + "/Chanson ") + u"\xD800t\u00E9.wav";
    Graph damaged;
    EXPECT_EQ(damaged.Builder->RenderFile(broken.c_str(), nullptr), VFW_E_NOT_FOUND);
}

TEST_F(GraphTest, PositionFollowsTheClockOnlyWhileRunning) {
    Graph graph;
    ASSERT_EQ(graph.Render(Tone("two.wav", 2.0)), S_OK);
    Clock.AdvanceMilliseconds(500);
    EXPECT_EQ(graph.Position(), 0.0) << "a graph that was never run stands still";

    EXPECT_EQ(graph.Control->Run(), S_OK);
    Clock.AdvanceMilliseconds(250);
    EXPECT_NEAR(graph.Position(), 0.25, 1e-9);
    EXPECT_EQ(graph.Control->Run(), S_OK) << "running again changes nothing";
    Clock.AdvanceMilliseconds(250);
    EXPECT_NEAR(graph.Position(), 0.5, 1e-9);

    EXPECT_EQ(graph.Control->Stop(), S_OK);
    Clock.AdvanceMilliseconds(1000);
    EXPECT_NEAR(graph.Position(), 0.5, 1e-9);
    EXPECT_EQ(graph.Control->Stop(), S_OK);

    EXPECT_EQ(graph.Control->Run(), S_OK);
    Clock.AdvanceMilliseconds(100);
    EXPECT_NEAR(graph.Position(), 0.6, 1e-9);
    EXPECT_EQ(graph.Seeking->put_CurrentPosition(1.5), S_OK);
    EXPECT_NEAR(graph.Position(), 1.5, 1e-9);
    Clock.AdvanceMilliseconds(200);
    EXPECT_NEAR(graph.Position(), 1.7, 1e-9);

    EXPECT_EQ(graph.Seeking->put_CurrentPosition(-1.0), S_OK);
    EXPECT_EQ(graph.Position(), 0.0);
    EXPECT_EQ(graph.Seeking->put_CurrentPosition(NAN), E_INVALIDARG);
    EXPECT_EQ(graph.Position(), 0.0);
}

TEST_F(GraphTest, AtItsEndAGraphStaysRunningSoASeekRestartsIt) {
    Graph graph;
    ASSERT_EQ(graph.Render(Tone("short.wav", 1.0)), S_OK);
    graph.Control->Run();
    Clock.AdvanceMilliseconds(5000);
    EXPECT_EQ(graph.Position(), 1.0) << "held exactly at the duration";
    Clock.AdvanceMilliseconds(5000);
    EXPECT_EQ(graph.Position(), 1.0);

    EXPECT_EQ(graph.Seeking->put_CurrentPosition(0.0), S_OK);
    Clock.AdvanceMilliseconds(300);
    EXPECT_NEAR(graph.Position(), 0.3, 1e-9) << "no Run needed: it never stopped";

    EXPECT_EQ(graph.Seeking->put_CurrentPosition(99.0), S_OK);
    EXPECT_EQ(graph.Position(), 1.0);
}

TEST_F(GraphTest, AnEmptySoundFileIsAtItsEndFromTheStart) {
    const std::string path = Dir.File("nothing.wav");
    WriteTone(path, SoundFormat::Wav, {});
    Graph graph;
    ASSERT_EQ(graph.Render(path), S_OK);
    EXPECT_EQ(graph.Duration(), 0.0);
    EXPECT_EQ(graph.Control->Run(), S_OK);
    Clock.AdvanceMilliseconds(100);
    EXPECT_EQ(graph.Position(), 0.0);
    EXPECT_EQ(graph.Seeking->put_CurrentPosition(0.0), S_OK);
}

TEST_F(GraphTest, ReplacingTheClockMidRunGoesOnFromTheLastKnownPlace) {
    Graph graph;
    ASSERT_EQ(graph.Render(Tone("two.wav", 2.0)), S_OK);
    graph.Control->Run();
    Clock.AdvanceMilliseconds(400);
    EXPECT_NEAR(graph.Position(), 0.4, 1e-9);
    win::VirtualClock other(1000);
    other.Ticks = 0; // far behind the first clock, and at another rate
    win::SetClock(&other);
    const double afterSwap = graph.Position();
    EXPECT_GE(afterSwap, 0.0);
    EXPECT_LE(afterSwap, 0.4 + 1e-9);
    other.AdvanceMilliseconds(100);
    EXPECT_NEAR(graph.Position(), afterSwap + 0.1, 1e-9);
}

TEST_F(GraphTest, VolumeAndBalanceAreHundredthsOfADecibel) {
    Graph graph;
    for (LONG ok : {0, -1, -602, -10000})
        EXPECT_EQ(graph.Audio->put_Volume(ok), S_OK) << ok;
    for (LONG bad : {1, -10001})
        EXPECT_EQ(graph.Audio->put_Volume(bad), E_INVALIDARG) << bad;
    for (LONG ok : {0, -10000, 10000, 4, -301})
        EXPECT_EQ(graph.Audio->put_Balance(ok), S_OK) << ok;
    for (LONG bad : {10001, -10001})
        EXPECT_EQ(graph.Audio->put_Balance(bad), E_INVALIDARG) << bad;
}

TEST_F(GraphTest, WithoutAnAudioDeviceGraphsStillRunAgainstTheClock) {
    ASSERT_EQ(CurrentAudioDriver(), "") << "an earlier test left a graph alive";
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        Graph graph;
        ASSERT_EQ(graph.Render(Tone("quiet.wav", 1.0)), S_OK);
        EXPECT_EQ(CurrentAudioDriver(), "");
        EXPECT_EQ(graph.Control->Run(), S_OK);
        Clock.AdvanceMilliseconds(600);
        EXPECT_NEAR(graph.Position(), 0.6, 1e-9);
        Clock.AdvanceMilliseconds(600);
        EXPECT_EQ(graph.Position(), 1.0);
        EXPECT_EQ(graph.Seeking->put_CurrentPosition(0.0), S_OK);
        EXPECT_EQ(graph.Control->Stop(), S_OK);
    }
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

// Real output through SDL's disk driver, on real time.
TEST_F(GraphTest, TheDeviceMixesRunningGraphsAtTheirOwnPitch) {
    win::SetClock(nullptr);
    const std::string mono = Dir.File("mono.wav");
    WriteTone(mono, SoundFormat::Wav, {{2.0, 0.4, 440.0}}, 1, 44100);
    const std::string other = Dir.File("other.flac");
    WriteTone(other, SoundFormat::Flac, {{2.0, 0.4, 1000.0}}, 2, 48000);

    AudioCapture capture(Dir.File("mix.raw"));
    {
        Graph low;
        Graph high;
        ASSERT_EQ(low.Render(mono), S_OK);
        ASSERT_EQ(high.Render(other), S_OK);
        ASSERT_EQ(CurrentAudioDriver(), "disk");
        capture.Hear(0.05); // let the decoder get ahead
        low.Control->Run();
        capture.Hear(0.25);
        high.Control->Run();
        capture.Hear(0.25);
        low.Control->Stop();
        capture.Hear(0.25);
        high.Control->Stop();
        capture.Hear(0.15);
    }
    const std::vector<float> samples = capture.Read();
    const auto windows = testing_support::Windows(samples);
    const auto runs = testing_support::LoudRuns(windows, 0.05);
    ASSERT_EQ(runs.size(), 1u) << "one stretch of sound, no gaps";
    const auto& run = runs[0];
    ASSERT_GE(run.Length(), 40u);

    // The 440 Hz file alone at first: mono on both sides, RMS of a 0.4 sine.
    const size_t lowStart = (run.First + 2) * testing_support::kWindowFrames;
    EXPECT_NEAR(testing_support::EstimateFrequency(samples, lowStart, 4410), 440.0, 15.0);
    EXPECT_NEAR(windows[run.First + 3].Left, 0.4 / std::sqrt(2.0), 0.01);
    EXPECT_NEAR(windows[run.First + 3].Right, windows[run.First + 3].Left, 0.002);
    // The 48 kHz file alone at the end, resampled to the device without a change of pitch.
    const size_t highStart = (run.Last - 11) * testing_support::kWindowFrames;
    EXPECT_NEAR(testing_support::EstimateFrequency(samples, highStart, 4410), 1000.0, 30.0);
    EXPECT_NEAR(windows[run.Last - 3].Left, 0.4 / std::sqrt(2.0), 0.01);
    // Both together in between: two unrelated sines add up in power.
    double loudest = 0;
    for (size_t i = run.First; i <= run.Last; ++i)
        loudest = std::max(loudest, windows[i].Left);
    EXPECT_NEAR(loudest, 0.4, 0.03);
}
