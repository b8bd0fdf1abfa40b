#include "engine/timing/ArvexTimer.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/Headless.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

using testing_support::HeadlessApp;

namespace {

// The timer on a virtual clock of 1,000,000 ticks per second, driven by explicit idle calls.
class TimerTest : public ::testing::Test {
protected:
    TimerTest() {
        H.Clock.Frequency = 1'000'000;
        H.Clock.Ticks = 5'000'000;
    }

    void Start(TArvexTimer& timer) {
        timer.OnTimer = [this](rtl::TObject* sender) {
            ++Ticks;
            Deltas.push_back(Timer->Delta());
            Warnings.push_back(Timer->FPSWarning());
            EXPECT_EQ(sender, Timer);
            H.Clock.AdvanceMilliseconds(HandlerMs);
        };
        Timer = &timer;
        timer.SetEnabled(true);
    }

    // One pass of the message loop's idle processing after ms of virtual time.
    bool IdleAfter(double ms) {
        H.Clock.AdvanceMilliseconds(ms);
        bool done = true;
        ASSERT_IDLE_HOOKED();
        H.App.OnIdle(&H.App, done);
        return done;
    }

    void ASSERT_IDLE_HOOKED() { ASSERT_TRUE(static_cast<bool>(H.App.OnIdle)); }

    HeadlessApp H;
    TArvexTimer* Timer = nullptr;
    int Ticks = 0;
    double HandlerMs = 0;
    std::vector<float> Deltas;
    std::vector<bool> Warnings;
};

} // namespace

TEST_F(TimerTest, DefaultsAndTheGamesValues) {
    TArvexTimer timer(nullptr);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.TargetFPS(), 0);
    EXPECT_EQ(timer.MinFPS(), 10);
    EXPECT_EQ(timer.MaxFPS(), 120);
    EXPECT_EQ(timer.FPSWarningFrames(), 10);
    EXPECT_FALSE(timer.LossyMode());
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "a disabled timer hooks nothing";
}

TEST_F(TimerTest, MaxFpsCapsTheRateAndDeltaIsSecondsWithoutATarget) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(110);
    Start(timer);
    EXPECT_FALSE(IdleAfter(5)); // the loop is kept spinning even when nothing fires
    EXPECT_EQ(Ticks, 0);
    IdleAfter(4.0); // 9.0 ms < 1/110 s
    EXPECT_EQ(Ticks, 0);
    IdleAfter(0.1); // 9.1 ms
    EXPECT_EQ(Ticks, 1);
    EXPECT_NEAR(Deltas[0], 0.0091, 1e-6);
    EXPECT_FLOAT_EQ(timer.ElapsedTime(), timer.Delta());

    // Over one simulated second of 1 ms idle calls, at most 110 ticks.
    Ticks = 0;
    for (int i = 0; i < 1000; ++i)
        IdleAfter(1);
    EXPECT_LE(Ticks, 110);
    EXPECT_GE(Ticks, 90);
}

TEST_F(TimerTest, NoCapAndNoTargetTicksOnEveryIdleCall) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(0);
    Start(timer);
    for (int i = 0; i < 5; ++i)
        IdleAfter(0);
    EXPECT_EQ(Ticks, 5);
}

TEST_F(TimerTest, TargetRateNeedsAWholeTargetFrame) {
    TArvexTimer timer(nullptr);
    timer.SetTargetFPS(50);
    timer.SetMaxFPS(110);
    Start(timer);
    IdleAfter(15);
    EXPECT_EQ(Ticks, 0);
    IdleAfter(10); // 25 ms since the enable
    ASSERT_EQ(Ticks, 1);
    EXPECT_FLOAT_EQ(Deltas[0], 1.25f);
    EXPECT_FLOAT_EQ(timer.ElapsedTime(), 0.025f);
}

TEST_F(TimerTest, SlowHandlersRaiseTheWarningOnTheTenthSlowCallAndOneFastCallClearsIt) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(110);
    HandlerMs = 300; // every handler call takes 300 ms
    Start(timer);
    IdleAfter(10); // the first tick, after a short gap
    for (int i = 0; i < 10; ++i)
        IdleAfter(0);
    ASSERT_EQ(Ticks, 11);
    for (int i = 1; i <= 10; ++i)
        EXPECT_FLOAT_EQ(Deltas[static_cast<size_t>(i)], 0.1f) << "the gap is cut to 1/MinFPS";
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(Warnings[static_cast<size_t>(i)]) << "slow call " << i;
    EXPECT_TRUE(Warnings[10]) << "the tenth slow call warns before its tick fires";
    IdleAfter(0); // still slow: stays raised
    EXPECT_TRUE(timer.FPSWarning());
    HandlerMs = 0;
    IdleAfter(0); // the handler took 300 ms once more
    EXPECT_TRUE(timer.FPSWarning());
    IdleAfter(5); // at most 100 ms: cleared, even though this call does not tick
    EXPECT_FALSE(timer.FPSWarning());
}

