// The board as the puzzle library sees it, made from the game's level record: walls and objects
// from the cell codes (which the moves keep, whatever the listed objects say), the listed zones,
// and the pusher where it stands.
#pragma once

#include "game/LevelFormat.h"
#include "puzzle/Level.h"

puzzle::Level PositionOf(const TLevelData& level, int32_t heroX, int32_t heroY);
