#include "platform/rtl/Exceptions.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"
#include "tests/support/Headless.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

using namespace win;
using testing_support::HeadlessApp;

namespace {

// Records the messages its procedure receives.
class RecordingForm : public TForm {
public:
    using TForm::TForm;
    void WndProc(TMessage& m) override {
        Received.push_back(m);
        if (m.Msg == WM_USER + 1)
            throw rtl::Exception("handler failed");
        TForm::WndProc(m);
    }
    std::vector<TMessage> Received;

    bool Got(UINT msg) const {
        for (const TMessage& m : Received)
            if (m.Msg == msg)
                return true;
        return false;
    }
};

class ApplicationTest : public ::testing::Test {
protected:
    HeadlessApp H;
    TApplication& App = H.App;
};

} // namespace

TEST_F(ApplicationTest, IdleRunsOnlyWhenTheQueueIsEmptyAndDoneFalseKeepsItSpinning) {
    auto* form = App.CreateForm<RecordingForm>();
    std::vector<std::string> order;
    App.OnIdle = [&](rtl::TObject*, bool& done) {
        order.push_back("idle");
        done = false; // never let the loop wait
    };
    PostMessage(form, WM_USER, 0, 0);
    PostMessage(form, WM_USER + 2, 0, 0);
    App.HandleMessage();
    App.HandleMessage();
    EXPECT_TRUE(order.empty()) << "idle ran while messages were waiting";
    App.HandleMessage();
    App.HandleMessage();
    EXPECT_EQ(order.size(), 2u);
    EXPECT_TRUE(form->Got(WM_USER));
    EXPECT_TRUE(form->Got(WM_USER + 2));
}

TEST_F(ApplicationTest, IdleLeavingDoneTrueMakesTheLoopWaitForTheNextMessage) {
    auto* form = App.CreateForm<RecordingForm>();
    int idles = 0;
    App.OnIdle = [&](rtl::TObject*, bool&) { ++idles; };
    // A message posted from another thread wakes the waiting loop.
    SDL_TimerID t = SDL_AddTimer(
        30,
        [](Uint32, void* target) -> Uint32 {
            PostMessage(static_cast<HWND>(target), WM_USER + 3, 0, 0);
            return 0;
        },
        static_cast<Window*>(form));
    App.HandleMessage(); // idle, then blocks until the timer's message arrives
    EXPECT_EQ(idles, 1);
    App.HandleMessage();
    EXPECT_TRUE(form->Got(WM_USER + 3));
    SDL_RemoveTimer(t);
}

