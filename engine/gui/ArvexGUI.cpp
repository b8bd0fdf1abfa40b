#include "engine/gui/ArvexGUI.h"

#include "engine/display/ArvexScreen.h"
#include "engine/sprites/ArvexBitmapFont.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "platform/win/Forms.h"

#include <algorithm>
#include <cassert>

float TArvexGUI::MouseScaleX = 1.0f;
float TArvexGUI::MouseScaleY = 1.0f;
uint32_t TArvexGUI::LastMoveTime = 0;

// ---- TArvexGUIComponent -----------------------------------------------------------------------

TArvexGUIComponent::TArvexGUIComponent(TArvexGUIList* list) : List(list), FGUI(list->GUI) {
    assert(list && "a widget is created with the list it belongs to");
    List->Add(this);
    TArvexGUI* gui = FGUI;
    Id = gui->NextId++;
    gui->Widgets.push_back(this);
    Font = gui->ArvexBitmapFont;
    if (Font) {
        FontColor = (static_cast<uint32_t>(Font->Alpha() & 255) << 24) |
                    (static_cast<uint32_t>(Font->Red() & 255) << 16) |
                    (static_cast<uint32_t>(Font->Green() & 255) << 8) |
                    static_cast<uint32_t>(Font->Blue() & 255);
        FontScaleX = Font->ScaleX;
        FontScaleY = Font->ScaleY;
    }
}

TArvexGUIComponent::~TArvexGUIComponent() {
    if (List)
        List->RemoveWidget(Id);
    TArvexGUI* gui = FGUI;
    if (Id > 0 && static_cast<size_t>(Id) < gui->Widgets.size())
        gui->Widgets[static_cast<size_t>(Id)] = nullptr;
}

size_t TArvexGUIComponent::Slot(int slot) {
    assert(slot >= 0 && slot <= 3 && "widget image slots are 0..3");
    return static_cast<size_t>(std::clamp(slot, 0, 3));
}

TArvexGUI* TArvexGUIComponent::GUI() const {
    return FGUI;
}

void TArvexGUIComponent::SetPattern(int slot, int32_t pattern) {
    TGUIImageSlot& s = Images[Slot(slot)];
    s.Pattern = pattern;
    s.PatternStart = pattern;
}

void TArvexGUIComponent::Click() {
    if (OnClick)
        OnClick(this);
}

void TArvexGUIComponent::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TArvexGUIComponent::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
    for (int i = 0; i < 4; ++i)
        ResetAnimation(i);
}

void TArvexGUIComponent::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
    for (int i = 0; i < 4; ++i)
        ResetAnimation(i);
}

void TArvexGUIComponent::KeyInput(bool, uint16_t& key, TShiftState shift) {
    if (OnKey)
        OnKey(this, key, shift);
}

void TArvexGUIComponent::AdvanceAnimation(int slot) {
    TGUIImageSlot& s = Images[Slot(slot)];
    if (s.Finished)
        return;
    ++AnimTick;
    if (s.AnimSpeed / 10 > AnimTick)
        return;
    AnimTick = 0;
    if (!s.Reverse) {
        ++s.Pattern;
        if (s.Pattern > s.PatternStart + s.PatternCount) {
            if (s.Loop) {
                s.Pattern = s.PatternStart;
            } else {
                s.Finished = true;
                s.Pattern = s.PatternStart + s.PatternCount;
            }
        }
    } else {
        --s.Pattern;
        if (s.Pattern < s.PatternStart + 1) {
            if (s.Loop) {
                s.Pattern = s.PatternStart + s.PatternCount;
            } else {
                s.Finished = true;
                s.Pattern = s.PatternStart;
            }
        }
    }
}

void TArvexGUIComponent::ResetAnimation(int slot) {
    TGUIImageSlot& s = Images[Slot(slot)];
    s.Pattern = s.Reverse ? s.PatternStart + s.PatternCount : s.PatternStart;
    s.Finished = false;
}

void TArvexGUIComponent::Draw() {
    const TArvexGUI* gui = GUI();
    int state = 0;
    if (gui->HoverId == Id)
        state = gui->LeftDown ? 2 : 1;
    if (!Images[static_cast<size_t>(state)].Image)
        state = 0;
    const TGUIImageSlot& s = Images[static_cast<size_t>(state)];
    if (s.Image) {
        s.Image->DrawRect(TRect{0, 0, Width, Height}, X, Y, Angle, 0.5f, 0.5f, 1, 1,
                          static_cast<uint8_t>(s.Color >> 16), static_cast<uint8_t>(s.Color >> 8),
                          static_cast<uint8_t>(s.Color), static_cast<uint8_t>(s.Color >> 24), FlipV,
                          FlipH, s.Pattern, s.BlendMode);
    }
    if (s.Animate)
        AdvanceAnimation(state);
}

