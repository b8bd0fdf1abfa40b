// The searches behind a click on the board: the pusher's shortest walk to a cell, and for one
// object (the others standing still) every cell it can be pushed to, each with the route there
// that needs the fewest pushes, then the fewest moves. Routes are written in the move notation:
// l, u, r, d for walks, L, U, R, D for pushes.
//
// Among equally short routes the searches always pick the same one (the walk tries neighbours
// left, up, right, down; the push search settles ties by cell number), so that a script clicking
// the same cells plays the same moves every time.
#pragma once

#include "puzzle/CellIndex.h"
#include "puzzle/Level.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace puzzle {

// The shortest walk between two cells of the padded numbering around walls (floor false) and
// objects; nothing when there is none. The empty walk when from is to.
std::optional<std::string> Walk(const std::array<bool, kCells>& floor,
                                const std::array<bool, kCells>& occupied, int from, int to);

// The pusher's shortest walk in a position (a level with the pusher and objects where they are
// now) to a cell; nothing when a wall or an object is in every way, or the cell is one of them.
std::optional<std::string> WalkTo(const Level& position, Cell to);

// The pushes open to one object of a position, searched once when it is picked.
class PushRoutes {
public:
    PushRoutes(const Level& position, Cell object);

    // Cells the object can be pushed to, its own cell left out, in board order (by column,
    // then row).
    const std::vector<Cell>& Targets() const { return targets_; }
    // The route that takes the object to a cell with the fewest pushes, then the fewest moves;
    // nothing for a cell that is not a target.
    std::optional<std::string> RouteTo(Cell to) const;

private:
    // States are (object cell, pusher cell) pairs, numbered object * kCells + pusher.
    static constexpr uint32_t kUnreached = 0xFFFFFFFF;
    int Best(int objectCell) const; // the cheapest state with the object there, or -1

    Cell object_;
    std::vector<uint32_t> cost_;  // pushes << 16 | moves
    std::vector<int32_t> parent_; // the state a state was reached from, -1 for the start
    std::vector<Cell> targets_;
};

} // namespace puzzle
