#include "engine/display/ArvexScreen.h"
#include "engine/gui/ArvexGUI.h"
#include "engine/gui/ArvexWidgets.h"
#include "engine/sprites/ArvexBitmapFont.h"
#include "tests/support/Headless.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using testing_support::HeadlessApp;

namespace {

// A GUI on a form with a font, fed messages directly (no device needed for input).
class GUITest : public ::testing::Test {
protected:
    GUITest() {
        Form = new win::TForm(&H.App);
        Font = rtl::Create<TArvexBitmapFont>(Form);
        GUI = rtl::Create<TArvexGUI>(Form);
        GUI->ArvexBitmapFont = Font;
        GUI->Window = Form;
        List = new TArvexGUIList(GUI);
    }

    TArvexButton* Button(int x, int y, int w, int h) {
        auto* b = new TArvexButton(List);
        b->X = x;
        b->Y = y;
        b->Width = w;
        b->Height = h;
        return b;
    }

    void Send(win::UINT message, int x, int y, win::WPARAM wParam = 0) {
        win::TMsg msg{Form, message, wParam, win::MAKELPARAM(x, y), 0};
        bool handled = false;
        GUI->HandleMessage(msg, handled);
        Handled = handled;
    }

    void MoveTo(int x, int y) {
        H.Clock.AdvanceMilliseconds(20); // past the 10 ms throttle
        Send(win::WM_MOUSEMOVE, x, y);
    }

    void Key(win::UINT message, uint16_t code) {
        win::TMsg msg{Form, message, code, 0, 0};
        bool handled = false;
        GUI->HandleMessage(msg, handled);
        Handled = handled;
    }

    HeadlessApp H;
    win::TForm* Form;
    TArvexBitmapFont* Font;
    TArvexGUI* GUI;
    TArvexGUIList* List;
    bool Handled = false;
    std::vector<std::string> Log;
};

} // namespace

TEST_F(GUITest, WidgetsAreNumberedAndClicksNeedAMoveFirst) {
    TArvexButton* a = Button(10, 10, 100, 20);
    EXPECT_EQ(a->Id, 1);
    EXPECT_EQ(a->Caption, "1");
    EXPECT_EQ(GUI->Widget(1), a);
    a->OnClick = [&](rtl::TObject*) { Log.push_back("click"); };
    Send(win::WM_LBUTTONDOWN, 20, 15);
    Send(win::WM_LBUTTONUP, 20, 15);
    EXPECT_TRUE(Log.empty()) << "no move seen yet: HoverId is -1";
    MoveTo(110, 30); // exactly the right and bottom edge: still inside
    EXPECT_EQ(GUI->HoverId, a->Id);
    Send(win::WM_LBUTTONDOWN, 110, 30);
    Send(win::WM_LBUTTONUP, 110, 30);
    EXPECT_EQ(Log, std::vector<std::string>{"click"});
    EXPECT_TRUE(Handled);
}

// Each edge of a wide button bounds its own side: on it is inside, a pixel beyond is outside.
TEST_F(GUITest, EachEdgeOfAWideButtonBoundsItsOwnSide) {
    const TArvexButton* a = Button(10, 10, 100, 20);
    const struct {
        int X, Y;
        bool Inside;
    } points[] = {{10, 20, true}, {9, 20, false}, {110, 20, true}, {111, 20, false},
                  {60, 10, true}, {60, 9, false}, {60, 30, true},  {60, 31, false}};
    for (const auto& p : points) {
        MoveTo(p.X, p.Y);
        EXPECT_EQ(GUI->HoverId == a->Id, p.Inside) << "at " << p.X << ", " << p.Y;
    }
}

