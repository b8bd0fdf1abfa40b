// The whole game, in the build folder's run-time tree:
//   start-up  a timeline of fresh starts of the game, from the moment the process is made to
//             the first presented menu frame: headless on the software device, and with
//             SDL_VIDEODRIVER=x11 and a display also in a real X window on each device
//             (KOSMORRA_DEVICE=soft, then gl); each column names the device it measured;
//   memory    the resident size in the game screen, for each of those starts, and the peak
//             once a hint has been searched from the start of every level;
//   frames    the cost of one frame tick of each screen (menu, the game with the fullest level,
//             level selection, a collection's page of it, options; the game once more with the
//             comforts' tints, marks and note), point and bilinear filtering, headless, one thread.
// Prints tables with the targets beside the figures. Asserts nothing.
//
// Usage: bench_game [starts per column, default 5]
//        bench_game --one-start headless|window   one start, its milestones on stdout (what the
//                                                  timeline runs; also handy under a profiler)
#include "game/CollectionFile.h"
#include "game/ThemeAhead.h"
#include "game/Unit1.h"
#include "platform/d3d/Device.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return 0;
}

long PeakResidentKb() {
    return StatusKb("VmHWM:");
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Median milliseconds of one frame tick of the current screen.
double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The game's own loop paced by its frame timer, as the program runs it, for a few seconds.
struct Paced {
    double TicksPerSecond = 0;
    double MedianGapMs = 0;
    double WorstGapMs = 0;
    double ProcessorShare = 0; // of one core
    double ProcessorPerTickMs = 0;
};

Paced RunPaced(win::TApplication& app, TForm1& form, bool lowPower) {
    constexpr double kSeconds = 3.0;
    TArvexTimer& timer = *form.ArvexTimer1;
    timer.SetLowPower(lowPower);
    const rtl::TNotifyEvent tick = timer.OnTimer;
    std::vector<float> gaps;
    timer.OnTimer = [&](rtl::TObject* sender) {
        tick(sender);
        gaps.push_back(timer.ElapsedTime());
    };
    timer.SetEnabled(true);
    const double processorStart = ProcessorSeconds();
    const Clock::time_point start = Clock::now();
    while (Ms(Clock::now() - start) < kSeconds * 1000)
        app.Step();
    const double seconds = Ms(Clock::now() - start) / 1000;
    const double processor = ProcessorSeconds() - processorStart;
    timer.SetEnabled(false);
    timer.OnTimer = tick;
    timer.SetLowPower(false);
    Paced paced;
    if (gaps.empty())
        return paced;
    std::sort(gaps.begin(), gaps.end());
    paced.TicksPerSecond = static_cast<double>(gaps.size()) / seconds;
    paced.MedianGapMs = gaps[gaps.size() / 2] * 1000.0;
    paced.WorstGapMs = gaps.back() * 1000.0;
    paced.ProcessorShare = processor / seconds;
    paced.ProcessorPerTickMs = processor * 1000 / static_cast<double>(gaps.size());
    return paced;
}

double FrameCost(TForm1& form, int frames) {
    std::vector<double> costs;
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        form.ArvexTimer1Timer(form.ArvexTimer1);
        costs.push_back(Ms(Clock::now() - start));
    }
    std::sort(costs.begin(), costs.end());
    return costs[costs.size() / 2];
}

// The milestones of one start, in order, as the child reports them.
const char* const kMilestones[] = {"main entered",
                                   "SDL ready",
                                   "window made (hidden), device creation begins",
                                   "device ready, theme decoded into its textures",
                                   "form created (song, font, menu)",
                                   "window shown",
                                   "first frame presented"};
