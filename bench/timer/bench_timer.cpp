// Runs the real message loop with the game's frame-timer settings on the system clock for a few
// seconds, spinning as the game does by default and then in low-power mode, and prints for each
// the tick rate, the gap statistics and the processor time the loop took. Asserts nothing.
#include "engine/timing/ArvexTimer.h"
#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Measure(win::TApplication& app, bool lowPower) {
    auto* timer = rtl::Create<TArvexTimer>(&app);
    timer->SetMinFPS(10);
    timer->SetMaxFPS(110);
    timer->SetLowPower(lowPower);

    constexpr double kSeconds = 3.0;
    std::vector<float> gaps;
    int64_t frequency = 0, start = 0, now = 0;
    win::QueryPerformanceFrequency(&frequency);
    win::QueryPerformanceCounter(&start);
    const double processorStart = ProcessorSeconds();
    bool stopped = false;
    timer->OnTimer = [&](rtl::TObject*) {
        gaps.push_back(timer->ElapsedTime());
        win::QueryPerformanceCounter(&now);
        if (!stopped &&
            static_cast<double>(now - start) / static_cast<double>(frequency) >= kSeconds) {
            stopped = true;
            app.Terminate();
        }
    };
    timer->SetEnabled(true);
    app.Run();
    timer->SetEnabled(false);
    const double processor = ProcessorSeconds() - processorStart;

    std::sort(gaps.begin(), gaps.end());
    const double elapsed = static_cast<double>(now - start) / static_cast<double>(frequency);
    std::printf("%s:\n", lowPower ? "low power (sleeps between ticks)" : "spinning (the default)");
    std::printf("  ticks: %zu in %.3f s = %.1f ticks/s (cap 110)\n", gaps.size(), elapsed,
                static_cast<double>(gaps.size()) / elapsed);
    if (!gaps.empty())
        std::printf(
            "  gap ms: min %.3f  median %.3f  99th %.3f  max %.3f (floor 1000/110 = 9.091)\n",
            gaps.front() * 1000.0, gaps[gaps.size() / 2] * 1000.0,
            gaps[gaps.size() * 99 / 100] * 1000.0, gaps.back() * 1000.0);
    std::printf("  processor: %.3f s in %.3f s = %.1f%% of a core\n", processor, elapsed,
                100.0 * processor / elapsed);
    delete timer;
}

} // namespace

int main() {
    win::SetHeadless(true);
    std::printf("frame timer, game settings (MaxFPS 110, MinFPS 10, no target), %u hardware "
                "threads\n",
                std::thread::hardware_concurrency());
    for (const bool lowPower : {false, true}) {
        win::TApplication app;
        if (!app.Initialize())
            return 1;
        Measure(app, lowPower);
    }
    return 0;
}
