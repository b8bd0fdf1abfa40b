// The GUI: lists of picture buttons and edit boxes drawn over the scene, fed with mouse and key
// messages from the application's message loop (not from the input devices).
//
// TArvexGUI owns the lists, numbers every widget (Id n is entry n of Widgets; entry 0 stands for
// the GUI itself; ids are never reused), keeps the mouse state and is the only receiver of the
// input messages. A list is one screen or one dialog; later lists lie on top of earlier ones.
//
// Traps worth knowing:
// - Hover changes only at processed mouse moves (at most one per 10 ms); button messages act on
//   the widget found at the last move.
// - Each widget has one owner: the list it was created with (it adds itself to Items), later the
//   GUI's retire queue. A click handler usually takes its own screen away, so widgets and lists
//   taken off a screen (RetireWidgets, RemoveWidget, Retire) stay alive in that queue until no
//   handler can still be running: the end of the outermost HandleMessage, or a Draw outside it.
//   Emptying Items directly destroys the widgets at once.
// - Taking widgets off a list forgets hover, press and focus (ResetPointer), so no click or key
//   reaches a retired widget; until the next mouse move nothing is hovered.
// - OnMouseDown and OnMouseUp get the GUI as sender, every other event the widget.
#pragma once

#include "engine/display/ArvexDeviceClient.h"
#include "engine/display/ArvexImageList.h"
#include "platform/rtl/Component.h"
#include "platform/win/Messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TArvexScreen;
class TArvexBitmapFont;
class TArvexGUI;
class TArvexGUIList;
class TArvexGUIComponent;

// Shift state flags of mouse and key events.
using TShiftState = uint32_t;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;

