// A DirectInput-8-shaped input layer over SDL2: the system keyboard, the system mouse and the
// attached game controllers, read by polling, with cooperative levels and acquisition.
//
// Stands in for: the DirectInput 8 library loaded at run time, its DirectInput object and its
// device objects, as far as the engine's input component uses them. Plain C++ objects, not
// COM: the caller owns what it creates (a unique_ptr stands in for the reference), and
// dropping it is Release. Constants and HRESULTs have DirectInput's values.
//
// Relies on:
// - an SDL event watch: the keyboard's 256-byte DIK_ table, the mouse's motion, wheel and
//   buttons and the windows' focus are taken from SDL's events as SDL queues them, so events
//   pushed with SDL_PushEvent drive the devices exactly like real ones. At creation the key
//   and button state is seeded from SDL's own record of the hardware.
// - SDL joysticks for game controllers (the virtual-joystick API makes them testable) and SDL
//   haptics for auto-centre;
// - win::TForm windows for cooperative levels: a foreground device belongs to a form's SDL
//   window and is unacquired when that window loses the input focus.
//
// Known limits:
// - Only the three predefined data formats (c_dfDIKeyboard, c_dfDIMouse, c_dfDIJoystick) on
//   their own kind of device; no buffered data, no event notification, no effects.
// - Properties: DIPROP_RANGE and DIPROP_DEADZONE on joystick axes, DIPROP_AUTOCENTER on
//   joysticks with SDL haptics. Saturation is fixed at 100 %.
// - Exclusive access is accepted but not arbitrated (there are no other DirectInput programs to
//   keep out); an exclusive mouse is not captured or hidden. Background devices still only
//   see what SDL delivers, which is input aimed at the program's own windows.
// - Key events for keys without a DIK_ code are ignored; keys held only through pushed events
//   are forgotten when a new DirectInput object is created (real keys are re-read from SDL).
// - A window's focus is what the last focus event seen by a DirectInput object said (it is
//   kept with the SDL window), or SDL's focus flag before any.
// - SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS is set: controllers are read whatever window
//   has the focus, and foreground devices are unacquired by this layer instead.
//
// Threads: created and called on the main thread; the watch is safe to run on any thread.
#pragma once

#include "platform/dinput/KeyCodes.h"
#include "platform/win/Messages.h"

#include <cstdint>
#include <memory>

namespace dinput {

using DWORD = uint32_t;
using LONG = int32_t;
using BYTE = uint8_t;
using HRESULT = int32_t;
using BOOL = int;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// ---- Results --------------------------------------------------------------------------------

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_NOEFFECT = 1; // S_FALSE: nothing to do (already acquired, ...)
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr HRESULT DIERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_NOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_UNPLUGGED = static_cast<HRESULT>(0x80040209u);

// ---- Identifiers ----------------------------------------------------------------------------

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
    friend bool operator==(const GUID&, const GUID&) = default;
};

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;
extern const GUID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;

constexpr size_t MAX_PATH = 260;

// ---- Enumeration ----------------------------------------------------------------------------

constexpr DWORD DI8DEVCLASS_ALL = 0;
constexpr DWORD DI8DEVCLASS_POINTER = 2;
constexpr DWORD DI8DEVCLASS_KEYBOARD = 3;
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;

constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;

constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

constexpr DWORD DI8DEVTYPE_MOUSE = 0x12;
constexpr DWORD DI8DEVTYPE_KEYBOARD = 0x13;
constexpr DWORD DI8DEVTYPE_JOYSTICK = 0x14;
constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;

struct DIDEVICEINSTANCE {
    DWORD dwSize = sizeof(DIDEVICEINSTANCE);
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType = 0;
    char tszInstanceName[MAX_PATH] = {}; // Windows-1252, NUL-terminated
    char tszProductName[MAX_PATH] = {};
};

using LPDIENUMDEVICESCALLBACK = BOOL (*)(const DIDEVICEINSTANCE* instance, void* ref);

// ---- Capabilities ---------------------------------------------------------------------------

constexpr DWORD DIDC_ATTACHED = 0x00000001;
constexpr DWORD DIDC_POLLEDDEVICE = 0x00000002;
constexpr DWORD DIDC_FORCEFEEDBACK = 0x00000100;

struct DIDEVCAPS {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwDevType = 0;
    DWORD dwAxes = 0;
    DWORD dwButtons = 0;
    DWORD dwPOVs = 0;
    DWORD dwFFSamplePeriod = 0;
    DWORD dwFFMinTimeResolution = 0;
    DWORD dwFirmwareRevision = 0;
    DWORD dwHardwareRevision = 0;
    DWORD dwFFDriverVersion = 0;
};
static_assert(sizeof(DIDEVCAPS) == 44);

// ---- Data formats and states ----------------------------------------------------------------

constexpr DWORD DIDF_ABSAXIS = 0x1;
constexpr DWORD DIDF_RELAXIS = 0x2;

// The layout a device's state is read in. Only the three predefined formats below exist.
struct DIDATAFORMAT {
    DWORD dwFlags = 0;
    DWORD dwDataSize = 0;
};

extern const DIDATAFORMAT c_dfDIKeyboard; // 256 bytes, one per DIK_ code, 0x80 = down
extern const DIDATAFORMAT c_dfDIMouse;    // DIMOUSESTATE, relative axes
extern const DIDATAFORMAT c_dfDIJoystick; // DIJOYSTATE, absolute axes

