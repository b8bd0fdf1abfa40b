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

namespace {

// Gives up the ownership of an item whose destructor is running; false when owners does not
// hold it.
template <class T>
bool Disown(std::vector<std::unique_ptr<T>>& owners, const T* item) {
    const auto it = std::find_if(owners.begin(), owners.end(),
                                 [item](const std::unique_ptr<T>& p) { return p.get() == item; });
    if (it == owners.end())
        return false;
    static_cast<void>(it->release());
    owners.erase(it);
    return true;
}

// Last first; each entry leaves the vector before it is destroyed, so that its destructor does
// not find itself there.
template <class T>
void DestroyAll(std::vector<std::unique_ptr<T>>& owners) {
    while (!owners.empty()) {
        const std::unique_ptr<T> last = std::move(owners.back());
        owners.pop_back();
    }
}

} // namespace

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
    if (!List || !Disown(List->Items, static_cast<const TArvexGUIComponent*>(this)))
        Disown(FGUI->FRetiredWidgets, static_cast<const TArvexGUIComponent*>(this));
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
    GUI->Lists.emplace_back(this);
}

TArvexGUIList::~TArvexGUIList() {
    Clear();
    if (!Disown(GUI->Lists, static_cast<const TArvexGUIList*>(this)))
        Disown(GUI->FRetiredLists, static_cast<const TArvexGUIList*>(this));
}

void TArvexGUIList::RemoveWidget(int32_t id) {
    const auto it =
        std::find_if(Items.begin(), Items.end(),
                     [id](const std::unique_ptr<TArvexGUIComponent>& w) { return w->Id == id; });
    if (it == Items.end())
        return;
    std::unique_ptr<TArvexGUIComponent> widget = std::move(*it);
    Items.erase(it);
    GUI->Retire(std::move(widget));
}

void TArvexGUIList::RetireWidgets() {
    std::vector<std::unique_ptr<TArvexGUIComponent>> taken;
    taken.swap(Items);
    for (std::unique_ptr<TArvexGUIComponent>& widget : taken)
        GUI->Retire(std::move(widget));
}

void TArvexGUIList::Retire() {
    RetireWidgets();
    const auto it =
        std::find_if(GUI->Lists.begin(), GUI->Lists.end(),
                     [this](const std::unique_ptr<TArvexGUIList>& l) { return l.get() == this; });
    if (it == GUI->Lists.end())
        return;
    GUI->FRetiredLists.push_back(std::move(*it));
    GUI->Lists.erase(it);
}

void TArvexGUIList::Clear() {
    DestroyAll(Items);
}

void TArvexGUIList::BringToFront() {
    const auto it =
        std::find_if(GUI->Lists.begin(), GUI->Lists.end(),
                     [this](const std::unique_ptr<TArvexGUIList>& l) { return l.get() == this; });
    if (it != GUI->Lists.end())
        std::rotate(it, it + 1, GUI->Lists.end());
}

void TArvexGUIList::UpdateHover() {
    if (!Enabled || !Visible)
        return;
    // By index: a handler may change the list while it is walked.
    for (size_t i = 0; i < Items.size(); ++i) {
        TArvexGUIComponent* w = Items[i].get();
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
    // Explicitly, while every member is whole: the widgets' and lists' destructors look at them.
    DestroyAll(FRetiredWidgets);
    DestroyAll(FRetiredLists);
    DestroyAll(Lists);
    if (Hooked)
        Deactivate();
}

void TArvexGUI::Retire(std::unique_ptr<TArvexGUIComponent> widget) {
    widget->List = nullptr;
    FRetiredWidgets.push_back(std::move(widget));
    ResetPointer();
}

void TArvexGUI::FreeRetired() {
    if (FMessageDepth > 0)
        return;
    DestroyAll(FRetiredWidgets);
    DestroyAll(FRetiredLists);
}

void TArvexGUI::ResetPointer() {
    HoverId = 0;
    PreviousHoverId = 0;
    PressedId = -1;
    FocusId = 0;
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
    FreeRetired();
    for (size_t i = 0; i < Lists.size(); ++i)
        Lists[i]->Draw();
}

TShiftState TArvexGUI::Shift() const {
    return (LeftDown ? ssLeft : 0) | (RightDown ? ssRight : 0) | (MiddleDown ? ssMiddle : 0);
}

void TArvexGUI::HandleMessage(win::TMsg& msg, bool& handled) {
    // The widgets' handlers run in here, and may run a message loop of their own; what they take
    // off the screen is freed once the outermost message is done, even when a handler throws.
    struct Depth {
        explicit Depth(TArvexGUI& g) : gui(g) { ++gui.FMessageDepth; }
        ~Depth() {
            --gui.FMessageDepth;
            gui.FreeRetired();
        }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        TArvexGUI& gui;
    } depth(*this);
    Dispatch(msg, handled);
}

void TArvexGUI::Dispatch(win::TMsg& msg, bool& handled) {
    if (!Window || msg.hwnd != Window)
        return;
    if (win::GetFocus() != Window)
        win::SetFocus(Window);
    const auto lParam = static_cast<uintptr_t>(msg.lParam);
    switch (msg.message) {
    case win::WM_MOUSEMOVE:
        if (TakeMove(lParam))
            handled = true;
        break;
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

bool TArvexGUI::TakeMove(uintptr_t lParam) {
    const uint32_t now = win::timeGetTime();
    if (now - LastMoveTime < 10)
        return false;
    LastMoveTime = now;
    PreviousHoverId = HoverId;
    MouseX =
        static_cast<int32_t>(rtl::Round(win::LOWORD(lParam) * static_cast<double>(MouseScaleX)));
    MouseY =
        static_cast<int32_t>(rtl::Round(win::HIWORD(lParam) * static_cast<double>(MouseScaleY)));
    HoverId = 0;
    MouseMove();
    return true;
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
