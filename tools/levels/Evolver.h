// Searches for hard levels over the room itself: a level is mutated (walls, zones, objects,
// the pusher's start), every mutant is proven by the push-optimal solver within a cap on its
// positions, and the best by Score is kept. A level the solver cannot prove within the cap is
// never kept, so everything the search returns is proven, with its figures.
//
// Each generation's mutants come from a random stream that depends only on the seed, the
// generation and the mutant's number, and the winner is picked by score, then by number: the
// threads only share out the work, and the same command always makes the same level. The
// state between generations is the level alone, which is what a checkpoint holds.
#pragma once

#include "tools/levels/LevelFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace levels {

// What a run aims for: figures a level should reach. Each figure short of its aim costs the
// score far more than any other measure gains, so the search climbs towards them first, and
// from there by the usual measures. Zero: no aim.
struct Aim {
    int Pushes = 0;
    int Changes = 0;
    size_t Positions = 0;
    bool operator==(const Aim&) const = default;
};

struct EvolveOptions {
    uint64_t Seed = 1;
    int Boxes = 6;
    int Width = 10; // the room's floor stays within this rectangle, at most 14 x 10
    int Height = 8;
    int Generations = 200;
    size_t Cap = 1'000'000; // positions a proof may take; a mutant needing more is dropped
    int Brood = 8;          // mutants per generation
    Aim Aims;
    // Where the run starts: empty for a level played backwards in the room, "-" for the level
    // on standard input (the output of another run), or a file's first level.
    std::string From;
};

// The solver's verdict on a level and the figures the score weighs.
struct Judgement {
    bool Valid = false;  // proven, and every object moves
    bool Proven = false; // solved and proven push-optimal within the cap
    int Idle = 0;        // objects the solution never pushes
    std::string Why;     // why not, when not valid
    int Pushes = 0;
    int Moves = 0;
    int Changes = 0; // object changes, as the solver counts them
    int Lines = 0;   // object lines
    int Bound = 0;   // the solver's lower bound at the start
    int Floor = 0;   // cells the pusher can walk on
    size_t States = 0;
    double Seconds = 0;
    std::string Solution;
    double Score = 0;
};

// Proves the level within cap positions. Valid when it is sound, proven push-optimal within
// the cap, and every object is pushed on the way (an object that never moves is decoration).
Judgement Judge(const Level& level, size_t cap, const Aim& aim = {});

// Rewards object changes and lines and the pushes the objects cost each other beyond the lower
// bound; length itself and the search's size count less, and open floor counts against. An
// idle object costs more than any level gains, so a run that starts with one moves it first;
// a level not proven scores below everything.
double Score(const Judgement& j, const Aim& aim = {});

// One to three changes, each chosen by the random stream: a wall added or taken away, an
// object, a zone or the pusher moved. The floor stays within the options' rectangle and in one
// piece; nothing when the changes leave no sound level.
std::optional<Level> Mutate(const Level& parent, const EvolveOptions& options, uint64_t stream);

// The first level of a run: made by playing backwards in the options' room.
std::optional<Level> FirstLevel(const EvolveOptions& options);

struct EvolveProgress {
    int Generation = 0;
    Judgement Best;
    size_t Positions = 0; // searched by all proofs so far
    double Seconds = 0;
};

// Runs generations from start (generation first) with threads workers; progress is called
// after each generation. Returns the best level and its judgement; objects the best solution
// never touches are taken away with their zones at the end, and the level proven again.
std::pair<Level, Judgement>
Evolve(const EvolveOptions& options, Level start, int first, int threads,
       const std::function<void(const EvolveProgress&, const Level&)>& progress);

// A checkpoint holds the best level after some generations, under the command that made it.
// A run of the same command with as many generations or more goes on from there (each
// generation's mutants depend only on the seed and the generation's number, so that is the
// level the longer command makes from the start); any other text gives nothing, and the run
// starts afresh.
std::string FormatCheckpoint(const Level& best, const EvolveOptions& options, int done);
std::optional<std::pair<Level, int>> ReadCheckpoint(const std::string& text,
                                                    const EvolveOptions& options);

// "levels evolve --seed S --boxes K --size WxH --generations G", then what differs from the
// defaults (--cap, --brood, --aim PxC[xN], --from). Threads and the checkpoint file do not
// change the level made.
std::string EvolveCommand(const EvolveOptions& options);
std::optional<EvolveOptions> ParseEvolveArguments(const std::vector<std::string>& args);

} // namespace levels
