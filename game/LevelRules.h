// What the board code needs from a level record before it may index its tables: the rules a
// level file is checked against when it is loaded. Free of the engine, so the fuzzers can run it.
#pragma once

#include "game/GameState.h"

#include <string>

bool OnBoard(int32_t column, int32_t row);

// Empty when the record is safe to play; otherwise why not, as the player is told it
// ("it lists 12 objects (0 to 9 are possible)").
std::string LevelFault(const TLevelData& level);
