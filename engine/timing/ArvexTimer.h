// TArvexTimer: the component that drives the main loop.
//
// Normal mode hooks the application's idle processing and keeps the loop spinning, firing
// OnTimer as soon as the rate limits allow; lossy mode is paced by a system timer message
// instead. Delta, ElapsedTime, FPS and FPSWarning describe the frames for the handler.
//
// Traps worth knowing:
// - Enabling restarts the clock, so long work done while disabled (a level load) never shows
//   up as one huge Delta. Disabling removes the idle hook entirely; it does not restore the
//   handler that was installed before the timer was created.
// - OnTimer is a plain field: assigning it does not install or remove the hook. Only a change
//   of Enabled or TargetFPS, or any assignment of LossyMode, re-evaluates the driving mode.
// - The slow-frame cut drops the excess time for good: after a 300 ms frame with MinFPS 10,
//   Delta says 0.1 s.
// - LowPower changes only how the wait between two ticks is spent: asleep until shortly before
//   the next tick is due, then spinning the last stretch as always, so ticks come when they
//   would have come and Delta and ElapsedTime mean what they meant. The sleep is on the
//   platform clock, so a virtual clock sees the time pass.
#pragma once

#include "platform/rtl/Component.h"
#include "platform/win/Application.h"

#include <cstdint>

class TArvexTimer : public rtl::TComponent {
public:
    explicit TArvexTimer(rtl::TComponent* owner);
    ~TArvexTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    int32_t TargetFPS() const { return FTargetFPS; }
    void SetTargetFPS(int32_t value);
    int32_t MinFPS() const { return FMinFPS; }
    void SetMinFPS(int32_t value);
    int32_t MaxFPS() const { return FMaxFPS; }
    void SetMaxFPS(int32_t value);
    int32_t FPSWarningFrames() const { return FFPSWarningFrames; }
    void SetFPSWarningFrames(int32_t value);
    bool LossyMode() const { return FLossyMode; }
    void SetLossyMode(bool value);
    // Normal mode sleeps between ticks instead of spinning through the whole wait.
    bool LowPower() const { return FLowPower; }
    void SetLowPower(bool value) { FLowPower = value; }
    // How much before a tick is due a low-power sleep ends: waking takes longer than asked,
    // and the spin after it makes up for that, so the tick still comes on time.
    static constexpr double kWakeMargin = 0.0004;

    rtl::TNotifyEvent OnTimer;

    int32_t FPS() const { return FFPS; }
    float Delta() const { return FDelta; }
    float ElapsedTime() const { return FElapsedTime; }
    bool FPSWarning() const { return FFPSWarning; }

    // Called by the application whenever its queue is empty, and by the message window on every
    // timer message.
    void IdleHandler(rtl::TObject* sender, bool& done);

private:
    void UpdateTimer();
    void InstallIdleHook();
    int64_t ReadClock() const;
    void Fire(int64_t now);
    // The low-power wait while a tick is not yet due: ticks is how long until it is.
    void SleepUntilDue(int64_t ticks) const;
    void MessageWindowProc(win::TMessage& message);

    // Internal state, in the order the component keeps it.
    win::HWND FWindowHandle = nullptr;
    win::TIdleEvent FOldIdleHandler;
    bool FHighResolution = false;
    int64_t FFrequency = 1000;
    int64_t FLastTime = 0;
    int64_t FCurrentTime = 0;
    float FDelta = 0;
    float FElapsedTime = 0;
    int64_t FWindowStart = 0;
    int32_t FFPS = 0;
    int32_t FWindowTicks = 0;
    bool FFPSWarning = false;
    int32_t FSlowFrames = 0;
    int32_t FFPSWarningFrames = 0;
    bool FEnabled = false;
    int32_t FTargetFPS = 0;
    int32_t FMinFPS = 0;
    int32_t FMaxFPS = 0;
    bool FLossyMode = false;
    int32_t FTicksPerFrame = 0;
    int32_t FTicksPerSlowestFrame = 0;
    int32_t FTicksPerFastestFrame = 0;
    uint32_t FLossyInterval = 0;
    bool FLowPower = false;
};