TEST_F(TimerTest, ASingleLongFrameAmongFastOnesNeverWarns) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(110);
    timer.SetFPSWarningFrames(2);
    Start(timer);
    for (int i = 0; i < 20; ++i) {
        IdleAfter(i % 2 == 0 ? 300 : 10);
        EXPECT_FALSE(timer.FPSWarning());
    }
}

TEST_F(TimerTest, EnablingRestartsTheClockButReEnablingChangesNothing) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(110);
    Start(timer);
    for (int i = 0; i < 150; ++i)
        IdleAfter(10); // 1.5 s: one measuring window closed
    const int fps = timer.FPS();
    EXPECT_GT(fps, 90);
    IdleAfter(5); // no tick yet: 5 ms since the last one
    const int ticks = Ticks;
    timer.SetEnabled(true); // same value: neither FPS nor the last-tick time reset
    EXPECT_EQ(timer.FPS(), fps);
    IdleAfter(5);
    EXPECT_EQ(Ticks, ticks + 1) << "the last-tick time was reset";

    // Long work while disabled never shows up as a long frame.
    timer.SetEnabled(false);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle));
    H.Clock.AdvanceMilliseconds(5000);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.FPS(), 0);
    IdleAfter(9.1);
    EXPECT_NEAR(timer.Delta(), 0.0091, 1e-6);
    EXPECT_FALSE(timer.FPSWarning());
}

TEST_F(TimerTest, FpsChangesOnlyWhenAMeasuringWindowCloses) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(0);
    Start(timer);
    for (int i = 0; i < 99; ++i)
        IdleAfter(10); // 990 ms: the window is still open
    EXPECT_EQ(timer.FPS(), 0);
    IdleAfter(10); // 1000 ms: closes, counting the 99 ticks before this call
    EXPECT_EQ(timer.FPS(), 99);
    IdleAfter(10);
    EXPECT_EQ(timer.FPS(), 99);
}

TEST_F(TimerTest, OnTimerAssignedLateTakesEffectOnlyWhenTheModeIsReevaluated) {
    TArvexTimer timer(nullptr);
    timer.SetEnabled(true);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "no handler: nothing to hook";
    timer.OnTimer = [&](rtl::TObject*) { ++Ticks; };
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle));
    timer.SetLossyMode(false); // any assignment of LossyMode re-evaluates
    EXPECT_TRUE(static_cast<bool>(H.App.OnIdle));
}

TEST_F(TimerTest, ChainsToTheIdleHandlerInstalledBeforeIt) {
    int chained = 0;
    H.App.OnIdle = [&](rtl::TObject*, bool&) { ++chained; };
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(0);
    Start(timer);
    IdleAfter(1);
    IdleAfter(1);
    EXPECT_EQ(chained, 2);
    EXPECT_EQ(Ticks, 2);
    timer.SetEnabled(false);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "disabling removes the hook entirely";
}

TEST_F(TimerTest, WithoutAPerformanceCounterTheMillisecondClockIsUsed) {
    H.Clock.HasPerformanceCounter = false;
    const int periods = win::ActiveTimePeriodRequests();
    {
        TArvexTimer timer(nullptr);
        EXPECT_EQ(win::ActiveTimePeriodRequests(), periods + 1);
        timer.SetMaxFPS(110);
        Start(timer);
        IdleAfter(8);
        EXPECT_EQ(Ticks, 0);
        IdleAfter(1); // 1000 div 110 = 9 whole milliseconds per fastest frame
        EXPECT_EQ(Ticks, 1);
        EXPECT_FLOAT_EQ(timer.Delta(), 0.009f);
    }
    EXPECT_EQ(win::ActiveTimePeriodRequests(), periods);
}

TEST_F(TimerTest, RunsTheRealMessageLoopAndSurvivesAThrowingHandler) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(0);
    int calls = 0;
    timer.OnTimer = [&](rtl::TObject*) {
        if (++calls == 2)
            throw rtl::Exception("tick failed");
    };
    timer.SetEnabled(true);
    for (int i = 0; i < 4; ++i)
        H.App.HandleMessage(); // never blocks: the timer keeps done false
    EXPECT_EQ(calls, 4);
    ASSERT_EQ(win::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Text, "tick failed.");
}

