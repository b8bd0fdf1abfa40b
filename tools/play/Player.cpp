#include "tools/play/Player.h"

#include "game/ThemeAhead.h"
#include "game/Unit1.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Pictures.h"
#include "platform/win/Dialogs.h"
#include "platform/win/SyntheticInput.h"
#include "tools/play/GameProbe.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace play {

namespace {

// A fault of the run itself (not of the game under test): reported, and the run stops.
struct RunError {
    std::string What;
};

int AnswerOf(const std::string& word) {
    if (word == "yes")
        return win::IDYES;
    if (word == "no")
        return win::IDNO;
    if (word == "cancel")
        return win::IDCANCEL;
    return win::IDOK;
}

void WriteFile(const std::string& path, const void* data, size_t size) {
    const std::filesystem::path target(path);
    std::error_code ignored; // a folder that cannot be made shows as a file that cannot be written
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        throw RunError{"cannot write " + path};
}

} // namespace

Player::Player(PlayerOptions options) : FOptions(std::move(options)) {}

Player::~Player() {
    // The forms and the screen go first; the clock they read is uninstalled after them.
    FThemeAhead.reset();
    FApp.reset();
    win::SetClock(nullptr);
    rtl::SetProgramDir("");
    TForm1::StartCollection.clear();
}

bool Player::Start() {
    win::SetHeadless(true);
    // Well past zero, so the GUI's 10 ms since the last mouse move hold for the first move.
    FClock.Ticks = FClock.Frequency;
    win::SetClock(&FClock);
    if (!FOptions.Root.empty())
        rtl::SetProgramDir(FOptions.Root);

    FApp = std::make_unique<win::TApplication>();
    FThemeAhead = DecodeThemeAhead();
    if (!FApp->Initialize())
        return false;
    FApp->Title = "Trundlo";
    TForm1::StartCollection = FOptions.Open;
    // The form as the program creates it, except that its screen asks for the software device
    // straight away: headless there is no other, and the run must not depend on how a failed
    // hardware device falls back.
    auto* form = new TForm1(FApp.get());
    form->ArvexScreen1->RenderMode = rmSoftware;
    form->AfterConstruction();
    FApp->MainForm = form;
    FForm = form;
    Deliver();
    if (FEnded)
        return true;
    if (!form->ArvexScreen1->Device() || form->ArvexScreen1->RenderMode != rmSoftware) {
        std::fprintf(stderr, "kosmorra-play: the screen has no software device\n");
        return false;
    }
    // Counting the ticks keeps the one-tick-per-pass promise honest.
    rtl::TNotifyEvent tick = form->ArvexTimer1->OnTimer;
    form->ArvexTimer1->OnTimer = [this, tick](rtl::TObject* sender) {
        ++FTicks;
        tick(sender);
    };
    form->Show();
    // No window manager gives the window the focus; the keyboard reads only while it has it.
    win::SendFocus(*form, true);
    Deliver();
    return true;
}

int Player::Run(const std::vector<Command>& commands) {
    for (const Command& c : commands) {
        if ((c.Kind == Op::Down || c.Kind == Op::Up || c.Kind == Op::Press) &&
            !win::IsKeyName(c.Text)) {
            std::fprintf(stderr, "%s: no key is called \"%s\"\n", Where(c).c_str(), c.Text.c_str());
            return 2;
        }
    }
    if (!Start())
        return 1;
    try {
        for (const Command& c : commands) {
            if (FEnded) {
                // Only whether it ended can still be asked.
                if (c.Kind == Op::Expect && c.Text == "running" && !Expect(c))
                    return 1;
                continue;
            }
            if (c.Kind == Op::Expect) {
                if (!Expect(c))
                    return 1;
                continue;
            }
            Execute(c);
        }
    } catch (const RunError& e) {
        std::fprintf(stderr, "kosmorra-play: %s\n", e.What.c_str());
        return 1;
    }
    if (FEnded) {
        std::fprintf(stderr, "kosmorra-play: the program ended after %lld frames (exit code %d)\n",
                     FTicks, FApp->ExitCode);
        return FApp->ExitCode;
    }
    return 0;
}

void Player::Execute(const Command& c) {
    switch (c.Kind) {
    case Op::Frames:
        for (int i = 0; i < c.Count && !FEnded; ++i)
            Frame(c);
        break;
    case Op::Down:
    case Op::Up:
        win::SendKey(*FForm, c.Text, c.Kind == Op::Down);
        Deliver();
        break;
    case Op::Press:
        win::SendKey(*FForm, c.Text, true);
        Deliver();
        if (!FEnded)
            Frame(c);
        if (FEnded)
            break;
        win::SendKey(*FForm, c.Text, false);
        Deliver();
        if (!FEnded)
            Frame(c);
        break;
    case Op::Move:
    case Op::Click:
    case Op::RightClick: {
        int x = 0, y = 0;
        PointAt(c.X, c.Y, x, y);
        win::SendMouseMove(*FForm, x, y);
        if (c.Kind != Op::Move) {
            const int button = c.Kind == Op::Click ? 0 : 1;
            win::SendMouseButton(*FForm, button, true, x, y);
            win::SendMouseButton(*FForm, button, false, x, y);
        }
        Deliver();
        if (!FEnded)
            Frame(c);
        break;
    }
    case Op::Type:
        win::SendText(*FForm, c.Text);
        Deliver();
        break;
    case Op::Shot:
        SaveShot(OutputPath(c.Text));
        break;
    case Op::State: {
        const std::string text = State().Pretty();
        WriteFile(OutputPath(c.Text), text.data(), text.size());
        break;
    }
    case Op::Answer:
        win::SetHeadlessAnswer(AnswerOf(c.Text));
        break;
    case Op::Remove: {
        std::error_code error;
        std::filesystem::remove(rtl::ResolvePath(c.Text), error);
        if (error)
            throw RunError{Where(c) + ": cannot remove " + c.Text + ": " + error.message()};
        break;
    }
    case Op::Rename: {
        std::error_code error;
        std::filesystem::rename(rtl::ResolvePath(c.Text), c.Value, error);
        if (error)
            throw RunError{Where(c) + ": cannot rename " + c.Text + ": " + error.message()};
        break;
    }
    case Op::Drop: {
        const std::string path = rtl::ProgramDir() + c.Text;
        if (FForm->OnDropFile)
            FForm->OnDropFile(path);
        break;
    }
    case Op::Expect:
        break;
    }
}

