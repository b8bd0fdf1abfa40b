#include "tests/support/Headless.h"
#include "tools/music/Audio.h"
#include "tools/music/Song.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace music;

namespace {

Audio Sine(double hz, double amplitude, double seconds) {
    Audio a;
    a.SampleRate = 44100;
    a.Channels = 2;
    const size_t frames = static_cast<size_t>(seconds * a.SampleRate);
    for (size_t i = 0; i < frames; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / a.SampleRate));
        a.Samples.push_back(v);
        a.Samples.push_back(v);
    }
    return a;
}

} // namespace

TEST(SongAnalysis, MeasuresAKnownTone) {
    const Analysis a = Analyse(Sine(1000, 0.5, 2.0));
    EXPECT_NEAR(a.Seconds, 2.0, 1e-9);
    EXPECT_NEAR(a.PeakDb, -6.02, 0.01);
    EXPECT_NEAR(a.RmsDb, -9.03, 0.01); // a sine's RMS is 3 dB under its peak
    EXPECT_NEAR(a.Centroid, 1000, 30);
    EXPECT_GT(a.LowShare, 0.99);
    EXPECT_NEAR(a.SideShare, 0.0, 1e-9);
    EXPECT_NEAR(a.DcOffset, 0.0, 1e-3);
}

TEST(SongAnalysis, ACutShowsAsAStep) {
    Audio a = Sine(200, 0.5, 1.0);
    const double smooth = Analyse(a).StepDb;
    for (size_t i = a.Samples.size() / 2; i < a.Samples.size(); ++i)
        a.Samples[i] = 0; // the tone stops dead mid-cycle
    EXPECT_GT(Analyse(a).StepDb, smooth + 10);
}

TEST(Song, TheShippedSongIsACalmCleanLoop) {
    // The song the build staged beside the program (tests run in the program's folder).
    const Audio song = ReadAudio("Music/Sound.mp3");
    const Analysis a = Analyse(song);
    std::cout << FormatAnalysis(a);
    EXPECT_EQ(song.SampleRate, 44100);
    EXPECT_EQ(song.Channels, 2);
    EXPECT_GE(a.Seconds, 60.0);
    EXPECT_LE(a.Seconds, 120.0);
    EXPECT_LE(a.PeakDb, -1.0);
    EXPECT_GT(a.PeakDb, -6.0); // not needlessly quiet either
    EXPECT_GT(a.RmsDb, -28.0);
    EXPECT_LT(a.RmsDb, -12.0); // calm: far under its peaks
    EXPECT_LT(std::fabs(a.DcOffset), 1e-3);
    EXPECT_GT(a.LowShare, 0.9); // a dark, soft sound
    EXPECT_LT(a.HighShare, 0.01);
    EXPECT_GT(a.SideShare, 0.02);   // and a stereo one
    EXPECT_LT(a.EdgePeakDb, -50.0); // starts and ends in silence...
    EXPECT_LT(a.LoopJump, 0.003);   // ...so its seam cannot click
    EXPECT_LT(a.StepDb, -20.0);     // and nothing in between clicks
}

TEST(Song, WritesAndReadsMp3) {
    testing_support::TempDir dir;
    const Audio tone = Sine(440, 0.25, 1.0);
    WriteMp3(dir.File("tone.mp3"), tone.Samples, tone.SampleRate);
    const Audio back = ReadAudio(dir.File("tone.mp3"));
    EXPECT_EQ(back.Channels, 2);
    EXPECT_NEAR(Analyse(back).PeakDb, Analyse(tone).PeakDb, 1.0);
    EXPECT_THROW(ReadAudio(dir.File("missing.mp3")), AudioError);
    EXPECT_THROW(WriteMp3(dir.File("no/folder/x.mp3"), tone.Samples, 44100), AudioError);
}
