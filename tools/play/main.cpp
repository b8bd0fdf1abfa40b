// kosmorra-play: plays the game headless from a script, for tests and for pictures of it.
//
//   kosmorra-play [--root DIR] [--open FILE] SCRIPT
//
// --open FILE starts the game as `kosmorra FILE` does: FILE is a collection (relative to the
// --root folder, or the starting folder without one), or --own for the game's own levels.
// --root DIR stands for the program's folder (Config.ini, Themes/, Music/, levels/ and the
// progress file are read and written there); without it, the player's own folder. Files the
// script names (shot, state) are relative to the folder the player was started in. Message
// boxes are printed to standard error. See Script.h for the commands.
#include "platform/rtl/Files.h"
#include "tools/play/Player.h"
#include "tools/play/Script.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: kosmorra-play [--root DIR] [--open FILE] SCRIPT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    play::PlayerOptions options;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc)
            options.Root = argv[++i];
        else if (arg == "--open" && i + 1 < argc)
            options.Open = argv[++i];
        else if (arg.size() > 1 && arg[0] == '-')
            return Usage();
        else if (script.empty())
            script = arg;
        else
            return Usage();
    }
    if (script.empty())
        return Usage();

    std::error_code error;
    options.OutputDir = std::filesystem::current_path(error).string();
    if (!options.Root.empty()) {
        const std::filesystem::path root = std::filesystem::absolute(options.Root, error);
        if (error || !std::filesystem::is_directory(root)) {
            std::fprintf(stderr, "kosmorra-play: no folder %s\n", options.Root.c_str());
            return 2;
        }
        options.Root = root.string();
    }
    if (!options.Open.empty() && options.Open != "--own") {
        const std::filesystem::path base = options.Root.empty() ? options.OutputDir : options.Root;
        options.Open = (base / options.Open).lexically_normal().string();
    }
    options.ScriptName = script;

    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "kosmorra-play: cannot read %s\n", script.c_str());
        return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<play::Command> commands;
    try {
        commands = play::ParseScript(text.str());
    } catch (const play::ScriptError& e) {
        std::fprintf(stderr, "%s:%d: %s\n", script.c_str(), e.Line, e.what());
        return 2;
    }

    play::Player player(options);
    return player.Run(commands);
}