void Player::Frame(const Command& c) {
    const bool timerOn = FForm->ArvexTimer1->Enabled();
    const long long before = FTicks;
    FClock.AdvanceMilliseconds(kFrameMilliseconds);
    FApp->Step();
    if (FApp->Terminated()) {
        FEnded = true;
        return;
    }
    if (timerOn && FTicks != before + 1)
        throw RunError{Where(c) + ": a loop pass gave " + std::to_string(FTicks - before) +
                       " frame ticks instead of one"};
}

void Player::Deliver() {
    FApp->ProcessMessages();
    if (FApp->Terminated())
        FEnded = true;
}

void Player::PointAt(int x, int y, int& windowX, int& windowY) const {
    // The GUI scales client pixels by its mouse scale (back-buffer size over client size) as
    // it stood before the move: after a window change only the move after next sees the new
    // size, as with the system's. A script means the pixel the GUI will see, so the client pixel
    // is aimed with the scale the GUI is going to use, near the exact quotient.
    const auto client = [](int wanted, float scale) {
        if (!(scale > 0))
            return wanted;
        const int guess = static_cast<int>(std::lround(wanted / static_cast<double>(scale)));
        for (int c = guess - 2; c <= guess + 2; ++c)
            if (rtl::Round(c * static_cast<double>(scale)) == wanted)
                return c;
        return guess;
    };
    const int clientX = client(x, TArvexGUI::MouseScaleX);
    const int clientY = client(y, TArvexGUI::MouseScaleY);
    windowX = clientX;
    windowY = clientY;
    const auto& mapping = FForm->ClientMapping;
    if (!mapping)
        return;
    // The display layer maps window pixels to client pixels, monotonically on each axis (the
    // letterbox taken out); the first window pixel that lands on the wanted one is found by
    // bisection.
    const auto search = [&](int wanted, bool horizontal) {
        int low = -(1 << 16), high = 1 << 16;
        while (low < high) {
            const int middle = low + (high - low) / 2;
            int mx = horizontal ? middle : 0, my = horizontal ? 0 : middle;
            mapping(mx, my);
            if ((horizontal ? mx : my) < wanted)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    windowX = search(clientX, true);
    windowY = search(clientY, false);
}

JsonValue Player::State() {
    ProbeFacts facts;
    facts.Running = !FEnded;
    facts.Frames = FTicks;
    return CaptureState(*FForm, facts);
}

bool Player::Expect(const Command& c) {
    JsonValue value;
    std::string why;
    if (!ReadField(State(), c.Text, value, why)) {
        std::fprintf(stderr, "%s: expect %s: %s\n", Where(c).c_str(), c.Text.c_str(), why.c_str());
        return false;
    }
    if (Matches(value, c.Value))
        return true;
    std::fprintf(stderr, "%s: expect %s\n  wanted: %s\n  got:    %s\n", Where(c).c_str(),
                 c.Text.c_str(), c.Value.c_str(), Describe(value).c_str());
    if (!FEnded) {
        const std::string shot =
            OutputPath(std::filesystem::path(FOptions.ScriptName).stem().string() + "-line" +
                       std::to_string(c.Line) + "-failed.png");
        try {
            SaveShot(shot);
            std::fprintf(stderr, "  the screen then: %s\n", shot.c_str());
        } catch (const RunError&) {
            // Nothing presented yet: the message above says enough.
        }
    }
    return false;
}

void Player::SaveShot(const std::string& file) {
    d3d::Device* device = FForm->ArvexScreen1->Device();
    if (!device)
        throw RunError{"no screen device to take a picture of"};
    const d3d::D3DSURFACE_DESC& desc = FForm->ArvexScreen1->BackBufferDesc();
    rtl::TPixels pixels;
    pixels.Width = static_cast<int>(desc.Width);
    pixels.Height = static_cast<int>(desc.Height);
    pixels.Argb = device->ReadPresentedFrame();
    if (pixels.Argb.size() != static_cast<size_t>(pixels.Width) * pixels.Height)
        throw RunError{"no frame has been presented yet for " + file};
    // What the display shows: the back buffer's alpha does not reach the screen.
    for (uint32_t& p : pixels.Argb)
        p |= 0xFF000000u;
    const std::vector<uint8_t> png = rtl::EncodePNG(pixels);
    WriteFile(file, png.data(), png.size());
}

std::string Player::OutputPath(const std::string& file) const {
    const std::filesystem::path path(file);
    return path.is_absolute() ? file : (std::filesystem::path(FOptions.OutputDir) / path).string();
}

std::string Player::Where(const Command& c) const {
    return FOptions.ScriptName + ":" + std::to_string(c.Line);
}

} // namespace play
