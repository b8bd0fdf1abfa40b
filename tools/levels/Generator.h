// Makes levels by playing backwards: objects start on their zones and the pusher pulls them
// away. Every position reached that way can be pushed back, so every level made is solvable;
// the position kept is the one the most pulls from the solved board, which the forward solver
// then measures.
//
// The room is a rectangle of floor with notched corners and short wall pieces inside, its walls
// drawn around whatever floor remains. The same options always make the same level.
#pragma once

#include "tools/levels/LevelFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace levels {

struct GenerateOptions {
    uint64_t Seed = 1;
    int Boxes = 3;
    int Width = 7; // floor area before walls are put in, at most 14 x 10
    int Height = 6;
    int Walls = -1;             // wall pieces inside the room; -1 chooses from the room's size
    size_t MaxStates = 300'000; // positions the backward search keeps before it samples
    size_t Beam = 3'000;        // positions per step once it samples
    // Sample the positions whose objects lie farthest from the zones rather than at random:
    // longer solutions, especially with many objects.
    bool Far = false;
};

// The level, or nothing when the options make no usable room (too small for the objects).
std::optional<Level> Generate(const GenerateOptions& options);

// The options as the command line that makes the level again:
// "levels generate --seed S --boxes K --size WxH", then whatever differs from the defaults.
std::string GenerateCommand(const GenerateOptions& options);
// Reads the arguments after "generate" (--seed, --boxes, --size WxH, --walls, --states, --beam,
// --far); nothing when one is unknown or malformed.
std::optional<GenerateOptions> ParseGenerateArguments(const std::vector<std::string>& args);

} // namespace levels
