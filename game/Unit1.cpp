#include "game/Unit1.h"

TForm1::TForm1(rtl::TComponent* owner) : win::TForm(owner) {
    // The form's stored values, applied the way loading the form would apply them.
    SetCaption("Kosmorra");
    SetClientSize(1024, 768);

    ArvexScreen1 = rtl::Create<TArvexScreen>(this);
    ArvexScreen1->Name = "ArvexScreen1";
    ArvexScreen1->Pool = plManaged;
    ArvexScreen1->ScaleX = ArvexScreen1->ScaleY = 1.0f;
    ArvexScreen1->SetRed(255);
    ArvexScreen1->SetGreen(255);
    ArvexScreen1->SetBlue(255);
    ArvexScreen1->SetAlpha(255);
    ArvexScreen1->Width = 800;
    ArvexScreen1->Height = 600;
    ArvexScreen1->BackBufferAccess = false;
    ArvexScreen1->BBCount = 0;

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
    ArvexScreen1->SetWindowHandle(Handle());
    ArvexScreen1->Width = 1024;
    ArvexScreen1->Height = 768;
    // Windowed until the configuration is read (its default is full screen).
    ArvexScreen1->FullScreen = false;
    ArvexScreen1->Initialize();

    State.ScreenState = ssMenu;
    State.UndoIndex = 0;
    ArvexTimer1->SetEnabled(true);
}

// The frame tick. Input, the screens and the music join it as their components arrive; until
// then every frame is opaque black.
void TForm1::ArvexTimer1Timer(rtl::TObject*) {
    ArvexScreen1->BeginScene();
    ArvexScreen1->Clear(0, 0, 0, 255);
    ArvexScreen1->EndScene();
}