struct DIMOUSESTATE {
    LONG lX = 0; // movement since the previous read, in pixels
    LONG lY = 0;
    LONG lZ = 0;             // wheel, 120 per notch, positive away from the user
    BYTE rgbButtons[4] = {}; // left, right, middle, first extra; 0x80 = down
};
static_assert(sizeof(DIMOUSESTATE) == 16);

struct DIJOYSTATE {
    LONG lX = 0;
    LONG lY = 0;
    LONG lZ = 0;
    LONG lRx = 0;
    LONG lRy = 0;
    LONG lRz = 0;
    LONG rglSlider[2] = {};
    DWORD rgdwPOV[4] = {};    // hundredths of a degree clockwise from north; 0xFFFFFFFF centred
    BYTE rgbButtons[32] = {}; // 0x80 = down
};
static_assert(sizeof(DIJOYSTATE) == 80);

// Byte offsets of the objects in c_dfDIJoystick.
constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_POV(int n) {
    return 32 + 4 * static_cast<DWORD>(n);
}
constexpr DWORD DIJOFS_BUTTON(int n) {
    return 48 + static_cast<DWORD>(n);
}

// ---- Cooperative levels ---------------------------------------------------------------------

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;
constexpr DWORD DISCL_NOWINKEY = 0x10;

// ---- Properties -----------------------------------------------------------------------------

// DirectInput names its properties by small integers disguised as GUID pointers.
using DIPROP = uintptr_t;
constexpr DIPROP DIPROP_RANGE = 4;
constexpr DIPROP DIPROP_DEADZONE = 5;
constexpr DIPROP DIPROP_SATURATION = 6;
constexpr DIPROP DIPROP_AUTOCENTER = 9;

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

constexpr DWORD DIPROPAUTOCENTER_OFF = 0;
constexpr DWORD DIPROPAUTOCENTER_ON = 1;

struct DIPROPHEADER {
    DWORD dwSize = 0;
    DWORD dwHeaderSize = 0;
    DWORD dwObj = 0;
    DWORD dwHow = 0;
};
static_assert(sizeof(DIPROPHEADER) == 16);

struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData = 0;
};
static_assert(sizeof(DIPROPDWORD) == 20);

struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin = 0;
    LONG lMax = 0;
};
static_assert(sizeof(DIPROPRANGE) == 24);

// ---- Objects --------------------------------------------------------------------------------

class IDirectInputDevice8 {
public:
    IDirectInputDevice8() = default;
    IDirectInputDevice8(const IDirectInputDevice8&) = delete;
    IDirectInputDevice8& operator=(const IDirectInputDevice8&) = delete;
    // Unacquires first.
    virtual ~IDirectInputDevice8() = default;

    // dwSize must be 44.
    virtual HRESULT GetCapabilities(DIDEVCAPS* caps) = 0;
    // Only while not acquired; only the device's own predefined format.
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    // Exactly one of EXCLUSIVE/NONEXCLUSIVE and one of FOREGROUND/BACKGROUND. A foreground
    // level needs a form; the keyboard refuses EXCLUSIVE | BACKGROUND (DIERR_UNSUPPORTED).
    virtual HRESULT SetCooperativeLevel(win::HWND window, DWORD flags) = 0;
    // DIPROP_RANGE / DIPROP_DEADZONE per axis offset or for the whole device; DIPROP_AUTOCENTER
    // for the whole device. Offsets that are not axes of this device: DIERR_NOTFOUND.
    virtual HRESULT SetProperty(DIPROP property, const DIPROPHEADER* header) = 0;
    // Needs a data format. A foreground device needs its window to have the input focus
    // (DIERR_OTHERAPPHASPRIO otherwise); an unplugged controller gives DIERR_UNPLUGGED.
    // DI_NOEFFECT when already acquired.
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    // Brings a controller's state up to date. DIERR_INPUTLOST once after acquisition was lost
    // (focus went away, the controller was unplugged), then DIERR_NOTACQUIRED until acquired.
    virtual HRESULT Poll() = 0;
    // size must be the format's size. Fails like Poll when not acquired.
    virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
};

class IDirectInput8 {
public:
    IDirectInput8() = default;
    IDirectInput8(const IDirectInput8&) = delete;
    IDirectInput8& operator=(const IDirectInput8&) = delete;
    virtual ~IDirectInput8() = default;

    // GUID_SysKeyboard, GUID_SysMouse, or the guidInstance of an enumerated controller
    // (DIERR_DEVICENOTREG once it is gone).
    virtual HRESULT CreateDevice(const GUID& guid,
                                 std::unique_ptr<IDirectInputDevice8>& device) = 0;
    // Mouse, keyboard, then the attached controllers in the order they were attached. The
    // callback returns DIENUM_CONTINUE or DIENUM_STOP.
    virtual HRESULT EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACK callback, void* ref,
                                DWORD flags) = 0;
};

// Starts SDL's event and joystick subsystems (and haptics where they work) and makes the
// DirectInput object. version must be DIRECTINPUT_VERSION and iid IID_IDirectInput8A.
// DIERR_GENERIC, with no object, when SDL's input cannot start.
HRESULT DirectInput8Create(DWORD version, const GUID& iid,
                           std::unique_ptr<IDirectInput8>& directInput);

// For tests: makes DirectInput8Create fail the way it does when SDL's input cannot start.
void SimulateStartFailure(bool fail);

} // namespace dinput
