// levels: the authoring tool for level files.
//
//   levels compile SRC.txt OUTDIR    every level of SRC.txt, checked, into OUTDIR/LevelN.sal
//   levels decompile FILE.sal...     the files as text in the notation
//   levels check FILE...             the rules a shipped level keeps (.txt or .sal)
//   levels solve FILE... [--level N] [--max-states N]
//                                    a push-optimal solution in LURD letters with its counts
//   levels generate --seed S --boxes K --size WxH [--walls N] [--states N] [--beam N] [--far 1]
//                                    a new level made by playing backwards, as text
//   levels evolve --seed S --boxes K --size WxH --generations G [--cap N] [--brood N]
//                 [--aim PxC[xN]] [--from FILE|-] [--threads T] [--checkpoint FILE]
//                                    a hard level searched for over rooms, proven, as text
//   levels report FILE [--plot OUT.png] [--max-states N]
//                                    each level's difficulty figures as a table, and a plot
//   levels verify FILE.txt           every level proven again, as its notes record it
// Exit status: 0 when everything asked for succeeded, 1 when a level failed, 2 on bad usage.
#include "puzzle/BoardKey.h"
#include "puzzle/Hint.h"
#include "puzzle/Measures.h"
#include "puzzle/Solver.h"
#include "tools/levels/Arguments.h"
#include "tools/levels/Evolver.h"
#include "tools/levels/Figures.h"
#include "tools/levels/Generator.h"
#include "tools/levels/LevelCheck.h"
#include "tools/levels/LevelFile.h"
#include "tools/levels/Report.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace levels;
using namespace puzzle;

