#include "platform/win/Clock.h"

#include <SDL.h>
#include <cerrno>
#include <ctime>

namespace win {

namespace {

SystemClock gSystemClock;
Clock* gClock = nullptr;
int gPeriodRequests = 0;

} // namespace

bool SystemClock::PerformanceFrequency(int64_t& frequency) {
    frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    return frequency > 0;
}

bool SystemClock::PerformanceCounter(int64_t& counter) {
    counter = static_cast<int64_t>(SDL_GetPerformanceCounter());
    return true;
}

uint32_t SystemClock::Milliseconds() {
    return static_cast<uint32_t>(SDL_GetTicks64());
}

void SystemClock::Sleep(double seconds) {
    if (seconds <= 0)
        return;
    // Nanoseconds rather than SDL_Delay's whole milliseconds: a frame of 1/110 s would otherwise
    // be slept to 9 ms or 10 ms, never to the frame.
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(seconds);
    wait.tv_nsec = static_cast<long>((seconds - static_cast<double>(wait.tv_sec)) * 1e9);
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

bool VirtualClock::PerformanceFrequency(int64_t& frequency) {
    frequency = HasPerformanceCounter ? Frequency : 0;
    return HasPerformanceCounter;
}

bool VirtualClock::PerformanceCounter(int64_t& counter) {
    counter = HasPerformanceCounter ? Ticks : 0;
    return HasPerformanceCounter;
}

uint32_t VirtualClock::Milliseconds() {
    return static_cast<uint32_t>(static_cast<uint64_t>(Ticks) * 1000 /
                                 static_cast<uint64_t>(Frequency));
}

void VirtualClock::Sleep(double seconds) {
    ++Sleeps;
    if (seconds > 0)
        Ticks += static_cast<int64_t>(seconds * static_cast<double>(Frequency));
}

void SetClock(Clock* clock) {
    gClock = clock;
}

Clock& CurrentClock() {
    return gClock ? *gClock : gSystemClock;
}

bool QueryPerformanceFrequency(int64_t* frequency) {
    return CurrentClock().PerformanceFrequency(*frequency);
}

bool QueryPerformanceCounter(int64_t* counter) {
    return CurrentClock().PerformanceCounter(*counter);
}

uint32_t timeGetTime() {
    return CurrentClock().Milliseconds();
}

void SleepSeconds(double seconds) {
    CurrentClock().Sleep(seconds);
}

uint32_t timeGetDevCaps(TIMECAPS* caps) {
    if (!caps)
        return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

uint32_t timeBeginPeriod(uint32_t period) {
    if (period == 0)
        return TIMERR_NOCANDO;
    ++gPeriodRequests;
    return TIMERR_NOERROR;
}

uint32_t timeEndPeriod(uint32_t period) {
    if (period == 0 || gPeriodRequests == 0)
        return TIMERR_NOCANDO;
    --gPeriodRequests;
    return TIMERR_NOERROR;
}

int ActiveTimePeriodRequests() {
    return gPeriodRequests;
}

} // namespace win