constexpr int kMilestoneCount = 7;

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// One start of the game in this process, as the program starts (the form made, its window
// shown, the loop run until the first frame has been presented), reporting each milestone's
// steady-clock time; then the game screen with the fullest level and the resident size there.
// The steady clock is the machine's, so the parent can subtract the moment it made the process.
int OneStart(bool headless) {
    const auto mark = [](const char* name) {
        std::printf("mark %s=%lld\n", name, static_cast<long long>(NowNs()));
    };
    mark(kMilestones[0]);
    win::SetHeadless(headless);
    win::TApplication app;
    const auto themeAhead = DecodeThemeAhead(); // as the program's main does
    if (!app.Initialize())
        return 1;
    mark(kMilestones[1]);
    app.Title = "Trundlo";
    // What CreateForm does, with an ear on the form's window (made when the device needs it)
    // and on the screen, whose OnInit follows the device and the textures of the pictures the
    // form holds by then: the theme's.
    auto* form = new TForm1(&app);
    const win::TWndMethod windowProc = form->WindowProc;
    bool made = false;
    form->WindowProc = [&](win::TMessage& message) {
        if (message.Msg == win::WM_CREATE && !made) {
            made = true;
            mark(kMilestones[2]);
        }
        windowProc(message);
    };
    form->ArvexScreen1->OnInit = [&](rtl::TObject*) { mark(kMilestones[3]); };
    form->AfterConstruction();
    app.MainForm = form;
    mark(kMilestones[4]);
    form->Show(); // as the application's Run does
    mark(kMilestones[5]);
    int ticks = 0;
    const rtl::TNotifyEvent tick = form->ArvexTimer1->OnTimer;
    form->ArvexTimer1->OnTimer = [&](rtl::TObject* sender) {
        tick(sender);
        ++ticks;
    };
    while (ticks == 0 && !app.Terminated())
        app.Step();
    mark(kMilestones[6]);
    d3d::Device* device = form->ArvexScreen1->Device();
    std::printf("device %s\n", device ? device->BackendName() : "none");

    form->ArvexTimer1->SetEnabled(false);
    form->ChangeToGame(form->State.Menu.Buttons[0]);
    form->ClearAll();
    form->LoadLevel(50);
    form->State.ScreenState = ssGame;
    for (int i = 0; i < 60; ++i) {
        form->ArvexTimer1Timer(form->ArvexTimer1);
        app.ProcessMessages();
    }
    std::printf("resident %ld\n", ResidentKb());
    // The hint from the start of every level, on its worker thread while the frames run: the
    // peak is the game screen plus the largest search.
    for (int n = 1; n <= TForm1::kListedLevels; ++n) {
        form->ClearAll();
        form->LoadLevel(n);
        form->State.ScreenState = ssGame;
        form->AskHint();
        for (int i = 0; i < 100000 && form->State.Assist.Hint; ++i) {
            form->ArvexTimer1Timer(form->ArvexTimer1);
            app.ProcessMessages();
        }
    }
    std::printf("hintpeak %ld\n", PeakResidentKb());
    std::fflush(stdout);
    return 0;
}

struct StartFigures {
    std::string Device;
    std::vector<double> Ms; // per milestone, from the moment the process was made
    double ResidentMb = 0;
    double HintPeakMb = 0;
};

// Makes a fresh process of this program for one start, with extra environment settings.
bool RunOneStart(const char* self, const char* mode,
                 const std::vector<std::pair<std::string, std::string>>& env,
                 StartFigures& figures) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const auto& [name, value] : env)
            replaced |= std::strncmp(*e, (name + "=").c_str(), name.size() + 1) == 0;
        if (!replaced)
            envText.emplace_back(*e);
    }
    for (const auto& [name, value] : env)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string flag = "--one-start", modeText = mode, selfText = self;
    char* argv[] = {selfText.data(), flag.data(), modeText.data(), nullptr};

    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int64_t made = NowNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return false;

    std::map<std::string, int64_t> marks;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("mark ", 0) == 0) {
            const size_t eq = line.find('=');
            marks[line.substr(5, eq - 5)] = std::stoll(line.substr(eq + 1));
        } else if (line.rfind("device ", 0) == 0) {
            figures.Device = line.substr(7);
        } else if (line.rfind("resident ", 0) == 0) {
            figures.ResidentMb = std::stod(line.substr(9)) / 1024.0;
        } else if (line.rfind("hintpeak ", 0) == 0) {
            figures.HintPeakMb = std::stod(line.substr(9)) / 1024.0;
        }
    }
    figures.Ms.clear();
    for (const char* name : kMilestones)
        figures.Ms.push_back(marks.count(name) ? static_cast<double>(marks[name] - made) / 1e6
                                               : -1.0); // not reached on this device
    return figures.Ms.back() >= 0;
}