void TArvexGUIComponent::DrawOverlay(float rotation) {
    const TGUIImageSlot& s = Images[3];
    if (s.Image)
        s.Image->DrawColored(X, Y, rotation, 0.5f, 0.5f, 1, 1, s.Color, FlipV, FlipH, s.Pattern,
                             s.BlendMode);
}

// ---- TArvexGUIList ----------------------------------------------------------------------------

TArvexGUIList::TArvexGUIList(TArvexGUI* gui) : GUI(gui) {
    GUI->Lists.push_back(this);
}

TArvexGUIList::~TArvexGUIList() {
    Clear();
    // Widgets detached from this list outlive it; they must not keep pointing at it.
    for (TArvexGUIComponent* w : GUI->Widgets)
        if (w && w->List == this)
            w->List = nullptr;
    std::erase(GUI->Lists, this);
}

void TArvexGUIList::RemoveWidget(int32_t id) {
    auto it = std::find_if(Items.begin(), Items.end(),
                           [id](const TArvexGUIComponent* w) { return w->Id == id; });
    if (it != Items.end())
        Items.erase(it);
}

void TArvexGUIList::Clear() {
    while (!Items.empty())
        delete Items.back();
}

void TArvexGUIList::BringToFront() {
    auto it = std::find(GUI->Lists.begin(), GUI->Lists.end(), this);
    if (it == GUI->Lists.end())
        return;
    GUI->Lists.erase(it);
    GUI->Lists.push_back(this);
}

void TArvexGUIList::UpdateHover() {
    if (!Enabled || !Visible)
        return;
    // By index: a handler may change the list while it is walked.
    for (size_t i = 0; i < Items.size(); ++i) {
        TArvexGUIComponent* w = Items[i];
        if (!w->Enabled || !w->Visible)
            continue;
        const bool inside = GUI->MouseX >= w->X && GUI->MouseX <= w->X + w->Width &&
                            GUI->MouseY >= w->Y && GUI->MouseY <= w->Y + w->Height;
        if (inside) {
            GUI->HoverId = w->Id;
            w->MouseOver();
            if (GUI->PreviousHoverId != w->Id)
                w->MouseEnter();
        } else if (GUI->PreviousHoverId == w->Id) {
            w->MouseLeave();
        }
    }
}

void TArvexGUIList::Draw() {
    if (!Visible)
        return;
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i]->Visible)
            Items[i]->Draw();
}

// ---- TArvexGUI --------------------------------------------------------------------------------

