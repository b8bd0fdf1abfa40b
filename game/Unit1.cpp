#include "game/Unit1.h"

TForm1::TForm1(rtl::TComponent* owner) : win::TForm(owner) {
    // The form's stored values, applied the way loading the form would apply them.
    SetCaption("Kosmorra");
    SetClientSize(1024, 768);

    ArvexTimer1 = rtl::Create<TArvexTimer>(this);
    ArvexTimer1->Name = "ArvexTimer1";
    ArvexTimer1->SetEnabled(false);
    ArvexTimer1->SetTargetFPS(0);
    ArvexTimer1->SetMinFPS(10);
    ArvexTimer1->SetMaxFPS(110);
    ArvexTimer1->SetFPSWarningFrames(10);
    ArvexTimer1->SetLossyMode(false);
    ArvexTimer1->OnTimer = [this](rtl::TObject* sender) { ArvexTimer1Timer(sender); };

    OnCreate = [this](rtl::TObject* sender) { FormCreate(sender); };
}

void TForm1::FormCreate(rtl::TObject*) {
    State.ScreenState = ssMenu;
    State.UndoIndex = 0;
    ArvexTimer1->SetEnabled(true);
}

// The frame tick. Input, the screens and the music join it as their components arrive.
void TForm1::ArvexTimer1Timer(rtl::TObject*) {}
