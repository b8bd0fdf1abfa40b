#include "game/GameState.h"

#include "game/CollectionFile.h"
#include "game/HintWorker.h"
#include "platform/rtl/IniFiles.h"
#include "puzzle/Routes.h"

// Out of line so that the INI file, collection, board, route and hint types are complete where
// the unique_ptrs are made and freed.
TGameState::TGameState() = default;
TGameState::~TGameState() = default;
TAssistState::TAssistState() = default;
TAssistState::~TAssistState() = default;