TArvexGUI::TArvexGUI(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TArvexGUI::~TArvexGUI() {
    // Widgets detached from their lists are still alive and nobody else will free them; they go
    // first, while the lists they point at still exist.
    for (size_t i = 1; i < Widgets.size(); ++i) {
        TArvexGUIComponent* w = Widgets[i];
        if (w && (!w->List || std::find(w->List->Items.begin(), w->List->Items.end(), w) ==
                                  w->List->Items.end()))
            delete w;
    }
    while (!Lists.empty())
        delete Lists.back();
    if (Hooked)
        Deactivate();
}

TArvexGUIComponent* TArvexGUI::Widget(int32_t id) const {
    if (id <= 0 || static_cast<size_t>(id) >= Widgets.size())
        return nullptr;
    return Widgets[static_cast<size_t>(id)];
}

void TArvexGUI::Notification(rtl::TComponent* component, rtl::TOperation operation) {
    rtl::TComponent::Notification(component, operation);
    if (operation != rtl::opRemove)
        return;
    if (component == static_cast<rtl::TComponent*>(ArvexScreen))
        ArvexScreen = nullptr;
    if (component == static_cast<rtl::TComponent*>(ArvexBitmapFont))
        ArvexBitmapFont = nullptr;
}

void TArvexGUI::ComputeScales() {
    const int screenWidth = ArvexScreen ? ArvexScreen->Width : 0;
    const int screenHeight = ArvexScreen ? ArvexScreen->Height : 0;
    auto* form = dynamic_cast<win::TForm*>(Owner());
    // Only the owner form's own window is known here; for any other window keep the scales.
    if (!form || static_cast<win::Window*>(form) != Window)
        return;
    MouseScaleX = screenWidth == 0 || form->ClientWidth() == 0
                      ? 1.0f
                      : static_cast<float>(screenWidth) / static_cast<float>(form->ClientWidth());
    MouseScaleY = screenHeight == 0 || form->ClientHeight() == 0
                      ? 1.0f
                      : static_cast<float>(screenHeight) / static_cast<float>(form->ClientHeight());
}

void TArvexGUI::Activate() {
    if (!ArvexScreen)
        return;
    if (!Hooked) {
        win::TIMECAPS caps;
        win::timeGetDevCaps(&caps);
        FRequestedPeriod = caps.wPeriodMin;
        win::timeBeginPeriod(FRequestedPeriod);
        if (win::Application)
            win::Application->OnMessage = [this](win::TMsg& msg, bool& handled) {
                HandleMessage(msg, handled);
            };
        Hooked = true;
    }
    Window = ArvexScreen->WindowHandle();
    win::SetFocus(Window);
    ComputeScales();
}

void TArvexGUI::Deactivate() {
    if (win::Application)
        win::Application->OnMessage = nullptr;
    if (Hooked)
        win::timeEndPeriod(FRequestedPeriod);
    Hooked = false;
}

void TArvexGUI::Draw() {
    for (size_t i = 0; i < Lists.size(); ++i)
        Lists[i]->Draw();
}

TShiftState TArvexGUI::Shift() const {
    return (LeftDown ? ssLeft : 0) | (RightDown ? ssRight : 0) | (MiddleDown ? ssMiddle : 0);
}

void TArvexGUI::HandleMessage(win::TMsg& msg, bool& handled) {
    if (!Window || msg.hwnd != Window)
        return;
    if (win::GetFocus() != Window)
        win::SetFocus(Window);
    const auto lParam = static_cast<uintptr_t>(msg.lParam);
    switch (msg.message) {
    case win::WM_MOUSEMOVE: {
        const uint32_t now = win::timeGetTime();
        if (now - LastMoveTime < 10)
            return;
        LastMoveTime = now;
        PreviousHoverId = HoverId;
        MouseX = static_cast<int32_t>(
            rtl::Round(win::LOWORD(lParam) * static_cast<double>(MouseScaleX)));
        MouseY = static_cast<int32_t>(
            rtl::Round(win::HIWORD(lParam) * static_cast<double>(MouseScaleY)));
        HoverId = 0;
        MouseMove();
        handled = true;
        break;
    }
    case win::WM_LBUTTONDOWN:
        LeftDown = true;
        PressedId = HoverId;
        MouseButton(0, true, false);
        handled = true;
        break;
    case win::WM_LBUTTONUP:
        LeftDown = false;
        MouseButton(0, false, false);
        PressedId = -1;
        handled = true;
        break;
    case win::WM_LBUTTONDBLCLK:
        LeftDown = true;
        MouseButton(0, true, true);
        handled = true;
        break;
    case win::WM_RBUTTONDOWN:
        RightDown = true;
        MouseButton(1, true, false);
        handled = true;
        break;
    case win::WM_RBUTTONUP:
        RightDown = false;
        MouseButton(1, false, false);
        handled = true;
        break;
    case win::WM_MBUTTONDOWN:
        MiddleDown = true;
        MouseButton(2, true, false);
        handled = true;
        break;
    case win::WM_MBUTTONUP:
        MiddleDown = false;
        MouseButton(2, false, false);
        handled = true;
        break;
    case win::WM_CHAR:
        KeyInput(true, win::LOWORD(msg.wParam));
        handled = true;
        break;
    case win::WM_KEYDOWN:
        KeyInput(false, win::LOWORD(msg.wParam));
        handled = false;
        break;
    default:
        break;
    }
}

void TArvexGUI::MouseMove() {
    ComputeScales();
    for (size_t i = 0; i < Lists.size(); ++i)
        Lists[i]->UpdateHover();
}

void TArvexGUI::MouseButton(int button, bool down, bool isDouble) {
    if (Lists.empty() || HoverId == 0)
        return;
    const TShiftState shift = Shift();
    TArvexGUIComponent* w = Widget(HoverId);
    // Hover is worked out only on moves: a list disabled (or a widget detached) since then
    // must not take the button.
    if (!w || !w->List || !w->List->Enabled)
        return;
    if (isDouble) {
        w->DblClick();
    } else if (down) {
        if (w->OnMouseDown)
            w->OnMouseDown(this, button, shift, MouseX, MouseY);
    } else if (button == 0 && PressedId == HoverId) {
        w->Click();
    } else if (w->OnMouseUp) {
        w->OnMouseUp(this, button, shift, MouseX, MouseY);
    }
}

void TArvexGUI::KeyInput(bool isChar, uint16_t key) {
    TArvexGUIComponent* w = FocusId >= 1 ? Widget(FocusId) : nullptr;
    if (!w || !w->List || !w->List->Enabled)
        return;
    w->KeyInput(isChar, key, 0);
}
