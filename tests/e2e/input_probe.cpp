// input_probe: a window with the engine's input component on the real frame loop, for the X11
// key test. Each tick it polls the keyboard (with the game's key assignment); it prints every
// press it sees, every key held for kLongHold ticks, and, when Escape is pressed, how many ticks
// each bit was held and how often it was pressed, then ends.
#include "engine/input/ArvexInput.h"
#include "engine/timing/ArvexTimer.h"
#include "platform/win/Application.h"

#include <array>
#include <cstdio>

namespace {

constexpr int kEscapeBit = 4;
constexpr int kLongHold = 8; // ticks

class TProbeForm : public win::TForm {
public:
    explicit TProbeForm(rtl::TComponent* owner) : win::TForm(owner) {
        SetCaption("Input probe");
        SetClientSize(320, 240);
        Timer = rtl::Create<TArvexTimer>(this);
        Timer->SetMaxFPS(110);
        Timer->OnTimer = [this](rtl::TObject*) { Input->Update(); };
        Input = rtl::Create<TArvexInput>(this);
        Input->Keyboard()->SetAssigns(kEscapeBit, dinput::DIK_ESCAPE);
        Input->Keyboard()->SetAssigns(5, dinput::DIK_U);
        Input->OnKeyboard = [this](rtl::TObject*) { Keyboard(); };
        Timer->SetEnabled(true);
    }

private:
    void Keyboard() {
        const TKeyboard& keyboard = *Input->Keyboard();
        for (int bit = 0; bit < 32; ++bit) {
            // The test holds a key until it reads this line, however slow the machine.
            if (keyboard.Held.Contains(bit) && ++HeldTicks[bit] == kLongHold)
                std::printf("held bit %d\n", bit);
            if (keyboard.JustPressed.Contains(bit)) {
                ++Presses[bit];
                std::printf("pressed bit %d\n", bit);
            }
        }
        std::fflush(stdout);
        if (keyboard.JustPressed.Contains(kEscapeBit)) {
            for (int bit = 0; bit < 32; ++bit) {
                if (HeldTicks[bit] > 0)
                    std::printf("bit %d: held %d ticks, pressed %d\n", bit, HeldTicks[bit],
                                Presses[bit]);
            }
            std::fflush(stdout);
            win::Application->Terminate();
        }
    }

    TArvexTimer* Timer = nullptr;
    TArvexInput* Input = nullptr;
    std::array<int, 32> HeldTicks{};
    std::array<int, 32> Presses{};
};

} // namespace

int main() {
    win::TApplication application;
    if (!application.Initialize())
        return 1;
    application.Title = "Input probe";
    application.CreateForm<TProbeForm>();
    application.Run();
    return 0;
}
