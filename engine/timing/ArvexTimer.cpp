#include "engine/timing/ArvexTimer.h"

#include "platform/win/Clock.h"

namespace {

constexpr uintptr_t kLossyTimerId = 1;

// Quotient of two clock-tick counts, computed in extended precision and kept as a float.
float TickRatio(int64_t numerator, int64_t denominator) {
    if (denominator == 0)
        return 0.0f; // no rate configured yet: report no time rather than infinity
    return static_cast<float>(static_cast<long double>(numerator) /
                              static_cast<long double>(denominator));
}

} // namespace

TArvexTimer::TArvexTimer(rtl::TComponent* owner) : rtl::TComponent(owner) {
    int64_t frequency = 0;
    FHighResolution = win::QueryPerformanceFrequency(&frequency) && frequency > 0;
    if (FHighResolution) {
        FFrequency = frequency;
    } else {
        FFrequency = 1000;
        win::timeBeginPeriod(1);
    }
    SetMinFPS(10);
    SetMaxFPS(120);
    SetFPSWarningFrames(10);
    FWindowHandle = win::AllocateHWnd([this](win::TMessage& m) { MessageWindowProc(m); });
    if (win::Application)
        FOldIdleHandler = win::Application->OnIdle;
}

TArvexTimer::~TArvexTimer() {
    if (!FHighResolution)
        win::timeEndPeriod(1);
    win::DeallocateHWnd(FWindowHandle);
    if (win::Application)
        win::Application->OnIdle = nullptr;
}

int64_t TArvexTimer::ReadClock() const {
    if (FHighResolution) {
        int64_t counter = 0;
        win::QueryPerformanceCounter(&counter);
        return counter;
    }
    return static_cast<int64_t>(win::timeGetTime());
}

void TArvexTimer::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (value) {
        FLastTime = ReadClock();
        FWindowStart = FLastTime;
        FWindowTicks = 0;
        FFPS = 0;
    }
    UpdateTimer();
}

void TArvexTimer::SetTargetFPS(int32_t value) {
    if (value == FTargetFPS)
        return;
    FTargetFPS = value;
    if (value > 0) {
        FTicksPerFrame = static_cast<int32_t>(FFrequency / value);
        FLossyInterval = static_cast<uint32_t>(1000 / value);
    }
    UpdateTimer();
}

void TArvexTimer::SetMinFPS(int32_t value) {
    if (value == FMinFPS)
        return;
    FMinFPS = value;
    if (value > 0)
        FTicksPerSlowestFrame = static_cast<int32_t>(FFrequency / value);
}

void TArvexTimer::SetMaxFPS(int32_t value) {
    if (value == FMaxFPS)
        return;
    FMaxFPS = value;
    if (value > 0)
        FTicksPerFastestFrame = static_cast<int32_t>(FFrequency / value);
}

void TArvexTimer::SetFPSWarningFrames(int32_t value) {
    if (value == FFPSWarningFrames)
        return;
    FFPSWarningFrames = value;
    FSlowFrames = 0;
    FFPSWarning = false;
}

void TArvexTimer::SetLossyMode(bool value) {
    FLossyMode = value;
    UpdateTimer();
}

void TArvexTimer::InstallIdleHook() {
    if (!win::Application)
        return;
    if (FEnabled && OnTimer)
        win::Application->OnIdle = [this](rtl::TObject* sender, bool& done) {
            IdleHandler(sender, done);
        };
    else
        win::Application->OnIdle = nullptr;
}

void TArvexTimer::UpdateTimer() {
    win::KillTimer(FWindowHandle, kLossyTimerId);
    if (FLossyMode) {
        if (FTargetFPS > 0 && FEnabled && OnTimer)
            win::SetTimer(FWindowHandle, kLossyTimerId, FLossyInterval);
        // Always unhooked: an idle hook left from normal mode would tick uncapped in lossy
        // mode, where no target rate means no ticks at all.
        if (win::Application)
            win::Application->OnIdle = nullptr;
        return;
    }
    InstallIdleHook();
}

void TArvexTimer::Fire(int64_t now) {
    if (OnTimer)
        OnTimer(this);
    // The time read before the handler ran: time spent in the handler belongs to the next gap.
    FLastTime = now;
    ++FWindowTicks;
}

void TArvexTimer::IdleHandler(rtl::TObject* sender, bool& done) {
    if (!FEnabled)
        return;
    done = false;
    const int64_t now = ReadClock();
    FCurrentTime = now;

    if (now - FWindowStart >= FFrequency) {
        FFPS = FWindowTicks;
        FWindowTicks = 0;
        FWindowStart = now;
    }

    int64_t elapsed = now - FLastTime;

    if (FLossyMode) {
        FDelta = TickRatio(elapsed, FTicksPerFrame);
        FElapsedTime = TickRatio(elapsed, FFrequency);
        Fire(now);
    } else {
        // The slow-frame watch runs on every call, including the ones that do not tick.
        if (FMinFPS > 0 && elapsed > FTicksPerSlowestFrame) {
            elapsed = FTicksPerSlowestFrame;
            ++FSlowFrames;
            if (FSlowFrames >= FFPSWarningFrames) {
                FFPSWarning = true;
                --FSlowFrames;
            }
        } else {
            FFPSWarning = false;
            FSlowFrames = 0;
        }

        bool tick = true;
        if (FMaxFPS != 0 && elapsed < FTicksPerFastestFrame) {
            tick = false;
            SleepUntilDue(FTicksPerFastestFrame - elapsed);
        } else if (FTargetFPS > 0) {
            if (elapsed < FTicksPerFrame) {
                tick = false;
                SleepUntilDue(FTicksPerFrame - elapsed);
            } else {
                FDelta = TickRatio(elapsed, FTicksPerFrame);
                FElapsedTime = TickRatio(elapsed, FFrequency);
            }
        } else {
            FDelta = TickRatio(elapsed, FFrequency);
            FElapsedTime = FDelta;
        }
        if (tick)
            Fire(now);
    }

    if (FOldIdleHandler)
        FOldIdleHandler(sender, done);
}

void TArvexTimer::SleepUntilDue(int64_t ticks) const {
    if (!FLowPower)
        return;
    const double seconds = static_cast<double>(ticks) / static_cast<double>(FFrequency);
    if (seconds > kWakeMargin)
        win::SleepSeconds(seconds - kWakeMargin);
}

void TArvexTimer::MessageWindowProc(win::TMessage& message) {
    if (message.Msg != win::WM_TIMER)
        return;
    bool ignored = false;
    try {
        IdleHandler(this, ignored);
    } catch (...) {
        if (win::Application)
            win::Application->HandleException(this);
    }
}
