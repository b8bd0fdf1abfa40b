#include "game/GameState.h"

#include "game/CollectionFile.h"
#include "platform/rtl/IniFiles.h"

// Out of line so that the INI file and collection types are complete where the unique_ptrs are made
// and freed.
TGameState::TGameState() = default;
TGameState::~TGameState() = default;
