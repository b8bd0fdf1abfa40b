// Reads the staged theme file (Themes/Space.OIL beside the program) and decodes every picture
// in it, as the game does at start-up before it makes textures; prints the time of the whole
// and of each picture class. Then the engine's whole path: the image list loads the file and
// makes every texture on the software device. Asserts nothing.
#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Pictures.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"
#include "tools/oil/Theme.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : rtl::ProgramDir() + "Themes/Space.OIL";
    const std::vector<uint8_t> bytes = rtl::ReadFileBytes(file);
    constexpr int kRuns = 10;
    std::vector<double> totals;
    std::map<std::string, double> byClass;
    std::map<std::string, int> counts;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        const std::vector<oil::ThemePicture> pictures = oil::ReadTheme(bytes);
        for (const oil::ThemePicture& p : pictures) {
            const Clock::time_point one = Clock::now();
            rtl::TPixels pixels;
            std::string error;
            if (!rtl::DecodeImage(p.FileBytes, pixels, error)) {
                std::fprintf(stderr, "%s: %s\n", p.Name.c_str(), error.c_str());
                return 1;
            }
            if (run == 0)
                ++counts[p.ClassName];
            byClass[p.ClassName] += Milliseconds(Clock::now() - one) / kRuns;
        }
        totals.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(totals.begin(), totals.end());
    std::printf("theme decode: %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::printf("machine: %u hardware threads\n", std::thread::hardware_concurrency());
    std::printf("whole theme, read and decode: median %.1f ms, best %.1f ms, worst %.1f ms "
                "(%d runs)\n",
                totals[totals.size() / 2], totals.front(), totals.back(), kRuns);
    for (const auto& [className, ms] : byClass)
        std::printf("  %-11s %2d pictures  %.1f ms\n", className.c_str(), counts[className], ms);

    // The engine's path, as start-up runs it: LoadFromFile, then LoadTextures.
    win::SetHeadless(true);
    win::TApplication app;
    if (!app.Initialize())
        return 1;
    auto* form = new win::TForm(&app);
    auto* screen = rtl::Create<TArvexScreen>(form);
    auto* list = rtl::Create<TArvexImageList>(form);
    screen->RenderMode = rmReference;
    screen->Width = 1024;
    screen->Height = 768;
    screen->SetWindowHandle(form);
    screen->Initialize();
    std::vector<double> loads;
    for (int run = 0; run < kRuns; ++run) {
        list->ImageList().Clear();
        const Clock::time_point start = Clock::now();
        list->ImageList().LoadFromFile(file);
        list->LoadTextures();
        loads.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(loads.begin(), loads.end());
    std::printf("image list, load file and make %d textures (software device): median %.1f ms, "
                "best %.1f ms, worst %.1f ms (target under 150 ms)\n",
                list->Count(), loads[loads.size() / 2], loads.front(), loads.back());
    return 0;
}
