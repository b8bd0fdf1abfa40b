// Clocks: the high-resolution performance counter and the millisecond clock, behind one
// interface so tests can replace real time by a virtual clock that moves only when told.
#pragma once

#include <cstdint>

namespace win {

class Clock {
public:
    virtual ~Clock() = default;
    // False when the machine has no high-resolution counter.
    virtual bool PerformanceFrequency(int64_t& frequency) = 0;
    virtual bool PerformanceCounter(int64_t& counter) = 0;
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // Gives the processor up for about this long (it may wake a little late, never early).
    virtual void Sleep(double seconds) = 0;
};

// Real time from SDL's counters.
class SystemClock : public Clock {
public:
    bool PerformanceFrequency(int64_t& frequency) override;
    bool PerformanceCounter(int64_t& counter) override;
    uint32_t Milliseconds() override;
    void Sleep(double seconds) override;
};

// Time that stands still until advanced. The counter runs at Frequency ticks per second; the
// millisecond clock is derived from it, so both always agree.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(int64_t frequency = 10'000'000) : Frequency(frequency) {}

    bool PerformanceFrequency(int64_t& frequency) override;
    bool PerformanceCounter(int64_t& counter) override;
    uint32_t Milliseconds() override;
    // Time passes at once: the clock moves on by that long, and Sleeps counts the calls.
    void Sleep(double seconds) override;

    void AdvanceTicks(int64_t ticks) { Ticks += ticks; }
    void AdvanceMilliseconds(double ms) { Ticks += static_cast<int64_t>(ms * Frequency / 1000.0); }

    int64_t Frequency;
    int64_t Ticks = 0;
    // Pretend the machine has no high-resolution counter.
    bool HasPerformanceCounter = true;
    int64_t Sleeps = 0;
};

// The clock all time queries use; nullptr restores the system clock. The caller keeps the
// clock alive while it is installed.
void SetClock(Clock* clock);
Clock& CurrentClock();

// The system calls the engine's timing code is written against.
bool QueryPerformanceFrequency(int64_t* frequency);
bool QueryPerformanceCounter(int64_t* counter);
uint32_t timeGetTime();
// Sleeps on the current clock.
void SleepSeconds(double seconds);

struct TIMECAPS {
    uint32_t wPeriodMin = 0;
    uint32_t wPeriodMax = 0;
};
constexpr uint32_t TIMERR_NOERROR = 0;
constexpr uint32_t TIMERR_NOCANDO = 97;

uint32_t timeGetDevCaps(TIMECAPS* caps);
// Resolution requests are counted, not acted on (our clocks always have millisecond
// resolution); the count lets tests see that every request was returned.
uint32_t timeBeginPeriod(uint32_t period);
uint32_t timeEndPeriod(uint32_t period);
int ActiveTimePeriodRequests();

} // namespace win
