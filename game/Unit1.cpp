#include "game/Unit1.h"

#include "platform/rtl/Streams.h"

namespace {

// The keyboard's stored key assignment, as the form keeps it: 32 little-endian key codes.
// Arrows on bits 0..3, Escape on 4, U on 5, Return on 6, Escape again on 30, left Alt on 31.
constexpr uint8_t kStoredKeyboardAssigns[TKeyboard::AssignsPropertySize] = {
    0xC8, 0, 0, 0, 0xD0, 0, 0, 0, 0xCB, 0, 0, 0, 0xCD, 0, 0, 0, // bits 0..3
    0x01, 0, 0, 0, 0x16, 0, 0, 0, 0x1C, 0, 0, 0, 0,    0, 0, 0, // bits 4..7
    0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, // bits 8..11
    0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, // bits 12..15
    0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, // bits 16..19
    0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, // bits 20..23
    0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0, // bits 24..27
    0,    0, 0, 0, 0,    0, 0, 0, 0x01, 0, 0, 0, 0x38, 0, 0, 0, // bits 28..31
};

} // namespace

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

    ArvexInput1 = rtl::Create<TArvexInput>(this);
    ArvexInput1->Name = "ArvexInput1";
    ArvexInput1->Keyboard()->SetEnabled(true);
    ArvexInput1->Keyboard()->SetForegroundOnly(true);
    ArvexInput1->Keyboard()->SetExclusive(false);
    {
        rtl::TMemoryStream assigns;
        assigns.WriteBuffer(kStoredKeyboardAssigns, sizeof(kStoredKeyboardAssigns));
        assigns.SetPosition(0);
        ArvexInput1->Keyboard()->ReadBinaryProperty(TKeyboard::AssignsPropertyName, assigns);
    }
    ArvexInput1->Mouse()->SetEnabled(false);
    ArvexInput1->Joystick()->SetEnabled(false);
    ArvexInput1->Joystick()->SetForegroundOnly(true);
    ArvexInput1->Joystick()->SetExclusive(false);
    ArvexInput1->Joystick()->SetAutocenter(true);
    ArvexInput1->Joystick()->SetDeadZoneX(20);
    ArvexInput1->Joystick()->SetDeadZoneY(20);
    ArvexInput1->Joystick()->SetDeadZoneZ(20);
    ArvexInput1->Joystick()->SetRangeX(1000);
    ArvexInput1->Joystick()->SetRangeY(1000);
    ArvexInput1->Joystick()->SetRangeZ(1000);
    ArvexInput1->OnKeyboard = [this](rtl::TObject* sender) { ArvexInput1Keyboard(sender); };

    // Streamed with no songs; start-up adds the one it plays.
    ArvexMusic1 = rtl::Create<TArvexMusic>(this);
    ArvexMusic1->Name = "ArvexMusic1";

    OnCreate = [this](rtl::TObject* sender) { FormCreate(sender); };
}

void TForm1::FormCreate(rtl::TObject*) {
    State.ScreenState = ssMenu;
    State.UndoIndex = 0;
    ArvexTimer1->SetEnabled(true);
}

// The frame tick. The screens and the music join it as their components arrive.
void TForm1::ArvexTimer1Timer(rtl::TObject*) {
    ArvexInput1->Update();
}

// Runs in every tick in which an assigned key is down; the moves arrive with the board.
void TForm1::ArvexInput1Keyboard(rtl::TObject*) {}