namespace {

int Usage() {
    std::cerr << "usage: levels compile SRC.txt OUTDIR\n"
                 "       levels decompile FILE.sal...\n"
                 "       levels check FILE...\n"
                 "       levels solve FILE... [--level N] [--max-states N]\n"
                 "       levels generate --seed S --boxes K --size WxH [--walls N] "
                 "[--states N] [--beam N] [--far 1]\n"
                 "       levels evolve --seed S --boxes K --size WxH --generations G [--cap N] "
                 "[--brood N] [--aim PxC[xN]] [--from FILE|-]\n"
                 "                     [--threads T] [--checkpoint FILE]\n"
                 "       levels report FILE [--plot OUT.png] [--max-states N]\n"
                 "       levels verify FILE.txt\n";
    return 2;
}

bool IsLevelFile(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".sal";
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One level to work on, from a text collection or a level file.
struct Loaded {
    std::string Name;
    Level L;
    std::vector<std::string> Problems;
};

std::vector<Loaded> Load(const std::string& path) {
    std::vector<Loaded> loaded;
    if (IsLevelFile(path)) {
        const LevelBytes bytes = ReadLevelFile(path);
        std::vector<std::string> problems = CheckLevelBytes(bytes);
        Level level;
        try {
            level = DecodeLevel(bytes);
        } catch (const FileError&) {
            // The problems already say why; an empty board stands in.
        }
        loaded.push_back({path, level, problems});
        return loaded;
    }
    const std::vector<Level> levels = ParseLevels(ReadText(path));
    for (size_t i = 0; i < levels.size(); ++i)
        loaded.push_back(
            {path + " level " + std::to_string(i + 1), levels[i], CheckLevel(levels[i])});
    return loaded;
}

void Report(const Loaded& l) {
    for (const std::string& p : l.Problems)
        std::cerr << l.Name << ": " << p << "\n";
}

// The solutions the levels' notes keep, for the game's hint: a line per level with its board
// key and its moves. Only solutions that solve their level are written.
void WriteSolutions(const std::vector<Level>& levels, const std::string& path) {
    std::ostringstream text;
    text << "; The shipped levels' solutions, which the hint follows: a board key, then the "
            "moves.\n";
    for (const Level& level : levels) {
        const std::optional<RecordedFigures> figures = ReadFigures(level);
        bool solved = false;
        if (figures && !figures->Solution.empty() &&
            Replay(level, figures->Solution, solved).empty() && solved)
            text << BoardKey(level) << ' ' << figures->Solution << '\n';
    }
    std::ofstream out(path, std::ios::binary);
    out << text.str();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

int Compile(const std::string& source, const std::string& outDir) {
    const std::vector<Level> levels = ParseLevels(ReadText(source));
    if (levels.empty()) {
        std::cerr << source << ": no levels\n";
        return 1;
    }
    bool ok = true;
    for (size_t i = 0; i < levels.size(); ++i) {
        const Loaded l{source + " level " + std::to_string(i + 1), levels[i],
                       CheckLevel(levels[i])};
        Report(l);
        ok = ok && l.Problems.empty();
    }
    if (!ok)
        return 1; // nothing is written unless every level is sound
    std::filesystem::create_directories(outDir);
    for (size_t i = 0; i < levels.size(); ++i)
        WriteLevelFile(
            (std::filesystem::path(outDir) / LevelFileName(static_cast<int>(i) + 1)).string(),
            EncodeLevel(levels[i]));
    // Files of levels that are no longer in the source would otherwise still be played.
    for (int n = static_cast<int>(levels.size()) + 1;; ++n) {
        const std::filesystem::path stale = std::filesystem::path(outDir) / LevelFileName(n);
        if (!std::filesystem::remove(stale))
            break;
    }
    WriteSolutions(levels, (std::filesystem::path(outDir) / puzzle::kSolutionsFileName).string());
    std::cout << "compiled " << levels.size() << " levels into " << outDir << "\n";
    return 0;
}

int Decompile(const std::vector<std::string>& files) {
    std::vector<Level> levels;
    for (const std::string& f : files)
        levels.push_back(DecodeLevel(ReadLevelFile(f)));
    std::cout << FormatLevels(levels);
    return 0;
}

int Check(const std::vector<std::string>& files) {
    int failed = 0, total = 0;
    for (const std::string& f : files)
        for (const Loaded& l : Load(f)) {
            ++total;
            Report(l);
            failed += !l.Problems.empty();
        }
    std::cout << total - failed << " of " << total << " levels sound\n";
    return failed ? 1 : 0;
}

int SolveFiles(const std::vector<std::string>& files, int only, const SolveOptions& options) {
    int failed = 0, index = 0;
    for (const std::string& f : files)
        for (const Loaded& l : Load(f)) {
            ++index;
            if (only > 0 && index != only)
                continue;
            if (!l.Problems.empty()) {
                Report(l);
                ++failed;
                continue;
            }
            const Solution s = Solve(l.L, options);
            std::printf("%s", l.Name.c_str());
            if (!l.L.Title.empty())
                std::printf(" \"%s\"", l.L.Title.c_str());
            if (!s.Solved) {
                std::printf(": %s after %zu positions, %.2f s\n",
                            s.Unsolvable ? "unsolvable" : "no solution found", s.States, s.Seconds);
                ++failed;
                continue;
            }
            bool solved = false;
            const std::string error = Replay(l.L, s.Moves, solved);
            std::printf(": %zu objects, %d pushes%s, %zu moves, %d object changes, %d object "
                        "lines, %zu positions, %.2f s\n%s\n",
                        l.L.Boxes.size(), s.Pushes,
                        s.Optimal ? " (optimal)" : " (not proven optimal)", s.Moves.size(),
                        s.BoxChanges, ObjectLines(l.L, s.Moves), s.States, s.Seconds,
                        s.Moves.c_str());
            if (!error.empty() || !solved) {
                std::printf("the solution does not replay: %s\n",
                            error.empty() ? "objects left off zones" : error.c_str());
                ++failed;
            }
        }
    return failed ? 1 : 0;
}

int GenerateOne(const GenerateOptions& o) {
    const std::optional<Level> level = Generate(o);
    if (!level) {
        std::cerr << "no level: the room is too small for the objects\n";
        return 1;
    }
    Level l = *level;
    l.Title = "Generated";
    l.Notes.push_back(GenerateCommand(o));
    std::cout << FormatLevel(l);
    return 0;
}

// The notes a proven level keeps: how it was made, its figures and its solution.
void Record(Level& level, const std::string& command, const Judgement& j) {
    level.Notes.push_back(command);
    level.Notes.push_back("solution: " + std::to_string(j.Pushes) + " pushes, " +
                          std::to_string(j.Moves) + " moves");
    level.Notes.push_back("figures: " + std::to_string(j.Changes) + " object changes, " +
                          std::to_string(j.Lines) + " object lines, " + std::to_string(j.States) +
                          " positions");
    level.Notes.push_back("moves: " + j.Solution);
}

// The level a run goes on from: the first of the file --from names ("-": standard input).
std::optional<Level> StartingLevel(const EvolveOptions& o) {
    std::ostringstream input;
    if (o.From == "-")
        input << std::cin.rdbuf();
    const std::vector<Level> levels = ParseLevels(o.From == "-" ? input.str() : ReadText(o.From));
    const std::string name = o.From == "-" ? "standard input" : o.From;
    if (levels.empty()) {
        std::cerr << "no level in " << name << "\n";
        return std::nullopt;
    }
    if (static_cast<int>(levels[0].Boxes.size()) != o.Boxes) {
        std::cerr << "the level in " << name << " has " << levels[0].Boxes.size()
                  << " objects, not " << o.Boxes << "\n";
        return std::nullopt;
    }
    if (const std::vector<std::string> problems = CheckLevel(levels[0]); !problems.empty()) {
        std::cerr << "the level in " << name << ": " << problems.front() << "\n";
        return std::nullopt;
    }
    return levels[0];
}

int EvolveOne(const EvolveOptions& o, int threads, const std::string& checkpoint) {
    const std::string command = EvolveCommand(o);
    std::optional<Level> start;
    int first = 0;
    if (!checkpoint.empty())
        if (auto saved = std::filesystem::exists(checkpoint)
                             ? ReadCheckpoint(ReadText(checkpoint), o)
                             : std::nullopt) {
            start = saved->first;
            first = saved->second;
            std::cerr << "resuming after generation " << first << "\n";
        }
    if (!start && !o.From.empty()) {
        start = StartingLevel(o);
        if (!start)
            return 1;
    }
    if (!start)
        start = FirstLevel(o);
    if (!start) {
        std::cerr << "no level: the room is too small for the objects\n";
        return 1;
    }
    start->Title.clear();
    start->Notes.clear();
    auto progress = [&](const EvolveProgress& p, const Level& best) {
        std::fprintf(stderr,
                     "generation %d/%d: best score %.1f (%d pushes, %d object changes, %d lines, "
                     "%zu positions), %.0f positions/s\n",
                     p.Generation, o.Generations, p.Best.Score, p.Best.Pushes, p.Best.Changes,
                     p.Best.Lines, p.Best.States,
                     p.Seconds > 0 ? static_cast<double>(p.Positions) / p.Seconds : 0.0);
        if (checkpoint.empty())
            return;
        const std::string temporary = checkpoint + ".new";
        std::ofstream(temporary, std::ios::binary) << FormatCheckpoint(best, o, p.Generation);
        std::filesystem::rename(temporary, checkpoint);
    };
    auto [level, judgement] = Evolve(o, *start, first, threads, progress);
    if (!judgement.Valid) {
        std::cerr << "no level proven within the cap: " << judgement.Why << "\n";
        return 1;
    }
    level.Title = "Evolved";
    level.Notes.clear();
    Record(level, command, judgement);
    std::cout << FormatLevel(level);
    return 0;
}

int ReportFile(const std::string& file, const std::string& plot, size_t maxStates) {
    std::vector<ReportRow> rows;
    int failed = 0;
    for (const Loaded& l : Load(file)) {
        Report(l);
        rows.push_back(MeasureLevel(l.L, static_cast<int>(rows.size()) + 1, maxStates));
        failed += !l.Problems.empty() || !rows.back().Optimal;
    }
    std::cout << FormatReport(rows);
    if (!plot.empty()) {
        const std::vector<uint8_t> png = rtl::EncodePNG(PlotReport(rows));
        std::ofstream out(plot, std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()),
                  static_cast<std::streamsize>(png.size()));
        if (!out)
            throw std::runtime_error("cannot write " + plot);
    }
    return failed ? 1 : 0;
}

// Proves each level of a collection again and holds its notes to it: the solver proves the
// recorded push count minimal, and finds again the recorded moves and figures.
int Verify(const std::string& file) {
    int failed = 0, index = 0;
    for (const Loaded& l : Load(file)) {
        ++index;
        Report(l);
        const std::optional<RecordedFigures> recorded = ReadFigures(l.L);
        const Solution s = Solve(l.L);
        std::string problem;
        if (!l.Problems.empty())
            problem = "unsound";
        else if (!recorded)
            problem = "no recorded figures";
        else if (!s.Solved || !s.Optimal)
            problem = "not proven within the solver's positions";
        else if (s.Pushes != recorded->Pushes ||
                 static_cast<int>(s.Moves.size()) != recorded->Moves ||
                 s.BoxChanges != recorded->Changes ||
                 ObjectLines(l.L, s.Moves) != recorded->Lines || s.States != recorded->States ||
                 s.Moves != recorded->Solution)
            problem = "the solver's figures differ from the notes: " + std::to_string(s.Pushes) +
                      " pushes, " + std::to_string(s.Moves.size()) + " moves, " +
                      std::to_string(s.BoxChanges) + " object changes, " +
                      std::to_string(ObjectLines(l.L, s.Moves)) + " object lines, " +
                      std::to_string(s.States) + " positions";
        std::printf("level %d \"%s\": %s (%zu positions, %.2f s)\n", index, l.L.Title.c_str(),
                    problem.empty() ? "proven" : problem.c_str(), s.States, s.Seconds);
        failed += !problem.empty();
    }
    std::printf("%d of %d levels proven as recorded\n", index - failed, index);
    return failed || index == 0 ? 1 : 0;
}

long Number(const std::string& text) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 0)
        throw std::invalid_argument("not a number: " + text);
    return n;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage();
    const std::string& command = args[0];
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> flags;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            if (i + 1 >= args.size())
                return Usage();
            flags.emplace_back(args[i], args[i + 1]);
            ++i;
        } else {
            files.push_back(args[i]);
        }
    }
    if (command == "compile" && files.size() == 2 && flags.empty())
        return Compile(files[0], files[1]);
    if (command == "decompile" && !files.empty() && flags.empty())
        return Decompile(files);
    if (command == "check" && !files.empty() && flags.empty())
        return Check(files);
    if (command == "solve" && !files.empty()) {
        SolveOptions options;
        int only = 0;
        for (const auto& [flag, value] : flags) {
            if (flag == "--level")
                only = static_cast<int>(Number(value));
            else if (flag == "--max-states")
                options.MaxStates = static_cast<size_t>(Number(value));
            else
                return Usage();
        }
        return SolveFiles(files, only, options);
    }
    if (command == "generate") {
        const std::optional<GenerateOptions> o =
            ParseGenerateArguments(std::vector<std::string>(args.begin() + 1, args.end()));
        return o ? GenerateOne(*o) : Usage();
    }
    if (command == "verify" && files.size() == 1 && flags.empty())
        return Verify(files[0]);
    if (command == "report" && files.size() == 1) {
        std::string plot;
        size_t maxStates = SolveOptions{}.MaxStates;
        for (const auto& [flag, value] : flags) {
            if (flag == "--plot")
                plot = value;
            else if (flag == "--max-states")
                maxStates = static_cast<size_t>(Number(value));
            else
                return Usage();
        }
        return ReportFile(files[0], plot, maxStates);
    }
    if (command == "evolve") {
        std::vector<std::string> rest;
        int threads = 2;
        std::string checkpoint;
        for (const auto& [flag, value] : flags) {
            if (flag == "--threads")
                threads = static_cast<int>(std::min(Number(value), 64L));
            else if (flag == "--checkpoint")
                checkpoint = value;
            else {
                rest.push_back(flag);
                rest.push_back(value);
            }
        }
        const std::optional<EvolveOptions> o = ParseEvolveArguments(rest);
        return o && files.empty() ? EvolveOne(*o, threads, checkpoint) : Usage();
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::cerr << "levels: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "levels: " << e.what() << "\n";
        return 1;
    }
}