TEST_F(GUITest, PressOnOneWidgetReleaseOnAnotherIsNoClick) {
    TArvexButton* a = Button(0, 0, 50, 50);
    TArvexButton* b = Button(100, 0, 50, 50);
    a->OnClick = [&](rtl::TObject*) { Log.push_back("a click"); };
    b->OnClick = [&](rtl::TObject*) { Log.push_back("b click"); };
    b->OnMouseUp = [&](rtl::TObject* sender, int button, TShiftState, int, int) {
        Log.push_back("b up " + std::to_string(button) + (sender == GUI ? " from gui" : ""));
    };
    MoveTo(10, 10);
    Send(win::WM_LBUTTONDOWN, 10, 10);
    MoveTo(110, 10);
    Send(win::WM_LBUTTONUP, 110, 10);
    EXPECT_EQ(Log, std::vector<std::string>{"b up 0 from gui"});
    Log.clear();
    Send(win::WM_RBUTTONDOWN, 110, 10);
    Send(win::WM_RBUTTONUP, 110, 10);
    EXPECT_EQ(Log, std::vector<std::string>{"b up 1 from gui"});
}

TEST_F(GUITest, DoubleClickSequence) {
    TArvexButton* a = Button(0, 0, 50, 50);
    a->OnClick = [&](rtl::TObject*) { Log.push_back("click"); };
    a->OnDblClick = [&](rtl::TObject*) { Log.push_back("dbl"); };
    a->OnMouseUp = [&](rtl::TObject*, int, TShiftState, int, int) { Log.push_back("up"); };
    MoveTo(5, 5);
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    Send(win::WM_LBUTTONDBLCLK, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(Log, (std::vector<std::string>{"click", "dbl", "up"}));
}

TEST_F(GUITest, OverlapsEnterAndLeaveAndTheThrottle) {
    TArvexButton* a = Button(0, 0, 50, 50);
    TArvexButton* b = Button(25, 25, 50, 50);
    a->OnMouseEnter = [&](rtl::TObject*) { Log.push_back("a enter"); };
    b->OnMouseEnter = [&](rtl::TObject*) { Log.push_back("b enter"); };
    a->OnMouseLeave = [&](rtl::TObject*) { Log.push_back("a leave"); };
    MoveTo(30, 30);
    EXPECT_EQ(GUI->HoverId, b->Id) << "the later widget wins";
    MoveTo(31, 31);
    // The earlier widget enters again at every move: the previous hover never names it.
    EXPECT_EQ(Log, (std::vector<std::string>{"a enter", "b enter", "a enter"}));
    Log.clear();
    H.Clock.AdvanceMilliseconds(5);
    Send(win::WM_MOUSEMOVE, 200, 200); // within 10 ms: dropped, not handled
    EXPECT_FALSE(Handled);
    EXPECT_EQ(GUI->MouseX, 31);
    MoveTo(200, 200);
    EXPECT_EQ(GUI->HoverId, 0);
}

TEST_F(GUITest, DisabledAndInvisibleListsTakeNoHover) {
    TArvexButton* a = Button(0, 0, 50, 50);
    List->Enabled = false;
    MoveTo(10, 10);
    EXPECT_EQ(GUI->HoverId, 0);
    List->Enabled = true;
    List->Visible = false;
    MoveTo(11, 11);
    EXPECT_EQ(GUI->HoverId, 0);
    List->Visible = true;
    MoveTo(12, 12);
    EXPECT_EQ(GUI->HoverId, a->Id);
    // Disabled under a resting pointer (a dialog opened over it): a click without a move
    // must not reach it.
    int clicks = 0;
    a->OnClick = [&](rtl::TObject*) { ++clicks; };
    List->Enabled = false;
    Send(win::WM_LBUTTONDOWN, 12, 12);
    Send(win::WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(clicks, 0);
}

TEST_F(GUITest, MessagesForOtherWindowsAndKeyDownsPassThrough) {
    Button(0, 0, 50, 50);
    win::TMsg other{nullptr, win::WM_LBUTTONDOWN, 0, 0, 0};
    bool handled = false;
    GUI->HandleMessage(other, handled);
    EXPECT_FALSE(handled);
    Key(win::WM_KEYDOWN, win::VK_LEFT);
    EXPECT_FALSE(Handled);
    Key(win::WM_CHAR, 'a');
    EXPECT_TRUE(Handled);
}

TEST_F(GUITest, ToggleAndRadioGroupsStayWithinTheirList) {
    TArvexButton* a = Button(0, 0, 10, 10);
    TArvexButton* b = Button(0, 0, 10, 10);
    TArvexButton* c = Button(0, 0, 10, 10);
    auto* otherList = new TArvexGUIList(GUI);
    auto* d = new TArvexButton(otherList);
    std::vector<bool> seen;
    for (TArvexButton* x : {a, b, c, d}) {
        x->Toggle = true;
        x->GroupIndex = 1;
    }
    a->OnClick = [&](rtl::TObject*) { seen.push_back(a->Checked); };
    d->Checked = true;
    b->Click();
    a->Click();
    EXPECT_TRUE(a->Checked);
    EXPECT_FALSE(b->Checked);
    EXPECT_FALSE(c->Checked);
    EXPECT_TRUE(d->Checked) << "another list's group is not touched";
    a->Click();
    EXPECT_FALSE(a->Checked || b->Checked || c->Checked);
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
}

TEST_F(GUITest, EditBoxTakesFocusByClickAndFiltersKeys) {
    Font->SetCharacters(" 0123456789abcxABCX\xD1");
    auto* edit = new TArvexEdit(List);
    edit->X = 0;
    edit->Y = 0;
    edit->Width = 100;
    edit->Height = 20;
    edit->MaxLength = 3;
    Key(win::WM_CHAR, '1');
    EXPECT_EQ(edit->Text, "") << "not focused yet";
    MoveTo(5, 5);
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(GUI->FocusId, edit->Id);
    for (char c : std::string("ab"))
        Key(win::WM_CHAR, static_cast<uint16_t>(c));
    Key(win::WM_KEYDOWN, win::VK_LEFT);
    Key(win::WM_CHAR, 'x');
    EXPECT_EQ(edit->Text, "axb");
    EXPECT_EQ(edit->CaretPos, 2);
    Key(win::WM_CHAR, 'c'); // full: rejected
    EXPECT_EQ(edit->Text, "axb");
    Key(win::WM_KEYDOWN, win::VK_END);
    Key(win::WM_KEYDOWN, win::VK_DELETE); // at the end: nothing
    Key(win::WM_CHAR, 8);
    EXPECT_EQ(edit->Text, "ax");
    Key(win::WM_KEYDOWN, win::VK_HOME);
    Key(win::WM_CHAR, 8);   // at the start: nothing
    Key(win::WM_CHAR, 'z'); // not in the font's characters
    EXPECT_EQ(edit->Text, "ax");

    edit->Text.clear();
    edit->CaretPos = 0;
    edit->CharFilter = cfToUpper;
    Key(win::WM_CHAR, 0xF1); // ñ -> Ñ, which the font has
    Key(win::WM_CHAR, 'b');
    EXPECT_EQ(edit->Text, "\xD1"
                          "B");
    edit->Text.clear();
    edit->CaretPos = 0;
    edit->CharFilter = cfDigitsOnly;
    Key(win::WM_CHAR, 'a');
    Key(win::WM_CHAR, '5');
    EXPECT_EQ(edit->Text, "5");
    edit->MaxLength = 0;
    edit->Text.clear();
    edit->CaretPos = 0;
    Key(win::WM_CHAR, '6');
    EXPECT_EQ(edit->Text, "");
}

TEST_F(GUITest, DestroyedWidgetsDropTheirEventsAndRetiredOnesWaitForASafePoint) {
    TArvexButton* a = Button(0, 0, 50, 50);
    int clicks = 0;
    a->OnClick = [&](rtl::TObject*) { ++clicks; };
    MoveTo(5, 5);
    const int32_t id = a->Id;
    delete a;
    EXPECT_EQ(GUI->Widget(id), nullptr);
    EXPECT_TRUE(List->Items.empty());
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(clicks, 0);

    // Retired outside any message: alive, off its list, until the next draw.
    TArvexButton* b = Button(0, 0, 5, 5);
    List->RemoveWidget(b->Id);
    EXPECT_TRUE(List->Items.empty());
    EXPECT_EQ(b->List, nullptr);
    ASSERT_EQ(GUI->Widget(b->Id), b);
    GUI->Draw();
    EXPECT_EQ(GUI->Widget(id + 1), nullptr);
    // One left in the queue and one deleted from it are freed exactly once (LeakSanitizer and
    // AddressSanitizer watch both).
    Button(0, 0, 5, 5);
    TArvexButton* d = Button(0, 0, 5, 5);
    List->RetireWidgets();
    delete d;
}

TEST_F(GUITest, AnimationStepsForwardAndBackward) {
    TArvexButton* a = Button(0, 0, 10, 10);
    TGUIImageSlot& s = a->Images[0];
    a->SetPattern(0, 2);
    s.PatternCount = 2;
    s.AnimSpeed = 0;
    std::vector<int> forward;
    for (int i = 0; i < 4; ++i) {
        a->AdvanceAnimation(0);
        forward.push_back(s.Pattern);
    }
    EXPECT_EQ(forward, (std::vector<int>{3, 4, 2, 3}));
    s.Reverse = true;
    a->ResetAnimation(0);
    EXPECT_EQ(s.Pattern, 4);
    std::vector<int> backward;
    for (int i = 0; i < 3; ++i) {
        a->AdvanceAnimation(0);
        backward.push_back(s.Pattern);
    }
    EXPECT_EQ(backward, (std::vector<int>{3, 4, 3})) << "looping backward skips the first tile";
    s.Loop = false;
    s.Reverse = false;
    a->ResetAnimation(0);
    for (int i = 0; i < 5; ++i)
        a->AdvanceAnimation(0);
    EXPECT_TRUE(s.Finished);
    EXPECT_EQ(s.Pattern, 4);
}

TEST_F(GUITest, AClickHandlerMayTakeItsOwnScreenAway) {
    TArvexButton* a = Button(0, 0, 50, 50);
    // A toggle in a group: the button's Click goes on with the widget after the handler.
    a->Toggle = true;
    a->GroupIndex = 1;
    const int32_t id = a->Id;
    TArvexGUIList* screen = List;
    TArvexButton* next = nullptr;
    a->OnClick = [&](rtl::TObject* sender) {
        screen->Retire();
        EXPECT_TRUE(GUI->Lists.empty());
        // Neither a draw nor a nested message frees what this handler still runs in.
        GUI->Draw();
        MoveTo(7, 7);
        EXPECT_EQ(GUI->Widget(id), sender);
        auto* list = new TArvexGUIList(GUI);
        list->BringToFront();
        next = new TArvexButton(list);
        next->Width = 50;
        next->Height = 50;
    };
    MoveTo(5, 5);
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(GUI->Widget(id), nullptr) << "freed once the message is done";
    ASSERT_EQ(GUI->Lists.size(), 1u);
    EXPECT_EQ(GUI->Lists[0]->Items[0].get(), next);
    EXPECT_EQ(GUI->HoverId, 0);
    EXPECT_EQ(GUI->PressedId, -1);
    // The next screen's button under the resting pointer takes clicks only after a move.
    int clicks = 0;
    next->OnClick = [&](rtl::TObject*) { ++clicks; };
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(clicks, 0);
    MoveTo(6, 6);
    Send(win::WM_LBUTTONDOWN, 6, 6);
    Send(win::WM_LBUTTONUP, 6, 6);
    EXPECT_EQ(clicks, 1);
}

TEST_F(GUITest, RetiringForgetsFocusAndAThrowingHandlerStillFreesItsScreen) {
    auto* edit = new TArvexEdit(List);
    edit->Width = 50;
    edit->Height = 20;
    MoveTo(5, 5);
    Send(win::WM_LBUTTONDOWN, 5, 5);
    Send(win::WM_LBUTTONUP, 5, 5);
    ASSERT_EQ(GUI->FocusId, edit->Id);
    const int32_t id = edit->Id;
    edit->OnKey = [&](rtl::TObject*, uint16_t&, TShiftState) {
        List->Retire();
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(Key(win::WM_KEYDOWN, win::VK_LEFT), std::runtime_error);
    EXPECT_EQ(GUI->Widget(id), nullptr);
    EXPECT_EQ(GUI->FocusId, 0);
    Key(win::WM_CHAR, 'a'); // goes nowhere
}

TEST_F(GUITest, FocusedButtonsClickOnReturnAndSpaceAndReadOnlyEditsTakeNoKeys) {
    TArvexButton* a = Button(0, 0, 10, 10);
    int clicks = 0;
    a->OnClick = [&](rtl::TObject*) { ++clicks; };
    GUI->FocusId = a->Id;
    Key(win::WM_KEYDOWN, win::VK_RETURN);
    Key(win::WM_KEYDOWN, win::VK_SPACE);
    Key(win::WM_CHAR, ' '); // the character of the space bar is no second click
    EXPECT_EQ(clicks, 2);

    Font->SetCharacters("abc");
    auto* edit = new TArvexEdit(List);
    edit->Text = "ab";
    edit->CaretPos = 2;
    edit->ReadOnly = true;
    GUI->FocusId = edit->Id;
    Key(win::WM_CHAR, 'c');
    Key(win::WM_CHAR, 8);
    Key(win::WM_KEYDOWN, win::VK_HOME);
    EXPECT_EQ(edit->Text, "ab");
    EXPECT_EQ(edit->CaretPos, 2);
}

TEST_F(GUITest, CaseFiltersRejectOrConvert) {
    Font->SetCharacters("aAbB1");
    auto* edit = new TArvexEdit(List);
    GUI->FocusId = edit->Id;
    const auto typed = [&](uint8_t filter) {
        edit->Text.clear();
        edit->CaretPos = 0;
        edit->CharFilter = filter;
        for (char c : std::string("aB1"))
            Key(win::WM_CHAR, static_cast<uint16_t>(c));
        return edit->Text;
    };
    EXPECT_EQ(typed(cfUpperOnly), "B");
    EXPECT_EQ(typed(cfLowerOnly), "a");
    EXPECT_EQ(typed(cfToLower), "ab1");
    EXPECT_EQ(typed(cfToUpper), "AB1");
}

TEST_F(GUITest, AnimationSpeedCountsTenthsAndAResetKeepsTheTickCount) {
    TArvexButton* a = Button(0, 0, 10, 10);
    TGUIImageSlot& s = a->Images[0];
    a->SetPattern(0, 0);
    s.PatternCount = 5;
    s.AnimSpeed = 30; // a step every third call
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        a->AdvanceAnimation(0);
        seen.push_back(s.Pattern);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 1, 1, 2}));
    a->AdvanceAnimation(0);
    a->AdvanceAnimation(0);
    a->ResetAnimation(0); // back to the first tile; the two counted calls still count
    EXPECT_EQ(s.Pattern, 0);
    a->AdvanceAnimation(0);
    EXPECT_EQ(s.Pattern, 1);
}

TEST_F(GUITest, MousePositionsAreScaledFromTheWindowToTheBackBuffer) {
    auto* screen = rtl::Create<TArvexScreen>(Form);
    screen->Width = 200;
    screen->Height = 50;
    Form->SetClientSize(100, 100);
    GUI->ArvexScreen = screen;
    TArvexButton* a = Button(150, 30, 20, 10);
    // Far from any other test's last move: the move throttle's clock is shared by every GUI.
    H.Clock.AdvanceMilliseconds(100000);
    MoveTo(0, 0);   // each move works the scales out for the next one
    MoveTo(80, 70); // (160, 35) on the back buffer
    EXPECT_EQ(GUI->MouseX, 160);
    EXPECT_EQ(GUI->MouseY, 35);
    EXPECT_EQ(GUI->HoverId, a->Id);
    GUI->ArvexScreen = nullptr;
    delete screen;
    TArvexGUI::MouseScaleX = TArvexGUI::MouseScaleY = 1; // shared by every GUI of the program
}
