#include "game/GameState.h"

#include "platform/rtl/IniFiles.h"

// Out of line so that the INI file type is complete where the unique_ptrs are made and freed.
TGameState::TGameState() = default;
TGameState::~TGameState() = default;
