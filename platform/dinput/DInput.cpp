#include "platform/dinput/DInput.h"

#include "platform/dinput/DInputDevice.h"
#include "platform/win/Forms.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cstring>

namespace dinput {

const GUID IID_IDirectInput8A = {
    0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysKeyboard = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {0, 256};
const DIDATAFORMAT c_dfDIMouse = {DIDF_RELAXIS, sizeof(DIMOUSESTATE)};
const DIDATAFORMAT c_dfDIJoystick = {DIDF_ABSAXIS, sizeof(DIJOYSTATE)};

namespace {

bool gSimulateStartFailure = false;

// SDL window data under this name records the last focus event each window had. It lives and
// dies with the window, so a DirectInput object made later (after a device reset) still knows.
constexpr const char* kFocusKey = "dinput.focus";
char gFocused = 1;
char gUnfocused = 0;

// The SDL window behind a cooperative-level window handle, if it is a form that has one.
SDL_Window* SdlWindowOf(win::HWND window) {
    if (!win::IsWindow(window))
        return nullptr;
    auto* form = dynamic_cast<win::TForm*>(window);
    return form ? static_cast<SDL_Window*>(form->NativeWindow()) : nullptr;
}

constexpr LONG kWheelDelta = 120;

} // namespace

namespace detail {

// ---- Context --------------------------------------------------------------------------------

Context::Context(bool haptics) : Haptics(haptics) {
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int i = 0; i < std::min<int>(count, SDL_NUM_SCANCODES); ++i)
        Keys[static_cast<size_t>(i)] = keys[i] != 0;
    MouseButtons = SDL_GetMouseState(nullptr, nullptr);
    SDL_AddEventWatch(&Context::Watch, this);
}

Context::~Context() {
    SDL_DelEventWatch(&Context::Watch, this);
    if (Haptics)
        SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS);
}

int Context::Watch(void* context, SDL_Event* event) {
    static_cast<Context*>(context)->Observe(*event);
    return 0;
}

void Context::Observe(const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int scancode = e.key.keysym.scancode;
        if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES)
            return;
        std::lock_guard<std::mutex> guard(Lock);
        Keys[static_cast<size_t>(scancode)] = e.type == SDL_KEYDOWN;
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button < 1 || e.button.button > 32)
            return;
        std::lock_guard<std::mutex> guard(Lock);
        if (e.type == SDL_MOUSEBUTTONDOWN)
            MouseButtons |= SDL_BUTTON(e.button.button);
        else
            MouseButtons &= ~SDL_BUTTON(e.button.button);
        return;
    }
    case SDL_MOUSEMOTION:
    case SDL_MOUSEWHEEL: {
        std::lock_guard<std::mutex> guard(Lock);
        for (Device* device : Devices)
            device->ObserveIfAcquired(e);
        return;
    }
    case SDL_WINDOWEVENT: {
        const bool gained = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        if (!gained && e.window.event != SDL_WINDOWEVENT_FOCUS_LOST)
            return;
        if (SDL_Window* window = SDL_GetWindowFromID(e.window.windowID))
            SDL_SetWindowData(window, kFocusKey, gained ? &gFocused : &gUnfocused);
        if (!gained) {
            std::lock_guard<std::mutex> guard(Lock);
            for (Device* device : Devices)
                device->WindowLostFocus(e.window.windowID);
        }
        return;
    }
    default:
        return;
    }
}

void Context::FillKeyTable(BYTE table[256]) const {
    std::memset(table, 0, 256);
    for (size_t scancode = 0; scancode < Keys.size(); ++scancode) {
        if (!Keys[scancode])
            continue;
        if (const uint8_t dik = DikFromScancode(static_cast<int>(scancode)))
            table[dik] = 0x80;
    }
}