TEST_F(ApplicationTest, TheMessageHookSeesPostedMessagesFirstAndCanSwallowThem) {
    auto* form = App.CreateForm<RecordingForm>();
    std::vector<UINT> hooked;
    App.OnMessage = [&](TMsg& msg, bool& handled) {
        hooked.push_back(msg.message);
        handled = msg.message == WM_LBUTTONDOWN;
    };
    PostMessage(form, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
    PostMessage(form, WM_KEYDOWN, VK_LEFT, 0);
    App.ProcessMessages();
    EXPECT_EQ(hooked, (std::vector<UINT>{WM_LBUTTONDOWN, WM_KEYDOWN}));
    EXPECT_FALSE(form->Got(WM_LBUTTONDOWN));
    EXPECT_TRUE(form->Got(WM_KEYDOWN));
    // Sent messages go straight to the window procedure.
    hooked.clear();
    SendMessage(form, WM_USER + 4, 0, 0);
    EXPECT_TRUE(hooked.empty());
    EXPECT_TRUE(form->Got(WM_USER + 4));
}

TEST_F(ApplicationTest, AnExceptionInAHandlerIsShownAndTheLoopGoesOn) {
    auto* form = App.CreateForm<RecordingForm>();
    App.Title = "Trundlo";
    int idles = 0;
    App.OnIdle = [&](rtl::TObject*, bool& done) {
        done = false;
        if (++idles == 1)
            throw rtl::EConvertError("'x' is not a valid integer value");
    };
    PostMessage(form, WM_USER + 1, 0, 0); // its handler throws
    PostMessage(form, WM_USER, 0, 0);
    App.Step();
    App.Step();
    ASSERT_EQ(RecordedMessageBoxes().size(), 2u);
    EXPECT_EQ(RecordedMessageBoxes()[0].Text, "handler failed.");
    EXPECT_EQ(RecordedMessageBoxes()[0].Caption, "Trundlo");
    EXPECT_EQ(RecordedMessageBoxes()[0].Type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(RecordedMessageBoxes()[1].Text, "'x' is not a valid integer value.");
    EXPECT_TRUE(form->Got(WM_USER)); // the message after the failing one still arrived
    EXPECT_EQ(idles, 2);

    // With OnException set, it gets the exception instead of a box.
    std::string seen;
    App.OnException = [&](rtl::TObject*, const std::exception& e) { seen = e.what(); };
    PostMessage(form, WM_USER + 1, 0, 0);
    App.ProcessMessages();
    EXPECT_EQ(seen, "handler failed");
    EXPECT_EQ(RecordedMessageBoxes().size(), 2u);
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsTheLoop) {
    auto* main = App.CreateForm<RecordingForm>();
    auto* other = App.CreateForm<RecordingForm>();
    EXPECT_EQ(App.MainForm, main);
    SendMessage(other, WM_CLOSE, 0, 0);
    App.ProcessMessages();
    EXPECT_FALSE(App.Terminated());
    PostMessage(main, WM_CLOSE, 0, 0);
    App.Run(); // returns once the close has been handled
    EXPECT_TRUE(App.Terminated());
}

TEST_F(ApplicationTest, AnExceptionInOnCreateIsReportedAndTheFormStillExists) {
    struct Failing : TForm {
        explicit Failing(rtl::TComponent* owner) : TForm(owner) {
            OnCreate = [](rtl::TObject*) { throw rtl::Exception("Cannot open file \"x\"."); };
        }
    };
    EXPECT_NE(App.CreateForm<Failing>(), nullptr);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].Text, "Cannot open file \"x\".");
}

TEST_F(ApplicationTest, SdlInputBecomesWindowMessages) {
    auto* form = App.CreateForm<RecordingForm>();
    form->Show();
    const uint32_t id = SDL_GetWindowID(static_cast<SDL_Window*>(form->NativeWindow()));
    std::vector<TMsg> posted;
    App.OnMessage = [&](TMsg& msg, bool&) { posted.push_back(msg); };

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id;
    e.key.keysym.sym = SDLK_LEFT;
    SDL_PushEvent(&e);
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    SDL_strlcpy(text.text.text, "a\xC3\xA9\xE2\x82\xAC", sizeof(text.text.text)); // a é €
    SDL_PushEvent(&text);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = id;
    move.motion.x = 300;
    move.motion.y = 200;
    SDL_PushEvent(&move);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.windowID = id;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.clicks = 2;
    click.button.x = 10;
    click.button.y = 20;
    SDL_PushEvent(&click);
    App.ProcessMessages();

    std::vector<std::pair<UINT, WPARAM>> got;
    for (const TMsg& m : posted) {
        EXPECT_EQ(m.hwnd, form);
        got.emplace_back(m.message, m.wParam);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27},     {WM_CHAR, 'a'},
        {WM_CHAR, 0xE9},       {WM_CHAR, 0x80},         {WM_MOUSEMOVE, 0}, {WM_LBUTTONDBLCLK, 0}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(LOWORD(posted[6].lParam), 300);
    EXPECT_EQ(HIWORD(posted[6].lParam), 200);
    EXPECT_EQ(LOWORD(posted[7].lParam), 10);
    EXPECT_EQ(HIWORD(posted[7].lParam), 20);
}

TEST_F(ApplicationTest, FocusAndCloseEventsAreSentToTheForm) {
    auto* form = App.CreateForm<RecordingForm>();
    form->Show();
    const uint32_t id = SDL_GetWindowID(static_cast<SDL_Window*>(form->NativeWindow()));
    bool hookSawActivation = false;
    App.OnMessage = [&](TMsg& msg, bool&) {
        hookSawActivation |= msg.message == WM_ACTIVATE || msg.message == WM_ACTIVATEAPP;
    };
    form->Received.clear();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    App.ProcessMessages();
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const TMessage& m : form->Received)
        if (m.Msg == WM_ACTIVATE || m.Msg == WM_ACTIVATEAPP)
            got.emplace_back(m.Msg, m.WParam);
    const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_ACTIVATE, WA_INACTIVE},
                                                           {WM_ACTIVATEAPP, 0},
                                                           {WM_ACTIVATEAPP, 1},
                                                           {WM_ACTIVATE, WA_ACTIVE}};
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(hookSawActivation);
    EXPECT_EQ(GetFocus(), form);
    EXPECT_TRUE(form->Got(WM_CLOSE));
    EXPECT_TRUE(App.Terminated());
}

