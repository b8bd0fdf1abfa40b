// TArvexInput: the engine's input component, with its keyboard, mouse and joystick devices.
//
// Every device reduces what it reads to 32 button bits once per Update: Held (down now) and
// JustPressed (went down in this poll). The keyboard binds each bit to a DIK_ key code through
// Assigns; the mouse and joysticks have fixed bits: 0 up, 1 down, 2 left, 3 right, 4 and up
// the buttons. OnKeyboard, OnMouse and OnJoystick fire in every Update in which their device
// has a bit down, so a held key fires its event in every tick.
//
// DirectInput comes alive in Initialize, which the screen runs once its device is ready and the
// component runs itself whenever the form's window is created. The component watches the
// form's window procedure and re-acquires its devices whenever the window is activated.
//
// Traps worth knowing:
// - A foreground device is unacquired while its window is in the background; its polls then
//   report nothing, and Latched keeps what was down, so a key still held when the window comes
//   back does not count as pressed again.
// - A press and release between two polls is never seen: devices are read by state, not by
//   event.
// - Initialize starts with Finalize: extra joysticks (one per further attached controller,
//   copying the first one's settings) exist only between the two, and rebuilding invalidates
//   pointers to them. Keyboard, Mouse and Joystick themselves are never replaced.
#pragma once

#include "engine/display/ArvexDeviceClient.h"
#include "platform/dinput/DInput.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Forms.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TArvexInput;

// A set of the bit numbers 0..31, as one word: bit i of Bits is element i.
struct TButtonSet {
    uint32_t Bits = 0;

    bool Contains(int bit) const { return bit >= 0 && bit < 32 && ((Bits >> bit) & 1u) != 0; }
    void Include(int bit) {
        if (bit >= 0 && bit < 32)
            Bits |= 1u << bit;
    }
    void Exclude(int bit) {
        if (bit >= 0 && bit < 32)
            Bits &= ~(1u << bit);
    }
    bool Empty() const { return Bits == 0; }
    friend bool operator==(TButtonSet, TButtonSet) = default;
};

// ---- Window procedure hook ------------------------------------------------------------------

// Receives every message of the hooked window, with the user value and the procedure that was
// installed before the hook; it decides whether and when to call that procedure.
using TWndProcCallback =
    std::function<void(void* userValue, win::TMessage& message, const win::TWndMethod& oldWndProc)>;

// Replaces a window's procedure for its lifetime and puts the saved one back when destroyed.
// The window must outlive the hook; hooks on one window must be removed last-installed first.
class TWndProcControlClass {
public:
    TWndProcControlClass(win::Window* control, TWndProcCallback callback, void* userValue);
    ~TWndProcControlClass();
    TWndProcControlClass(const TWndProcControlClass&) = delete;
    TWndProcControlClass& operator=(const TWndProcControlClass&) = delete;

private:
    win::Window* FControl;
    TWndProcCallback FCallback;
    void* FUserValue;
    win::TWndMethod FOldWndProc;
};

// ---- Devices --------------------------------------------------------------------------------

// What the three devices share: the button sets, the DirectInput device, the wish to have one
// (Enabled) and its cooperative level.
class TCustomInput : public rtl::TObject {
public:
    explicit TCustomInput(TArvexInput* owner);
    ~TCustomInput() override;

    TButtonSet Held;
    TButtonSet JustPressed;

