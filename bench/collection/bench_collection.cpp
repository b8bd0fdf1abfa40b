// Level collections: a collection of 1,000 levels made by the level tool's generator (room sizes
// and object counts spread over everything it makes, with a short search each: the levels are
// for reading, not for playing well), written as the genre's files are (a "Level N" line before
// each board, a "Title:" line after it), then
//   open     the time to read it as the game does (file, reader, checks, records' key), median
//            of 9 opens, and the peak memory the open adds, measured in a fresh process;
//   fits     the share of its levels the game can play, and why the others cannot.
// Prints a table with the targets beside the figures. Asserts nothing.
//
// Usage: bench_collection [levels, default 1000]
//        bench_collection --open FILE    one open in this process, its figures on stdout
#include "game/CollectionFile.h"
#include "tools/levels/Generator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string name = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(name, 0) == 0)
            return std::stol(line.substr(name.size()));
    return 0;
}

int OpenOnce(const std::string& file) {
    const long before = StatusKb("VmRSS");
    std::vector<double> ms;
    size_t levels = 0, playable = 0;
    for (int i = 0; i < 9; ++i) {
        const Clock::time_point start = Clock::now();
        const TCollection c = ReadCollectionFile(file);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        levels = c.Levels.Levels.size();
        playable = c.Levels.PlayableCount();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%zu %zu %.2f %ld\n", levels, playable, ms[ms.size() / 2],
                StatusKb("VmHWM") - before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--open")
        return OpenOnce(argv[2]);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    std::string text = "; Made by bench_collection with the level generator\n\n";
    int made = 0;
    for (uint64_t seed = 1; made < count; ++seed) {
        levels::GenerateOptions o;
        o.Seed = seed;
        o.Boxes = 1 + static_cast<int>(seed % 9);
        o.Width = 4 + static_cast<int>((seed * 7) % 11); // 4 to 14
        o.Height = 4 + static_cast<int>((seed * 3) % 7); // 4 to 10
        o.MaxStates = 300;
        o.Beam = 40;
        std::optional<levels::Level> level = levels::Generate(o);
        if (!level)
            continue;
        ++made;
        level->Title.clear();
        level->Notes.clear();
        text += "Level " + std::to_string(made) + "\n" + levels::FormatLevel(*level) +
                "Title: " + levels::GenerateCommand(o) + "\n\n";
    }
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("bench_collection_" + std::to_string(getpid()) + ".txt");
    std::ofstream(file, std::ios::binary) << text;

    // The open in a fresh process, so that the generator's memory does not hide its peak.
    const std::string command = "'" + std::string(argv[0]) + "' --open '" + file.string() + "'";
    FILE* child = popen(command.c_str(), "r");
    size_t levels = 0, playable = 0;
    double ms = -1;
    long peakKb = -1;
    if (child) {
        if (std::fscanf(child, "%zu %zu %lf %ld", &levels, &playable, &ms, &peakKb) != 4)
            ms = -1;
        pclose(child);
    }

    const TCollection c = ReadCollectionFile(file.string());
    std::map<std::string, int> why;
    for (const puzzle::CollectionLevel& l : c.Levels.Levels)
        if (!l.Playable()) {
            // Reasons by kind: the figures in them (rows, counts) set aside.
            std::string kind = l.Problem;
            kind.erase(std::remove_if(kind.begin(), kind.end(), ::isdigit), kind.end());
            ++why[kind];
        }
    std::filesystem::remove(file);

    std::printf("A collection of %zu generated levels, %zu KB of text\n\n", levels,
                text.size() / 1024);
    std::printf("| measure | figure | target |\n|---|---|---|\n");
    std::printf("| open (read, check, key), median of 9 | %.1f ms | under 100 ms |\n", ms);
    std::printf("| peak memory the open adds | %.2f MB | under 10 MB |\n", peakKb / 1024.0);
    std::printf("| levels the game can play | %zu of %zu (%.1f%%) | |\n", playable, levels,
                levels ? 100.0 * static_cast<double>(playable) / static_cast<double>(levels) : 0);
    for (const auto& [kind, n] : why)
        std::printf("| not playable: %s | %d | |\n", kind.c_str(), n);
    return 0;
}