TEST_F(ApplicationTest, AMappedClientKeepsItsSizeWhenTheWindowGrows) {
    auto* form = App.CreateForm<RecordingForm>();
    form->SetClientSize(1024, 768);
    SendMessage(form, WM_SIZE, 0, MAKELPARAM(800, 600));
    EXPECT_EQ(form->ClientWidth(), 800);
    form->SetClientSize(1024, 768);
    form->ClientMapping = [](int& x, int& y) {
        x = x * 4 / 5;
        y = y * 4 / 5;
    };
    SendMessage(form, WM_SIZE, 0, MAKELPARAM(1280, 960)); // a full screen
    EXPECT_EQ(form->ClientWidth(), 1024);
    EXPECT_EQ(form->ClientHeight(), 768);
}

TEST_F(ApplicationTest, HandleCreationDeliversWmCreateThroughAHookedProcedure) {
    auto* form = new RecordingForm(&App);
    std::vector<UINT> seen;
    TWndMethod saved = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        saved(m);
    };
    EXPECT_FALSE(form->HandleAllocated());
    form->Handle();
    EXPECT_TRUE(form->HandleAllocated());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), WM_CREATE);
    form->WindowProc = saved;
}

TEST_F(ApplicationTest, TimersPostWmTimerOnTheMainThreadWithoutPilingUp) {
    std::vector<WPARAM> ticks;
    HWND window = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TIMER)
            ticks.push_back(m.WParam);
    });
    // The timer runs on SDL's timer thread, which a loaded machine may leave waiting for a
    // while: wait for what must arrive with a generous deadline rather than a fixed pause.
    const auto processUntil = [&](size_t count) {
        for (int waited = 0; ticks.size() < count && waited < 5000; waited += 10) {
            App.ProcessMessages();
            if (ticks.size() < count)
                SDL_Delay(10);
        }
    };
    ASSERT_TRUE(SetTimer(window, 7, 10));
    SDL_Delay(150); // many periods pass while nobody reads the queue
    processUntil(1);
    // One waiting message; on a busy machine a second may arrive while the first is handled.
    ASSERT_GE(ticks.size(), 1u);
    EXPECT_LE(ticks.size(), 2u) << "timer messages piled up";
    EXPECT_EQ(ticks[0], 7u);
    const size_t before = ticks.size();
    processUntil(before + 1);
    EXPECT_GT(ticks.size(), before) << "the timer stopped after its first message";
    EXPECT_TRUE(KillTimer(window, 7));
    const size_t killed = ticks.size();
    SDL_Delay(40);
    App.ProcessMessages();
    EXPECT_EQ(ticks.size(), killed);
    EXPECT_FALSE(KillTimer(window, 7));
    DeallocateHWnd(window);
    EXPECT_FALSE(PostMessage(window, WM_USER, 0, 0));
}

TEST(MessageBoxes, HeadlessBoxesAreRecordedAndAnsweredByDefault) {
    RecordedMessageBoxes().clear();
    SetHeadlessAnswer(IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Are you sure?", "Error", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Only OK", "Error", MB_OK), IDOK); // no Cancel: first button
    SetHeadlessAnswer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, "Quit?", "Q", MB_YESNO | MB_ICONQUESTION), IDYES);
    SetHeadlessAnswer(IDOK);
    ASSERT_EQ(RecordedMessageBoxes().size(), 3u);
    EXPECT_EQ(RecordedMessageBoxes()[2].Caption, "Q");
    const int beeps = BeepCount();
    MessageBeep(0);
    EXPECT_EQ(BeepCount(), beeps + 1);
}

TEST(Cursor, ShowCursorKeepsADisplayCounter) {
    const int start = ShowCursor(true) - 1;
    EXPECT_EQ(ShowCursor(false), start);
    EXPECT_EQ(ShowCursor(false), start - 1);
    EXPECT_EQ(ShowCursor(true), start);
}
