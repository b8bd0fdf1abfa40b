// Cell numbering shared by the solver, the move searches and the generator: the board with a ring
// of wall around it, one byte per cell, so that a neighbour's index never leaves the array.
#pragma once

#include "puzzle/Level.h"

namespace puzzle {

constexpr int kStride = kBoardColumns + 2;
constexpr int kCells = kStride * (kBoardRows + 2);
static_assert(kCells <= 256, "cells are indexed by one byte");
constexpr int kDir[4] = {-1, -kStride, 1, kStride}; // left, up, right, down

constexpr int Index(int x, int y) {
    return (y + 1) * kStride + (x + 1);
}
constexpr int Column(int index) {
    return index % kStride - 1;
}
constexpr int Row(int index) {
    return index / kStride - 1;
}

} // namespace puzzle