// Of the values that are there (not negative); -1 when there are none.
double Median(std::vector<double> values) {
    std::erase_if(values, [](double v) { return v < 0; });
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

struct Column {
    std::string Title;
    std::string Device; // what the starts really ran on
    std::vector<double> Ms;
    double ResidentMb = 0;
    double HintPeakMb = 0;
    int Starts = 0;
};

Column MeasureStarts(const char* self, const char* mode, const std::string& title,
                     const std::vector<std::pair<std::string, std::string>>& env, int starts) {
    Column column;
    column.Title = title;
    std::vector<std::vector<double>> ms(kMilestoneCount);
    std::vector<double> resident, hintPeak;
    for (int i = 0; i < starts; ++i) {
        StartFigures figures;
        if (!RunOneStart(self, mode, env, figures))
            continue;
        ++column.Starts;
        for (int m = 0; m < kMilestoneCount; ++m)
            ms[static_cast<size_t>(m)].push_back(figures.Ms[static_cast<size_t>(m)]);
        resident.push_back(figures.ResidentMb);
        hintPeak.push_back(figures.HintPeakMb);
        if (column.Device.empty())
            column.Device = figures.Device;
        else if (column.Device != figures.Device)
            column.Device += " and " + figures.Device;
    }
    for (const std::vector<double>& m : ms)
        column.Ms.push_back(Median(m));
    column.ResidentMb = Median(resident);
    column.HintPeakMb = Median(hintPeak);
    return column;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--one-start")
        return OneStart(std::string(argv[2]) != "window");
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    // The start-up timeline, fresh processes only: a start inside this one would find SDL,
    // fontconfig and the codecs already warm.
    std::vector<Column> columns;
    // Headless means SDL's dummy driver even where the caller's environment names another.
    columns.push_back(
        MeasureStarts(argv[0], "headless", "headless", {{"SDL_VIDEODRIVER", "dummy"}}, starts));
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* display = std::getenv("DISPLAY");
    const bool window = driver && std::string(driver) == "x11" && display && *display;
    if (window) {
        // SDL's OpenGL library is made unloadable too, so that the software device is what a
        // build without the device switch falls back to as well.
        columns.push_back(MeasureStarts(
            argv[0], "window", "X window, soft asked",
            {{"KOSMORRA_DEVICE", "soft"}, {"SDL_OPENGL_LIBRARY", "/nonexistent/libGL.so.1"}},
            starts));
        columns.push_back(MeasureStarts(argv[0], "window", "X window, gl asked",
                                        {{"KOSMORRA_DEVICE", "gl"}}, starts));
    }

    // Frame costs, headless in this process. The frames are driven directly from here: the
    // timer would hold them to 110 a second.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    win::SetHeadless(true);
    win::TApplication app;
    if (!app.Initialize())
        return 1;
    app.Title = "Trundlo";
    TForm1* form = app.CreateForm<TForm1>();
    form->ArvexTimer1->SetEnabled(false);
    struct Row {
        const char* Screen;
        double Point;
        double Bilinear;
    };
    std::vector<Row> rows;
    const auto measure = [&](const char* name) {
        form->ArvexScreen1->SetAntialias(false);
        const double point = FrameCost(*form, 200);
        form->ArvexScreen1->SetAntialias(true);
        const double bilinear = FrameCost(*form, 200);
        rows.push_back({name, point, bilinear});
    };
    measure("menu");
    form->ChangeToGame(form->State.Menu.Buttons[0]);
    form->ClearAll();
    form->LoadLevel(50); // the fullest shipped level: nine objects
    form->State.ScreenState = ssGame;
    form->ArvexTimer1Timer(form->ArvexTimer1);
    measure("game, level 50");
    // The counters in full: moves and pushes played, and the level's bests beside them.
    form->State.Records.Add(form->State.LevelKey, "rrddLLUUrrddLLUUrrddLLUU");
    form->State.MoveLog = "rrddLLUUrrdd";
    form->State.UndoIndex = static_cast<int32_t>(form->State.MoveLog.size());
    measure("game, level 50, counters with bests");
    form->State.MoveLog.clear();
    form->State.UndoIndex = 0;
    // The comforts' drawing at its fullest: every object tinted, one picked with its targets
    // marked, and a line of text.
    for (TBox* box : form->State.BoxSprites)
        if (box) {
            box->SetRed(255);
            box->SetGreen(90);
            box->SetBlue(90);
        }
    const TCellPos first = form->State.Level.Boxes[0];
    form->BoardMouseDown(0, first.X * 64 + 32, first.Y * 64 + 32);
    form->State.Assist.Note = "No solution from here: undo (U) to go back";
    measure("game, level 50, objects tinted, one picked, a note");
    form->ChangeToLoad(nullptr);
    measure("level selection");
    {
        // A collection of 1,000 levels, its second page: labels and marks drawn over the
        // background. Set directly rather than opened, so Config.ini is left as it was.
        const std::string file = "/tmp/bench_game_collection_" + std::to_string(getpid()) + ".txt";
        {
            std::ofstream out(file, std::ios::binary);
            for (int n = 1; n <= 1000; ++n)
                out << "Level " << n << "\n#####" << std::string(n % 8, '#') << "\n#@$"
                    << std::string(n % 8, ' ') << ".#\n#####" << std::string(n % 8, '#')
                    << "\nTitle: Corridor " << n << "\n\n";
        }
        form->State.Collection = std::make_unique<TCollection>(ReadCollectionFile(file));
        std::remove(file.c_str());
        form->ChangeToLoad(nullptr);
        form->ChangePage(1);
        measure("level selection, a collection's page 2");
        form->State.Collection.reset();
    }
    form->ChangeToOptions(nullptr);
    measure("options");
    form->ArvexTimer1->SetEnabled(false);
    form->ChangeToMenu(nullptr);
    form->ArvexTimer1->SetEnabled(false);
    const Paced spinning = RunPaced(app, *form, false);
    const Paced lowPower = RunPaced(app, *form, true);

    std::printf("Kosmorra, %u hardware threads; start-up: median of %d fresh starts per column, "
                "ms from the moment the process was made%s\n\n",
                std::thread::hardware_concurrency(), starts,
                window ? "" : " (set SDL_VIDEODRIVER=x11 and DISPLAY to measure real windows)");
    std::printf("| milestone |");
    for (const Column& c : columns)
        std::printf(" %s: ran on %s (%d starts) |", c.Title.c_str(),
                    c.Device.empty() ? "nothing" : c.Device.c_str(), c.Starts);
    std::printf(" target |\n|---|");
    for (size_t i = 0; i < columns.size(); ++i)
        std::printf("---|");
    std::printf("---|\n");
    for (int m = 0; m < kMilestoneCount; ++m) {
        std::printf("| %s |", kMilestones[m]);
        for (const Column& c : columns) {
            const double ms = c.Starts ? c.Ms[static_cast<size_t>(m)] : -1;
            if (ms < 0)
                std::printf(" - |");
            else
                std::printf(" %.1f ms |", ms);
        }
        std::printf(" %s |\n", m == kMilestoneCount - 1 ? "under 100 ms (software device)" : "");
    }
    std::printf("| resident memory in the game screen |");
    for (const Column& c : columns)
        std::printf(" %.1f MB |", c.ResidentMb);
    std::printf(" under 60 MB (software device) |\n");
    std::printf("| peak resident memory, the hint asked at the start of every level |");
    for (const Column& c : columns)
        std::printf(" %.1f MB |", c.HintPeakMb);
    std::printf(" under 60 MB (software device) |\n\n");

    std::printf("Frames, headless on the %s device, one drawing thread\n\n",
                form->ArvexScreen1->Device() ? form->ArvexScreen1->Device()->BackendName() : "no");
    std::printf("| measure | figure | target |\n|---|---|---|\n");
    for (const Row& r : rows)
        std::printf("| frame, %s | %.2f ms point, %.2f ms bilinear | under 9.09 ms (110 per "
                    "second) |\n",
                    r.Screen, r.Point, r.Bilinear);
    std::printf("\nThe menu run by the frame timer for 3 s, as the program runs it, bilinear\n\n"
                "| timer | ticks per second | gap median, worst | processor | per tick |\n"
                "|---|---|---|---|---|\n");
    for (const auto& [name, p] :
         {std::pair{"spinning (default)", spinning}, std::pair{"LowPower=1", lowPower}})
        std::printf("| %s | %.1f | %.3f ms, %.3f ms | %.0f%% of a core | %.2f ms |\n", name,
                    p.TicksPerSecond, p.MedianGapMs, p.WorstGapMs, 100 * p.ProcessorShare,
                    p.ProcessorPerTickMs);
    return 0;
}
