// The main form of the game: it owns the engine components and the one game state record, and
// its handlers are the game.
#pragma once

#include "engine/display/ArvexScreen.h"
#include "engine/timing/ArvexTimer.h"
#include "game/GameState.h"
#include "platform/win/Forms.h"

class TForm1 : public win::TForm {
public:
    explicit TForm1(rtl::TComponent* owner);

    // Components, in the order the form creates them. The form owns them through the
    // component tree; these are plain references.
    TArvexScreen* ArvexScreen1 = nullptr;
    TArvexTimer* ArvexTimer1 = nullptr;

    TGameState State;

    void FormCreate(rtl::TObject* sender);
    void ArvexTimer1Timer(rtl::TObject* sender);
};
