#include "game/GameState.h"

#include "game/HintWorker.h"
#include "platform/rtl/IniFiles.h"
#include "puzzle/Routes.h"

// Out of line so that the INI file, board, route and hint types are complete where the unique_ptrs
// are made and freed.
TGameState::TGameState() = default;
TGameState::~TGameState() = default;
TAssistState::TAssistState() = default;
TAssistState::~TAssistState() = default;
