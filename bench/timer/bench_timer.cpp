// Runs the real message loop with the game's frame-timer settings on the system clock for a few
// seconds and prints the tick rate and gap statistics. Asserts nothing.
#include "engine/timing/ArvexTimer.h"
#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

int main() {
    win::SetHeadless(true);
    win::TApplication app;
    if (!app.Initialize())
        return 1;

    auto* timer = rtl::Create<TArvexTimer>(&app);
    timer->SetMinFPS(10);
    timer->SetMaxFPS(110);

    constexpr double kSeconds = 3.0;
    std::vector<float> gaps;
    int64_t frequency = 0, start = 0, now = 0;
    win::QueryPerformanceFrequency(&frequency);
    win::QueryPerformanceCounter(&start);
    timer->OnTimer = [&](rtl::TObject*) {
        gaps.push_back(timer->ElapsedTime());
        win::QueryPerformanceCounter(&now);
        if (static_cast<double>(now - start) / static_cast<double>(frequency) >= kSeconds)
            app.Terminate();
    };
    timer->SetEnabled(true);
    app.Run();

    std::sort(gaps.begin(), gaps.end());
    const double elapsed = static_cast<double>(now - start) / static_cast<double>(frequency);
    std::printf("frame timer, game settings (MaxFPS 110, MinFPS 10, no target)\n");
    std::printf("machine: %u hardware threads, counter %lld Hz\n",
                std::thread::hardware_concurrency(), static_cast<long long>(frequency));
    std::printf("ticks: %zu in %.3f s = %.1f ticks/s (cap 110)\n", gaps.size(), elapsed,
                static_cast<double>(gaps.size()) / elapsed);
    if (!gaps.empty())
        std::printf("gap ms: min %.3f  median %.3f  max %.3f (floor 1000/110 = 9.091)\n",
                    gaps.front() * 1000.0, gaps[gaps.size() / 2] * 1000.0, gaps.back() * 1000.0);
    std::printf("last measured FPS: %d\n", timer->FPS());
    return 0;
}