using TMouseEvent =
    std::function<void(rtl::TObject* sender, int button, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(rtl::TObject* sender, uint16_t& key, TShiftState shift)>;

struct TGUIImageSlot {
    TImageListItem* Image = nullptr;
    int32_t Pattern = -1;
    bool Animate = false;
    int32_t PatternStart = -1;
    int32_t PatternCount = 0;
    int32_t AnimSpeed = 0;
    bool Loop = true;
    bool Reverse = false;
    bool Finished = false;
    uint32_t Color = 0xFFFFFFFF;
    int32_t BlendMode = 0;
};

class TArvexGUIComponent : public rtl::TObject {
public:
    explicit TArvexGUIComponent(TArvexGUIList* list);
    // Leaves its owner (its list or the retire queue) and empties its registry entry.
    ~TArvexGUIComponent() override;

    virtual void DblClick();
    virtual void MouseEnter();
    virtual void Click();
    virtual void KeyInput(bool isChar, uint16_t& key, TShiftState shift);
    virtual void MouseOver() {}
    virtual void MouseLeave();
    virtual void Draw();

    void SetImage(int slot, TImageListItem* image) { Images[Slot(slot)].Image = image; }
    TImageListItem* GetImage(int slot) const { return Images[Slot(slot)].Image; }
    void SetPattern(int slot, int32_t pattern);
    void AdvanceAnimation(int slot);
    void ResetAnimation(int slot);

    int32_t Id = 0;
    // Null once it has been taken off its list.
    TArvexGUIList* List;
    bool Visible = true;
    bool Enabled = true;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 20;
    int32_t Height = 15;
    std::array<TGUIImageSlot, 4> Images{};
    bool FlipV = false;
    bool FlipH = false;
    TArvexBitmapFont* Font = nullptr;
    uint32_t FontColor = 0xFFFFFFFF;
    float CharRotation = 0;
    float FontScaleX = 1;
    float FontScaleY = 1;
    float Angle = 0;
    bool Checked = false;
    int32_t AnimTick = 0;

    rtl::TNotifyEvent OnClick;
    rtl::TNotifyEvent OnDblClick;
    rtl::TNotifyEvent OnMouseEnter;
    rtl::TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKey;

protected:
    TArvexGUI* GUI() const;
    // Slot 3 at the tile's own size with one colour (the checked or focused overlay).
    void DrawOverlay(float rotation);

private:
    static size_t Slot(int slot);

    TArvexGUI* FGUI;
};

class TArvexGUIList : public rtl::TObject {
public:
    // Joins the GUI's lists, which own it from then on.
    explicit TArvexGUIList(TArvexGUI* gui);
    // Destroys the widgets still in Items and leaves its owner (the GUI's lists or the retire
    // queue).
    ~TArvexGUIList() override;

    virtual void UpdateHover();
    // Takes ownership; the widget's constructor calls it.
    virtual void Add(TArvexGUIComponent* widget) { Items.emplace_back(widget); }
    virtual void Draw();
    // Takes the widget with this Id, if present, off the list into the retire queue.
    void RemoveWidget(int32_t id);
    // Takes every widget off the list into the retire queue; the list stays.
    void RetireWidgets();
    // Takes the list, with its widgets, out of the GUI's lists into the retire queue.
    void Retire();
    // Destroys every widget in Items at once: not from a handler of one of them.
    void Clear();
    void BringToFront();

    std::vector<std::unique_ptr<TArvexGUIComponent>> Items;
    TArvexGUI* const GUI;
    bool Enabled = true;
    bool Visible = true;
};

class TArvexGUI : public rtl::TComponent, public TArvexDeviceClient {
public:
    explicit TArvexGUI(rtl::TComponent* owner);
    ~TArvexGUI() override;

    void Activate();
    void Deactivate();
    void Draw();
    // The application's message hook while Hooked.
    void HandleMessage(win::TMsg& msg, bool& handled);

    void MouseMove();
    void MouseButton(int button, bool down, bool isDouble);
    void KeyInput(bool isChar, uint16_t key);
    // Nothing hovered, pressed or focused, until the next mouse move or focus change.
    void ResetPointer();

    TDeviceClientKind DeviceClientKind() const override { return TDeviceClientKind::dcGUI; }
    void DeviceReady() override { Activate(); }
    void DeviceLost() override { Deactivate(); }
    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    // The widget with this Id, or nullptr (none, or destroyed).
    TArvexGUIComponent* Widget(int32_t id) const;

    // Each list adds itself when made and leaves when destroyed.
    std::vector<std::unique_ptr<TArvexGUIList>> Lists;
    // Not an owner.
    std::vector<TArvexGUIComponent*> Widgets{nullptr};
    int32_t PreviousHoverId = 0;
    bool Hooked = false;
    int32_t NextId = 1;
    win::HWND Window = nullptr;
    TArvexScreen* ArvexScreen = nullptr;
    TArvexBitmapFont* ArvexBitmapFont = nullptr;
    int32_t MouseX = 0;
    int32_t MouseY = 0;
    int32_t HoverId = -1;
    int32_t PressedId = 0;
    int32_t FocusId = 0;
    bool LeftDown = false;
    bool RightDown = false;
    bool MiddleDown = false;

    // Shared by every GUI of the program: the scales, and the time (timeGetTime) of the last
    // processed mouse move, which the 10 ms throttle measures from.
    static float MouseScaleX;
    static float MouseScaleY;
    static uint32_t LastMoveTime;

private:
    friend class TArvexGUIComponent;
    friend class TArvexGUIList;

    void ComputeScales();
    TShiftState Shift() const;
    void Dispatch(win::TMsg& msg, bool& handled);
    // A mouse move past the 10 ms throttle: position, hover and the hover events; false when
    // dropped.
    bool TakeMove(uintptr_t lParam);
    void Retire(std::unique_ptr<TArvexGUIComponent> widget);
    // Frees the retire queue unless a message (and so maybe a handler) is being handled.
    void FreeRetired();

    uint32_t FRequestedPeriod = 0;
    // Widgets and lists taken off the screen, freed at the next safe point.
    std::vector<std::unique_ptr<TArvexGUIComponent>> FRetiredWidgets;
    std::vector<std::unique_ptr<TArvexGUIList>> FRetiredLists;
    int FMessageDepth = 0;
};
