// The scripted player: the real game (TForm1, the application loop, the engine and the data)
// run headless on the software device, on a virtual clock that moves 10 ms per loop pass, so
// every pass is exactly one frame tick (the frame timer ticks at most 110 times a second).
// Input is synthesised as the window system's own events; see Script.h for the commands and
// GameProbe.h for the state.
#pragma once

#include "platform/rtl/DecodeAhead.h"
#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "tools/play/Json.h"
#include "tools/play/Script.h"

#include <memory>
#include <string>
#include <vector>

class TForm1;

namespace play {

struct PlayerOptions {
    std::string Root;       // the folder standing for the program's; empty: its own folder
    std::string ScriptName; // for messages
    std::string OutputDir;  // where relative shot and state files go
    std::string Open;       // what `kosmorra FILE` would name: a collection's path, or --own
};

class Player {
public:
    explicit Player(PlayerOptions options);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Starts the game and runs the script. The exit status: 0 when the script ran to its end,
    // the program's own when it ended first (0 through its exit question), 1 when an
    // expectation failed or the game could not run, 2 for a script that cannot be played.
    int Run(const std::vector<Command>& commands);

    // Virtual time per loop pass: more than the 1/110 s the frame timer waits for, and the
    // 10 ms the GUI wants between two mouse moves it takes.
    static constexpr double kFrameMilliseconds = 10.0;

private:
    bool Start();
    void Execute(const Command& command);
    void Frame(const Command& command);
    void Deliver();
    void PointAt(int x, int y, int& windowX, int& windowY) const;
    JsonValue State();
    bool Expect(const Command& command);
    void SaveShot(const std::string& file);
    std::string OutputPath(const std::string& file) const;
    std::string Where(const Command& command) const;

    PlayerOptions FOptions;
    win::VirtualClock FClock;
    std::unique_ptr<win::TApplication> FApp;
    // The theme decoded ahead as the program's start does it; gone before the application.
    std::unique_ptr<rtl::TDecodeAhead> FThemeAhead;
    TForm1* FForm = nullptr;
    long long FTicks = 0;
    bool FEnded = false;
};

} // namespace play