    // True while the DirectInput device exists and is fully configured.
    bool Initialized() const { return FInitialized; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool ForegroundOnly() const { return FForegroundOnly; }
    void SetForegroundOnly(bool value);
    bool Exclusive() const { return FExclusive; }
    void SetExclusive(bool value);

    // (Re)creates and configures the DirectInput device; does not acquire it.
    virtual void SetupDevice() {}
    // Results are ignored: a device that cannot be acquired now is retried on activation.
    void Acquire();
    // Unacquires and drops the device.
    void Release();

    TArvexInput* Owner() const { return FOwner; }

protected:
    // DISCL_ flags from ForegroundOnly and Exclusive (6 by default).
    dinput::DWORD CooperativeLevel() const;
    win::HWND Window() const;
    // Keyboard and mouse: create the system device, set its format and cooperative level.
    void SetupSystemDevice(const dinput::GUID& guid, const dinput::DIDATAFORMAT& format);

    // The frame of every Poll. BeginPoll empties the sets and says whether there is a device to
    // read; ReadSucceeded judges the read (re-acquiring after DIERR_INPUTLOST); EndPoll builds
    // JustPressed from Held and Latched.
    bool BeginPoll();
    bool ReadSucceeded(dinput::HRESULT result);
    void EndPoll(TButtonSet held);

    TArvexInput* const FOwner;
    std::unique_ptr<dinput::IDirectInputDevice8> FDevice;
    bool FInitialized = false;
    bool FEnabled = false;

private:
    // The bits down at the last successful poll. A failed poll leaves it alone.
    TButtonSet FLatched;
    bool FForegroundOnly = true;
    bool FExclusive = false;
};

class TKeyboard : public TCustomInput {
public:
    static constexpr int AssignCount = 32;
    // The stored form of the assignment: "Assigns" is written; "Assigns2" is accepted when
    // read. Both hold 32 unsigned 32-bit little-endian key codes, 128 bytes.
    static constexpr const char* AssignsPropertyName = "Assigns";
    static constexpr const char* LegacyAssignsPropertyName = "Assigns2";
    static constexpr int AssignsPropertySize = 128;

    explicit TKeyboard(TArvexInput* owner);

    void SetupDevice() override;
    void Poll();

    // The DIK_ code that drives a bit; 0 (no key) outside 0..31.
    uint32_t Assigns(int bit) const;
    // Refused (false, nothing changes) for a bit outside 0..31 or a code above 255, which
    // would index past the keyboard's 256-byte state.
    bool SetAssigns(int bit, uint32_t key);

    // The form-stream pair. Reading takes exactly 128 bytes from the stream (EReadError when it
    // is shorter, and then nothing changes) and returns false, reading nothing, for a name that
    // is not one of the two. Entries above 255 are refused one by one as by SetAssigns.
    bool ReadBinaryProperty(const std::string& name, rtl::TStream& stream);
    // Writes the 128 bytes of the value of AssignsPropertyName.
    void WriteBinaryProperty(rtl::TStream& stream) const;

private:
    std::array<uint32_t, AssignCount> FAssigns{};
};

class TMouse : public TCustomInput {
public:
    explicit TMouse(TArvexInput* owner);

    void SetupDevice() override;
    void Poll();

    // Movement and wheel since the previous poll, as read by the last poll.
    int32_t X() const { return FState.lX; }
    int32_t Y() const { return FState.lY; }
    int32_t Z() const { return FState.lZ; }
    const dinput::DIMOUSESTATE& State() const { return FState; }

private:
    dinput::DIMOUSESTATE FState;
};

class TJoystick : public TCustomInput {
public:
    static constexpr int OffsetCount = 80; // byte offsets into DIJOYSTATE
    static constexpr int ButtonBits = 28;  // bits 4..31: buttons 0..27

    ~TJoystick() override;

    void SetupDevice() override;
    void Poll();

    bool Autocenter() const { return FAutocenter; }
    void SetAutocenter(bool value);
    int32_t ButtonCount() const { return FButtonCount; }
    int32_t AxesCount() const { return FAxesCount; }
    // Which attached controller, in enumeration order; re-made at once when initialized.
    int32_t DeviceIndex() const { return FDeviceIndex; }
    void SetDeviceIndex(int32_t value);

    // Per DIJOYSTATE byte offset (0 lX, 4 lY, 8 lZ); 0 outside 0..79, where setting is ignored.
    // A negative range is stored as 0; dead zones (percent) are clamped to 0..100.
    int32_t Ranges(int offset) const;
    void SetRanges(int offset, int32_t range);
    int32_t DeadZones(int offset) const;
    void SetDeadZones(int offset, int32_t percent);

    int32_t RangeX() const { return Ranges(dinput::DIJOFS_X); }
    void SetRangeX(int32_t v) { SetRanges(dinput::DIJOFS_X, v); }
    int32_t RangeY() const { return Ranges(dinput::DIJOFS_Y); }
    void SetRangeY(int32_t v) { SetRanges(dinput::DIJOFS_Y, v); }
    int32_t RangeZ() const { return Ranges(dinput::DIJOFS_Z); }
    void SetRangeZ(int32_t v) { SetRanges(dinput::DIJOFS_Z, v); }
    int32_t DeadZoneX() const { return DeadZones(dinput::DIJOFS_X); }
    void SetDeadZoneX(int32_t v) { SetDeadZones(dinput::DIJOFS_X, v); }
    int32_t DeadZoneY() const { return DeadZones(dinput::DIJOFS_Y); }
    void SetDeadZoneY(int32_t v) { SetDeadZones(dinput::DIJOFS_Y, v); }
    int32_t DeadZoneZ() const { return DeadZones(dinput::DIJOFS_Z); }
    void SetDeadZoneZ(int32_t v) { SetDeadZones(dinput::DIJOFS_Z, v); }

