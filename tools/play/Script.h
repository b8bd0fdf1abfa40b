// The scripted player's script language: one command per line.
//
//   frames N            run N passes of the application loop, one frame tick each
//   down KEY, up KEY    a key (SDL's name: Left, Right, Up, Down, Escape, U, Return, ...) goes
//                       down or up; the keyboard poll of the next frame sees it
//   press KEY           down, one frame, up, one frame
//   move X Y            the pointer moves to (X, Y) in back-buffer pixels, then one frame
//   click X Y           move there, left button down and up, then one frame
//   rclick X Y          the same with the right button
//   type TEXT           TEXT (the rest of the line, UTF-8) typed as text input
//   shot FILE.png       the last presented frame as a PNG
//   state FILE.json     the game's state as JSON
//   expect FIELD VALUE  a state field (or text:FILE, bytes:FILE) must read VALUE
//   answer yes|no|ok|cancel   what message boxes answer from now on
//   remove NAME         removes a file or an empty folder of the game's folder (gone already
//                       is fine), to take files away while the game runs
//   rename FROM TO      renames a file or folder of the game's folder
//   drop NAME           a file or folder of the game's folder is dropped on the window
//   # ...               a comment (only as a whole line: values may contain "#")
//
// Input is delivered at once, between frames, as the real loop delivers messages between ticks.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace play {

enum class Op {
    Frames,
    Down,
    Up,
    Press,
    Move,
    Click,
    RightClick,
    Type,
    Shot,
    State,
    Expect,
    Answer,
    Remove,
    Rename,
    Drop
};

struct Command {
    int Line = 0;
    Op Kind = Op::Frames;
    int Count = 0;     // frames
    int X = 0, Y = 0;  // move, click, rclick
    std::string Text;  // key name, typed text, file name, field, answer
    std::string Value; // expect, rename's new name
};

class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& what);
    int Line;
};

// Every command of the script, checked for form (not for key names, which need the platform).
std::vector<Command> ParseScript(const std::string& text);

} // namespace play