bool Context::HasFocus(SDL_Window* window) {
    if (!window)
        return false;
    if (const void* data = SDL_GetWindowData(window, kFocusKey))
        return data == &gFocused;
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

// ---- Device ---------------------------------------------------------------------------------

Device::Device(std::shared_ptr<Context> context, const DIDATAFORMAT& format)
    : FContext(std::move(context)), FFormat(format) {
    std::lock_guard<std::mutex> guard(FContext->Lock);
    FContext->Devices.push_back(this);
}

Device::~Device() {
    std::lock_guard<std::mutex> guard(FContext->Lock);
    std::erase(FContext->Devices, this);
}

HRESULT Device::GetCapabilities(DIDEVCAPS* caps) {
    if (!caps)
        return E_POINTER;
    if (caps->dwSize != sizeof(DIDEVCAPS))
        return DIERR_INVALIDPARAM;
    *caps = DIDEVCAPS{};
    caps->dwSize = sizeof(DIDEVCAPS);
    FillCaps(*caps);
    return DI_OK;
}

HRESULT Device::SetDataFormat(const DIDATAFORMAT* format) {
    if (!format)
        return E_POINTER;
    {
        std::lock_guard<std::mutex> guard(FContext->Lock);
        if (FAcquired)
            return DIERR_ACQUIRED;
    }
    // Formats are told apart by identity, the way the predefined ones are always passed.
    if (format != &FFormat)
        return DIERR_INVALIDPARAM;
    FFormatSet = true;
    return DI_OK;
}

HRESULT Device::SetCooperativeLevel(win::HWND window, DWORD flags) {
    constexpr DWORD kKnown =
        DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    const DWORD access = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD presence = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if ((flags & ~kKnown) != 0 || access == 0 || access == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) ||
        presence == 0 || presence == (DISCL_FOREGROUND | DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> guard(FContext->Lock);
        if (FAcquired)
            return DIERR_ACQUIRED;
    }
    // Only a shared background device may go without a top-level window.
    const bool needsForm = flags != (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) &&
                           flags != (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND | DISCL_NOWINKEY);
    if ((window || needsForm) && (!win::IsWindow(window) || !dynamic_cast<win::TForm*>(window)))
        return E_HANDLE;
    if (const HRESULT hr = CheckCooperation(flags); FAILED(hr))
        return hr;
    FCooperation = flags;
    FWindow = window;
    return DI_OK;
}

HRESULT Device::SetProperty(DIPROP, const DIPROPHEADER* header) {
    return header ? DIERR_UNSUPPORTED : E_POINTER;
}

HRESULT Device::Acquire() {
    if (!FFormatSet)
        return DIERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> guard(FContext->Lock);
        if (FAcquired)
            return DI_NOEFFECT;
    }
    if (!Present())
        return DIERR_UNPLUGGED;
    uint32_t focusWindowID = 0;
    if (FCooperation & DISCL_FOREGROUND) {
        SDL_Window* window = SdlWindowOf(FWindow);
        if (!Context::HasFocus(window))
            return DIERR_OTHERAPPHASPRIO;
        focusWindowID = SDL_GetWindowID(window);
    }
    std::lock_guard<std::mutex> guard(FContext->Lock);
    FAcquired = true;
    FLost = false;
    FFocusWindowID = focusWindowID;
    OnAcquired();
    return DI_OK;
}

HRESULT Device::Unacquire() {
    std::lock_guard<std::mutex> guard(FContext->Lock);
    FLost = false;
    if (!FAcquired)
        return DI_NOEFFECT;
    FAcquired = false;
    return DI_OK;
}

HRESULT Device::CheckAcquired() {
    const bool present = Present();
    std::lock_guard<std::mutex> guard(FContext->Lock);
    if (FAcquired && !present)
        LoseAcquisition();
    if (FAcquired)
        return DI_OK;
    if (FLost) {
        FLost = false;
        return DIERR_INPUTLOST;
    }
    return DIERR_NOTACQUIRED;
}

void Device::LoseAcquisition() {
    FAcquired = false;
    FLost = true;
}

HRESULT Device::Poll() {
    if (const HRESULT hr = CheckAcquired(); FAILED(hr))
        return hr;
    const HRESULT refreshed = Refresh();
    if (const HRESULT hr = CheckAcquired(); FAILED(hr))
        return hr;
    return refreshed;
}

HRESULT Device::GetDeviceState(DWORD size, void* data) {
    if (!data)
        return E_POINTER;
    if (const HRESULT hr = CheckAcquired(); FAILED(hr))
        return hr;
    if (size != FFormat.dwDataSize)
        return DIERR_INVALIDPARAM;
    ReadState(data);
    return DI_OK;
}

void Device::WindowLostFocus(uint32_t windowID) {
    if (FAcquired && (FCooperation & DISCL_FOREGROUND) && FFocusWindowID == windowID)
        LoseAcquisition();
}

void Device::ObserveIfAcquired(const SDL_Event& event) {
    if (FAcquired)
        OnInput(event);
}

} // namespace detail

namespace {

using detail::Context;
using detail::Device;

// ---- Keyboard and mouse ---------------------------------------------------------------------

class Keyboard : public Device {
public:
    explicit Keyboard(std::shared_ptr<Context> context)
        : Device(std::move(context), c_dfDIKeyboard) {}

protected:
    void FillCaps(DIDEVCAPS& caps) override {
        caps.dwFlags = DIDC_ATTACHED;
        caps.dwDevType = DI8DEVTYPE_KEYBOARD | (4u << 8); // enhanced 101/102-key keyboard
        caps.dwButtons = 128;
    }

    // The system keyboard cannot be taken from everyone else while the program is in the
    // background.
    HRESULT CheckCooperation(DWORD flags) override {
        return (flags & DISCL_EXCLUSIVE) && (flags & DISCL_BACKGROUND) ? DIERR_UNSUPPORTED : DI_OK;
    }

    void ReadState(void* data) override {
        std::lock_guard<std::mutex> guard(FContext->Lock);
        FContext->FillKeyTable(static_cast<BYTE*>(data));
    }
};

class Mouse : public Device {
public:
    explicit Mouse(std::shared_ptr<Context> context) : Device(std::move(context), c_dfDIMouse) {}

protected:
    void FillCaps(DIDEVCAPS& caps) override {
        caps.dwFlags = DIDC_ATTACHED;
        caps.dwDevType = DI8DEVTYPE_MOUSE | (1u << 8);
        caps.dwAxes = 3;
        caps.dwButtons = 4;
    }

