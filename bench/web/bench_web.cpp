// The game's frame in the browser: one frame tick of the game screen with the fullest shipped
// level (50, nine objects) and of the menu, point and bilinear filtering, on the software
// device, headless in the page (SDL's dummy video: the cost of drawing, not of the canvas
// upload). Prints the medians with the targets beside them, on the page and its console, where
// tests/web/web_bench.mjs reads them. Asserts nothing.
#include "game/Unit1.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Median milliseconds of one frame tick of the current screen.
double FrameCost(TForm1& form, int frames) {
    std::vector<double> costs;
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        form.ArvexTimer1Timer(form.ArvexTimer1);
        costs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(costs.begin(), costs.end());
    return costs[costs.size() / 2];
}

} // namespace

int main() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    win::SetHeadless(true);
    win::TApplication app;
    if (!app.Initialize())
        return 1;
    app.Title = "Trundlo";
    TForm1* form = app.CreateForm<TForm1>();
    form->ArvexTimer1->SetEnabled(false);
    const auto measure = [&](const char* name, const char* targets) {
        form->ArvexScreen1->SetAntialias(false);
        const double point = FrameCost(*form, 200);
        form->ArvexScreen1->SetAntialias(true);
        const double bilinear = FrameCost(*form, 200);
        std::printf("| %s | %.2f ms | %.2f ms | %s |\n", name, point, bilinear, targets);
    };
    std::printf("| frame tick, browser, software device | point | bilinear | target |\n"
                "|---|---|---|---|\n");
    measure("menu", "");
    form->ChangeToGame(form->State.Menu.Buttons[0]);
    form->ClearAll();
    form->LoadLevel(50);
    form->State.ScreenState = ssGame;
    form->ArvexTimer1Timer(form->ArvexTimer1);
    measure("game, level 50", "9.09 ms point, 12 ms bilinear");
    std::printf("bench done\n");
    std::fflush(stdout);
    return 0;
}