TEST_F(TimerTest, LossyModeTicksFromTimerMessages) {
    TArvexTimer timer(nullptr);
    timer.SetLossyMode(true);
    int calls = 0;
    timer.OnTimer = [&](rtl::TObject*) {
        if (++calls == 1)
            throw rtl::Exception("lossy tick failed");
    };
    timer.SetEnabled(true);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "no target rate: lossy mode is silent";
    timer.SetTargetFPS(100);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "lossy mode does not use the idle hook";
    for (int i = 0; i < 1000 && calls < 3; ++i) { // up to 5 s on a loaded machine
        SDL_Delay(5);
        H.App.ProcessMessages();
    }
    EXPECT_GE(calls, 3);
    ASSERT_GE(win::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Text, "lossy tick failed.");
    timer.SetEnabled(false);
    const int stopped = calls;
    SDL_Delay(30);
    H.App.ProcessMessages();
    EXPECT_EQ(calls, stopped);
}

TEST_F(TimerTest, SwitchingARunningTimerToLossyWithoutATargetStopsIt) {
    TArvexTimer timer(nullptr);
    Start(timer);
    IdleAfter(10);
    EXPECT_EQ(Ticks, 1);
    timer.SetLossyMode(true);
    EXPECT_FALSE(static_cast<bool>(H.App.OnIdle)) << "the normal mode's idle hook must go";
    SDL_Delay(20);
    H.App.ProcessMessages();
    EXPECT_EQ(Ticks, 1);
}

TEST_F(TimerTest, ANegativeCapKeepsTheLastPositiveOne) {
    TArvexTimer timer(nullptr);
    timer.SetMaxFPS(110);
    timer.SetMaxFPS(-1);
    Start(timer);
    IdleAfter(5);
    EXPECT_EQ(Ticks, 0) << "still at most 110 per second";
    IdleAfter(4.1);
    EXPECT_EQ(Ticks, 1);
}

TEST_F(TimerTest, LossyDeltaCountsTargetFramesAndElapsedTimeSeconds) {
    TArvexTimer timer(nullptr);
    timer.SetTargetFPS(50);
    timer.SetLossyMode(true);
    float elapsed = 0;
    timer.OnTimer = [&](rtl::TObject*) {
        if (++Ticks == 1) {
            Deltas.push_back(timer.Delta());
            elapsed = timer.ElapsedTime();
        }
    };
    timer.SetEnabled(true);
    H.Clock.AdvanceMilliseconds(30); // the virtual clock stands still while the real timer runs
    for (int i = 0; i < 1000 && Ticks == 0; ++i) { // up to 5 s on a loaded machine
        SDL_Delay(5);
        H.App.ProcessMessages();
    }
    timer.SetEnabled(false);
    ASSERT_GE(Ticks, 1);
    EXPECT_FLOAT_EQ(Deltas[0], 1.5f);
    EXPECT_FLOAT_EQ(elapsed, 0.03f);
}

// Low power sleeps through most of the wait between ticks and spins only its last stretch: the
// ticks come as the spinning timer's do, with the same Delta, for a fraction of the loop passes.
TEST_F(TimerTest, LowPowerSleepsThroughTheWaitAndTicksAsWhenSpinning) {
    struct Run {
        std::vector<float> Deltas;
        int Passes = 0;
        int64_t Sleeps = 0;
    };
    const auto run = [&](bool lowPower) {
        TArvexTimer timer(nullptr);
        timer.SetMaxFPS(110);
        timer.SetLowPower(lowPower);
        Ticks = 0;
        Deltas.clear();
        const int64_t sleepsBefore = H.Clock.Sleeps;
        Start(timer);
        Run result;
        while (Ticks < 40) {
            IdleAfter(0.01); // a pass of the loop takes 10 microseconds
            ++result.Passes;
        }
        result.Deltas = Deltas;
        result.Sleeps = H.Clock.Sleeps - sleepsBefore;
        return result;
    };
    const Run spinning = run(false);
    const Run sleeping = run(true);
    EXPECT_EQ(spinning.Sleeps, 0);
    EXPECT_GE(sleeping.Sleeps, 40);
    EXPECT_LT(sleeping.Passes * 10, spinning.Passes);
    for (const Run* r : {&spinning, &sleeping})
        for (const float delta : r->Deltas) {
            EXPECT_GE(delta, 0.00909f);
            EXPECT_LE(delta, 0.00911f);
        }
}
