// The level solver: proves a level solvable and finds a solution with as few pushes as it can
// prove minimal.
//
// The search runs over positions after each push (the objects' cells plus the area the pusher
// can walk to), A* ordered by pushes so far plus a lower bound on the pushes still needed: the
// cheapest one-to-one assignment of objects to zones, where an object's cost to a zone is the
// pushes a lone object would need. That bound never falls by more than one per push, so the
// first solution found is push-optimal. Positions that can never be solved are cut off:
// - dead squares: cells from which a lone object can reach no zone;
// - frozen objects: an object off its zone that neither it nor its neighbours can ever move;
// - assignment deadlocks: objects that cannot all reach different zones.
// When the A* search runs out of room it retries greedily (a weighted bound), which finds a
// solution without proving it shortest. Any position can be solved from: a level whose pusher
// and objects stand where a game has put them.
#pragma once

#include "puzzle/Level.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace puzzle {

struct SolveOptions {
    size_t MaxStates = 4'000'000; // positions kept before a search gives up
    bool Pruning = true;          // deadlock cut-offs and the lower bound; off: plain search
    double MaxSeconds = 0;        // a search gives up after this long; 0: no limit
    // Read now and then by the search, from another thread: once true, it gives up.
    const std::atomic<bool>* Cancel = nullptr;
};

struct Solution {
    bool Solved = false;
    bool Optimal = false;    // the push count is proven minimal
    bool Unsolvable = false; // the whole reachable space was searched without a solution
    bool Stopped = false;    // given up for the time limit or the cancel flag
    std::string Moves;       // L, U, R, D: lower case walks, upper case pushes
    int Pushes = 0;
    int BoxChanges = 0; // pushes of another object than the push before
    size_t States = 0;  // positions stored by the search (all attempts)
    double Seconds = 0;
};

Solution Solve(const Level& level, const SolveOptions& options = {});

// The search's lower bound at the start: the pushes the objects would need if none stood in
// another's way (the cheapest assignment to zones). -1 when no assignment exists. A solution's
// pushes above it measure how much the objects hinder each other.
int PushLowerBound(const Level& level);

// Cells inside the level from which a lone object can be pushed onto no zone.
std::vector<Cell> DeadSquares(const Level& level);

// Plays moves by the game's rules (a wall or the board's edge stops the pusher; an object moves
// when the cell behind it is free). Returns an empty string when every move is possible and
// written in the right case; otherwise what went wrong. solved tells whether every zone holds an
// object at the end.
std::string Replay(const Level& level, const std::string& moves, bool& solved);

} // namespace puzzle