    // The state of the last poll and the controller found by the last SetupDevice.
    const dinput::DIJOYSTATE& State() const { return FState; }
    const dinput::GUID& InstanceGuid() const { return FInstanceGuid; }
    const std::string& ProductName() const { return FProductName; } // Windows-1252

private:
    // Only the input component makes joysticks (the first, and one per further attached
    // device): it alone destroys them again, so none can outlive it.
    friend class TArvexInput;
    // Joins the owner's Joysticks list; leaves it when destroyed.
    explicit TJoystick(TArvexInput* owner);

    static dinput::BOOL EnumCallback(const dinput::DIDEVICEINSTANCE* instance, void* ref);
    void SendAutocenter();
    void SendRange(int offset);
    void SendDeadZone(int offset);

    bool FAutocenter = true;
    dinput::DIJOYSTATE FState;
    int32_t FButtonCount = 0;
    int32_t FAxesCount = 0;
    int32_t FDeviceIndex = 0;
    dinput::GUID FInstanceGuid;
    std::string FProductName;
    bool FFound = false;
    int32_t FEnumCounter = 0;
    std::array<int32_t, OffsetCount> FRanges;
    std::array<int32_t, OffsetCount> FDeadZones;
};

// ---- The component --------------------------------------------------------------------------

class TArvexInput : public rtl::TComponent, public TArvexDeviceClient, public rtl::TStreamable {
public:
    // Raises "ArvexInput: No Form present!" when no owner up the chain is a form.
    explicit TArvexInput(rtl::TComponent* owner);
    ~TArvexInput() override;

    rtl::TNotifyEvent OnKeyboard;
    rtl::TNotifyEvent OnMouse;
    rtl::TNotifyEvent OnJoystick;

    win::TForm* FormWindow() const { return FFormWindow; }
    // True from the creation of the DirectInput object in Initialize until Finalize. Stays false
    // when DirectInput cannot start; every device then stays uninitialized and reads nothing.
    bool Initialized() const { return FInitialized; }

    TKeyboard* Keyboard() const { return FKeyboard.get(); }
    TMouse* Mouse() const { return FMouse.get(); }
    TJoystick* Joystick() const { return FJoystick.get(); }
    // Joystick first, then the extra ones Initialize made.
    const std::vector<TJoystick*>& Joysticks() const { return FJoysticks; }
    dinput::IDirectInput8* DirectInput() const { return FDirectInput.get(); }

    void Initialize();
    void Finalize();
    // Polls every device and fires the events of those with bits down. Once per frame tick.
    void Update();

    // The stored properties of the devices, as a form stream names them: "Keyboard.Enabled",
    // "Keyboard.Assigns" (or "Keyboard.Assigns2"; 128 bytes), "Joystick.DeadZoneX", ... The
    // events are bound by whoever loads the form.
    void ReadProperty(const std::string& name, rtl::TReader& reader) override;

    TDeviceClientKind DeviceClientKind() const override { return TDeviceClientKind::dcInput; }
    void DeviceReady() override { Initialize(); }
    void DeviceLost() override {}

private:
    friend class TJoystick;

    void WindowHook(win::TMessage& message, const win::TWndMethod& oldWndProc);
    void AcquireAll();

    win::TForm* FFormWindow = nullptr;
    bool FInitialized = false;
    std::unique_ptr<dinput::IDirectInput8> FDirectInput;
    std::vector<TJoystick*> FJoysticks;
    std::unique_ptr<TKeyboard> FKeyboard;
    std::unique_ptr<TMouse> FMouse;
    std::unique_ptr<TJoystick> FJoystick;
    std::vector<std::unique_ptr<TJoystick>> FExtraJoysticks;
    std::unique_ptr<TWndProcControlClass> FHook;
};