    void OnAcquired() override { FMotionX = FMotionY = FWheel = 0; }

    void OnInput(const SDL_Event& e) override {
        if (e.type == SDL_MOUSEMOTION) {
            FMotionX += e.motion.xrel;
            FMotionY += e.motion.yrel;
        } else if (e.type == SDL_MOUSEWHEEL) {
            const LONG notches =
                e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            FWheel += notches * kWheelDelta;
        }
    }

    void ReadState(void* data) override {
        DIMOUSESTATE state;
        {
            std::lock_guard<std::mutex> guard(FContext->Lock);
            state.lX = FMotionX;
            state.lY = FMotionY;
            state.lZ = FWheel;
            FMotionX = FMotionY = FWheel = 0;
            // DirectInput's button order: left, right, middle, then the first extra button.
            constexpr int kSdlButtons[4] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE,
                                            SDL_BUTTON_X1};
            for (int i = 0; i < 4; ++i)
                state.rgbButtons[i] =
                    (FContext->MouseButtons & SDL_BUTTON(kSdlButtons[i])) ? 0x80 : 0;
        }
        std::memcpy(data, &state, sizeof(state));
    }

private:
    // Guarded by the context's Lock.
    LONG FMotionX = 0;
    LONG FMotionY = 0;
    LONG FWheel = 0;
};

// ---- The DirectInput object -----------------------------------------------------------------

DIDEVICEINSTANCE SystemInstance(const GUID& guid, DWORD devType, const char* name) {
    DIDEVICEINSTANCE instance;
    instance.guidInstance = guid;
    instance.guidProduct = guid;
    instance.dwDevType = devType;
    std::strncpy(instance.tszInstanceName, name, MAX_PATH - 1);
    std::strncpy(instance.tszProductName, name, MAX_PATH - 1);
    return instance;
}

class DirectInput : public IDirectInput8 {
public:
    explicit DirectInput(std::shared_ptr<Context> context) : FContext(std::move(context)) {}

    HRESULT CreateDevice(const GUID& guid, std::unique_ptr<IDirectInputDevice8>& device) override {
        device.reset();
        if (guid == GUID_SysKeyboard) {
            device = std::make_unique<Keyboard>(FContext);
            return DI_OK;
        }
        if (guid == GUID_SysMouse) {
            device = std::make_unique<Mouse>(FContext);
            return DI_OK;
        }
        HRESULT result = DIERR_DEVICENOTREG;
        device = detail::CreateJoystick(FContext, guid, result);
        return result;
    }

    HRESULT EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACK callback, void* ref,
                        DWORD flags) override {
        if (!callback || devClass > DI8DEVCLASS_GAMECTRL || (flags & ~DIEDFL_ATTACHEDONLY) != 0)
            return DIERR_INVALIDPARAM;
        const bool all = devClass == DI8DEVCLASS_ALL;
        if (all || devClass == DI8DEVCLASS_POINTER) {
            const DIDEVICEINSTANCE mouse =
                SystemInstance(GUID_SysMouse, DI8DEVTYPE_MOUSE | (1u << 8), "Mouse");
            if (callback(&mouse, ref) == DIENUM_STOP)
                return DI_OK;
        }
        if (all || devClass == DI8DEVCLASS_KEYBOARD) {
            const DIDEVICEINSTANCE keyboard =
                SystemInstance(GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD | (4u << 8), "Keyboard");
            if (callback(&keyboard, ref) == DIENUM_STOP)
                return DI_OK;
        }
        if (all || devClass == DI8DEVCLASS_GAMECTRL)
            detail::EnumJoysticks(callback, ref);
        return DI_OK;
    }

private:
    std::shared_ptr<Context> FContext;
};

} // namespace

HRESULT DirectInput8Create(DWORD version, const GUID& iid,
                           std::unique_ptr<IDirectInput8>& directInput) {
    directInput.reset();
    if (version > DIRECTINPUT_VERSION)
        return DIERR_BETADIRECTINPUTVERSION;
    if (version < DIRECTINPUT_VERSION)
        return DIERR_OLDDIRECTINPUTVERSION;
    if (!(iid == IID_IDirectInput8A))
        return E_NOINTERFACE;
    if (gSimulateStartFailure)
        return DIERR_GENERIC;
    // Controllers are read whatever window has the focus; foreground devices are unacquired
    // by this layer instead, as DirectInput does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_JOYSTICK) != 0)
        return DIERR_GENERIC;
    const bool haptics = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    directInput = std::make_unique<DirectInput>(std::make_shared<Context>(haptics));
    return DI_OK;
}

void SimulateStartFailure(bool fail) {
    gSimulateStartFailure = fail;
}

} // namespace dinput
