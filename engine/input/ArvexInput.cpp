#include "engine/input/ArvexInput.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cassert>
#include <cstring>

using namespace dinput;

namespace {

// Keyboard defaults: arrows on bits 0..3, Space, left Ctrl and Return on 4..6, Escape and
// left Alt on 30 and 31.
constexpr std::array<uint32_t, TKeyboard::AssignCount> kDefaultAssigns = [] {
    std::array<uint32_t, TKeyboard::AssignCount> a{};
    a[0] = DIK_UP;
    a[1] = DIK_DOWN;
    a[2] = DIK_LEFT;
    a[3] = DIK_RIGHT;
    a[4] = DIK_SPACE;
    a[5] = DIK_LCONTROL;
    a[6] = DIK_RETURN;
    a[30] = DIK_ESCAPE;
    a[31] = DIK_LMENU;
    return a;
}();

constexpr uint8_t kDown = 0x80;

// Direction bits shared by mouse and joystick.
TButtonSet DirectionBits(LONG x, LONG y) {
    TButtonSet held;
    if (y < 0)
        held.Include(0);
    if (y > 0)
        held.Include(1);
    if (x < 0)
        held.Include(2);
    if (x > 0)
        held.Include(3);
    return held;
}

} // namespace

// ---- TWndProcControlClass -------------------------------------------------------------------

TWndProcControlClass::TWndProcControlClass(win::Window* control, TWndProcCallback callback,
                                           void* userValue)
    : FControl(control), FCallback(std::move(callback)), FUserValue(userValue),
      FOldWndProc(control->WindowProc) {
    assert(FCallback && "a window hook needs a callback");
    FControl->WindowProc = [this](win::TMessage& message) {
        FCallback(FUserValue, message, FOldWndProc);
    };
}

TWndProcControlClass::~TWndProcControlClass() {
    FControl->WindowProc = FOldWndProc;
}

// ---- TCustomInput ---------------------------------------------------------------------------

TCustomInput::TCustomInput(TArvexInput* owner) : FOwner(owner) {}

TCustomInput::~TCustomInput() {
    Release();
}

void TCustomInput::SetEnabled(bool value) {
    if (value) {
        FEnabled = true;
        if (!FInitialized && FOwner->Initialized()) {
            SetupDevice();
            Acquire();
        }
    } else {
        if (FInitialized)
            Release();
        FEnabled = false;
    }
}

void TCustomInput::SetForegroundOnly(bool value) {
    if (value == FForegroundOnly)
        return;
    FForegroundOnly = value;
    if (FInitialized) {
        SetupDevice();
        Acquire();
    }
}

void TCustomInput::SetExclusive(bool value) {
    if (value == FExclusive)
        return;
    FExclusive = value;
    if (FInitialized) {
        SetupDevice();
        Acquire();
    }
}

void TCustomInput::Acquire() {
    if (FDevice)
        FDevice->Acquire();
}

void TCustomInput::Release() {
    if (FDevice)
        FDevice->Unacquire();
    FDevice.reset();
    FInitialized = false;
}

DWORD TCustomInput::CooperativeLevel() const {
    return (FExclusive ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE) |
           (FForegroundOnly ? DISCL_FOREGROUND : DISCL_BACKGROUND);
}

win::HWND TCustomInput::Window() const {
    // The form as a window, without asking for its Handle(): that would create the window
    // and re-enter Initialize through WM_CREATE.
    return FOwner->FormWindow();
}

void TCustomInput::SetupSystemDevice(const GUID& guid, const DIDATAFORMAT& format) {
    Release();
    IDirectInput8* directInput = FOwner->DirectInput();
    if (!FEnabled || !directInput)
        return;
    std::unique_ptr<IDirectInputDevice8> device;
    if (FAILED(directInput->CreateDevice(guid, device)) || FAILED(device->SetDataFormat(&format)) ||
        FAILED(device->SetCooperativeLevel(Window(), CooperativeLevel())))
        return;
    FDevice = std::move(device);
    FInitialized = true;
}

bool TCustomInput::BeginPoll() {
    Held = TButtonSet{};
    JustPressed = TButtonSet{};
    return FInitialized && FDevice;
}

bool TCustomInput::ReadSucceeded(HRESULT result) {
    if (result == DIERR_INPUTLOST) {
        FDevice->Acquire();
        return false;
    }
    return SUCCEEDED(result);
}

void TCustomInput::EndPoll(TButtonSet held) {
    Held = held;
    JustPressed.Bits = held.Bits & ~FLatched.Bits;
    FLatched = held;
}

// ---- TKeyboard ------------------------------------------------------------------------------

TKeyboard::TKeyboard(TArvexInput* owner) : TCustomInput(owner), FAssigns(kDefaultAssigns) {
    FEnabled = true;
}

void TKeyboard::SetupDevice() {
    SetupSystemDevice(GUID_SysKeyboard, c_dfDIKeyboard);
}

void TKeyboard::Poll() {
    if (!BeginPoll())
        return;
    BYTE state[256] = {};
    if (!ReadSucceeded(FDevice->GetDeviceState(sizeof(state), state)))
        return;
    TButtonSet held;
    for (int bit = 0; bit < AssignCount; ++bit) {
        assert(FAssigns[bit] <= 255 && "SetAssigns keeps every key code inside the state");
        if (state[FAssigns[bit]] & kDown)
            held.Include(bit);
    }
    EndPoll(held);
}

uint32_t TKeyboard::Assigns(int bit) const {
    return bit >= 0 && bit < AssignCount ? FAssigns[static_cast<size_t>(bit)] : 0;
}

bool TKeyboard::SetAssigns(int bit, uint32_t key) {
    if (bit < 0 || bit >= AssignCount || key > 255)
        return false;
    FAssigns[static_cast<size_t>(bit)] = key;
    return true;
}

bool TKeyboard::ReadBinaryProperty(const std::string& name, rtl::TStream& stream) {
    if (!rtl::SameText(name, AssignsPropertyName) &&
        !rtl::SameText(name, LegacyAssignsPropertyName))
        return false;
    uint8_t bytes[AssignsPropertySize];
    stream.ReadBuffer(bytes, sizeof(bytes));
    for (int bit = 0; bit < AssignCount; ++bit) {
        const uint8_t* p = bytes + 4 * bit;
        SetAssigns(bit, static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                            static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    }
    return true;
}

void TKeyboard::WriteBinaryProperty(rtl::TStream& stream) const {
    uint8_t bytes[AssignsPropertySize];
    for (int bit = 0; bit < AssignCount; ++bit) {
        const uint32_t key = FAssigns[static_cast<size_t>(bit)];
        for (int i = 0; i < 4; ++i)
            bytes[4 * bit + i] = static_cast<uint8_t>(key >> (8 * i));
    }
    stream.WriteBuffer(bytes, sizeof(bytes));
}

// ---- TMouse ---------------------------------------------------------------------------------

TMouse::TMouse(TArvexInput* owner) : TCustomInput(owner) {}

void TMouse::SetupDevice() {
    SetupSystemDevice(GUID_SysMouse, c_dfDIMouse);
}

void TMouse::Poll() {
    if (!BeginPoll())
        return;
    FState = DIMOUSESTATE{};
    if (!ReadSucceeded(FDevice->GetDeviceState(sizeof(FState), &FState)))
        return;
    TButtonSet held = DirectionBits(FState.lX, FState.lY);
    for (int button = 0; button < 4; ++button) {
        if (FState.rgbButtons[button] & kDown)
            held.Include(4 + button);
    }
    EndPoll(held);
}

// ---- TJoystick ------------------------------------------------------------------------------

TJoystick::TJoystick(TArvexInput* owner) : TCustomInput(owner) {
    FRanges.fill(1000);
    FDeadZones.fill(20);
    FOwner->FJoysticks.push_back(this);
}

TJoystick::~TJoystick() {
    Release();
    std::erase(FOwner->FJoysticks, this);
}

void TJoystick::SetupDevice() {
    Release();
    IDirectInput8* directInput = FOwner->DirectInput();
    if (!directInput)
        return;
    FFound = false;
    FEnumCounter = 0;
    directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, &TJoystick::EnumCallback, this,
                             DIEDFL_ATTACHEDONLY);
    if (!FFound || !FEnabled)
        return;
    std::unique_ptr<IDirectInputDevice8> device;
    if (FAILED(directInput->CreateDevice(FInstanceGuid, device)))
        return;
    DIDEVCAPS caps;
    caps.dwSize = sizeof(DIDEVCAPS);
    if (FAILED(device->GetCapabilities(&caps)))
        return;
    FButtonCount = static_cast<int32_t>(caps.dwButtons);
    FAxesCount = static_cast<int32_t>(caps.dwAxes);
    if (FAILED(device->SetDataFormat(&c_dfDIJoystick)) ||
        FAILED(device->SetCooperativeLevel(Window(), CooperativeLevel())))
        return;
    FDevice = std::move(device);
    // Most offsets are not axes and DirectInput refuses them; sending all keeps the device in
    // step with every stored value whatever axes it has.
    SendAutocenter();
    for (int offset = 0; offset < OffsetCount; ++offset)
        SendRange(offset);
    for (int offset = 0; offset < OffsetCount; ++offset)
        SendDeadZone(offset);
    FInitialized = true;
}

BOOL TJoystick::EnumCallback(const DIDEVICEINSTANCE* instance, void* ref) {
    auto* self = static_cast<TJoystick*>(ref);
    if (self->FEnumCounter != self->FDeviceIndex) {
        ++self->FEnumCounter;
        return DIENUM_CONTINUE;
    }
    self->FInstanceGuid = instance->guidInstance;
    self->FProductName.assign(instance->tszProductName,
                              strnlen(instance->tszProductName, MAX_PATH));
    self->FFound = true;
    return DIENUM_STOP;
}

void TJoystick::Poll() {
    if (!BeginPoll())
        return;
    FState = DIJOYSTATE{};
    if (!ReadSucceeded(FDevice->Poll()))
        return;
    FDevice->GetDeviceState(sizeof(FState), &FState);
    TButtonSet held = DirectionBits(FState.lX, FState.lY);
    const int buttons = std::min(FButtonCount, ButtonBits);
    for (int button = 0; button < buttons; ++button) {
        if (FState.rgbButtons[button] & kDown)
            held.Include(4 + button);
    }
    EndPoll(held);
}

void TJoystick::SetAutocenter(bool value) {
    if (value == FAutocenter)
        return;
    FAutocenter = value;
    SendAutocenter();
}

void TJoystick::SetDeviceIndex(int32_t value) {
    if (value == FDeviceIndex)
        return;
    FDeviceIndex = value;
    if (FInitialized) {
        SetupDevice();
        // Set-up leaves the new device unacquired; without this it would read nothing until the
        // window happened to be activated again.
        Acquire();
    }
}

int32_t TJoystick::Ranges(int offset) const {
    return offset >= 0 && offset < OffsetCount ? FRanges[static_cast<size_t>(offset)] : 0;
}

void TJoystick::SetRanges(int offset, int32_t range) {
    if (offset < 0 || offset >= OffsetCount)
        return;
    FRanges[static_cast<size_t>(offset)] = std::max(range, 0);
    SendRange(offset);
}

int32_t TJoystick::DeadZones(int offset) const {
    return offset >= 0 && offset < OffsetCount ? FDeadZones[static_cast<size_t>(offset)] : 0;
}

void TJoystick::SetDeadZones(int offset, int32_t percent) {
    if (offset < 0 || offset >= OffsetCount)
        return;
    FDeadZones[static_cast<size_t>(offset)] = std::clamp(percent, 0, 100);
    SendDeadZone(offset);
}

void TJoystick::SendAutocenter() {
    if (!FDevice)
        return;
    DIPROPDWORD property;
    property.diph = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    property.dwData = FAutocenter ? DIPROPAUTOCENTER_ON : DIPROPAUTOCENTER_OFF;
    FDevice->SetProperty(DIPROP_AUTOCENTER, &property.diph);
}

void TJoystick::SendRange(int offset) {
    if (!FDevice)
        return;
    const int32_t range = FRanges[static_cast<size_t>(offset)];
    DIPROPRANGE property;
    property.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), static_cast<DWORD>(offset),
                     DIPH_BYOFFSET};
    property.lMin = -range;
    property.lMax = range;
    FDevice->SetProperty(DIPROP_RANGE, &property.diph);
}

void TJoystick::SendDeadZone(int offset) {
    if (!FDevice)
        return;
    DIPROPDWORD property;
    property.diph = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), static_cast<DWORD>(offset),
                     DIPH_BYOFFSET};
    // Percent here, hundredths of a percent for DirectInput.
    property.dwData = static_cast<DWORD>(FDeadZones[static_cast<size_t>(offset)]) * 100;
    FDevice->SetProperty(DIPROP_DEADZONE, &property.diph);
}

// ---- TArvexInput ----------------------------------------------------------------------------

namespace {

win::TForm* FindForm(rtl::TComponent* owner) {
    for (rtl::TComponent* c = owner; c; c = c->Owner()) {
        if (auto* form = dynamic_cast<win::TForm*>(c))
            return form;
    }
    return nullptr;
}

BOOL CountDevice(const DIDEVICEINSTANCE*, void* ref) {
    ++*static_cast<int*>(ref);
    return DIENUM_CONTINUE;
}

} // namespace

TArvexInput::TArvexInput(rtl::TComponent* owner) : rtl::TComponent(owner) {
    FFormWindow = FindForm(owner);
    if (!FFormWindow)
        throw rtl::Exception("ArvexInput: No Form present!");
    FKeyboard = std::make_unique<TKeyboard>(this);
    FMouse = std::make_unique<TMouse>(this);
    FJoystick = std::unique_ptr<TJoystick>(new TJoystick(this));
    FHook = std::make_unique<TWndProcControlClass>(
        FFormWindow,
        [](void* self, win::TMessage& message, const win::TWndMethod& oldWndProc) {
            static_cast<TArvexInput*>(self)->WindowHook(message, oldWndProc);
        },
        this);
}

TArvexInput::~TArvexInput() {
    Finalize();
    FKeyboard.reset();
    FMouse.reset();
    FJoystick.reset();
    while (!FExtraJoysticks.empty())
        FExtraJoysticks.pop_back();
    FHook.reset();
}

void TArvexInput::Initialize() {
    // The interface being replaced goes only once the new one is made: SDL then keeps its
    // controller support running rather than shutting it down and searching the system's
    // devices again for the same answer (a few milliseconds; every start makes the interface
    // twice, at the window and at the device).
    const std::unique_ptr<dinput::IDirectInput8> previous = std::move(FDirectInput);
    Finalize();
    DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, FDirectInput);
    FInitialized = FDirectInput != nullptr;
    FKeyboard->SetupDevice();
    FMouse->SetupDevice();

    int count = 0;
    if (FDirectInput)
        FDirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, &CountDevice, &count, DIEDFL_ATTACHEDONLY);
    for (int index = 1; index < count; ++index) {
        FExtraJoysticks.push_back(std::unique_ptr<TJoystick>(new TJoystick(this)));
        TJoystick* joystick = FExtraJoysticks.back().get();
        joystick->SetDeviceIndex(index);
        joystick->SetAutocenter(FJoystick->Autocenter());
        for (int offset = 0; offset < TJoystick::OffsetCount; ++offset)
            joystick->SetRanges(offset, FJoystick->Ranges(offset));
        for (int offset = 0; offset < TJoystick::OffsetCount; ++offset)
            joystick->SetDeadZones(offset, FJoystick->DeadZones(offset));
        joystick->SetForegroundOnly(FJoystick->ForegroundOnly());
        joystick->SetExclusive(FJoystick->Exclusive());
        joystick->SetEnabled(FJoystick->Enabled());
    }
    for (TJoystick* joystick : FJoysticks)
        joystick->SetupDevice();
    AcquireAll();
}

void TArvexInput::Finalize() {
    FInitialized = false;
    FKeyboard->Release();
    FMouse->Release();
    for (TJoystick* joystick : FJoysticks)
        joystick->Release();
    while (!FExtraJoysticks.empty())
        FExtraJoysticks.pop_back();
    assert(FJoysticks.size() == 1 && FJoysticks.front() == FJoystick.get() &&
           "only the first joystick outlives Finalize");
    FDirectInput.reset();
}

void TArvexInput::Update() {
    FKeyboard->Poll();
    FMouse->Poll();
    for (TJoystick* joystick : FJoysticks)
        joystick->Poll();
    if (OnKeyboard && (!FKeyboard->Held.Empty() || !FKeyboard->JustPressed.Empty()))
        OnKeyboard(this);
    if (OnMouse && (!FMouse->Held.Empty() || !FMouse->JustPressed.Empty()))
        OnMouse(this);
    if (OnJoystick && (!FJoystick->Held.Empty() || !FJoystick->JustPressed.Empty()))
        OnJoystick(this);
}

void TArvexInput::AcquireAll() {
    FKeyboard->Acquire();
    FMouse->Acquire();
    for (TJoystick* joystick : FJoysticks)
        joystick->Acquire();
}

void TArvexInput::WindowHook(win::TMessage& message, const win::TWndMethod& oldWndProc) {
    if (oldWndProc)
        oldWndProc(message);
    switch (message.Msg) {
    case win::WM_CREATE:
        Initialize();
        break;
    case win::WM_ACTIVATE:
        if (win::LOWORD(message.WParam) != win::WA_INACTIVE)
            AcquireAll();
        break;
    case win::WM_ACTIVATEAPP:
        if (message.WParam != 0)
            AcquireAll();
        break;
    default:
        break;
    }
}

void TArvexInput::ReadProperty(const std::string& name, rtl::TReader& reader) {
    struct IntegerProperty {
        const char* Name;
        void (TJoystick::*Set)(int32_t);
    };
    static constexpr IntegerProperty kJoystickIntegers[] = {
        {"RangeX", &TJoystick::SetRangeX},       {"RangeY", &TJoystick::SetRangeY},
        {"RangeZ", &TJoystick::SetRangeZ},       {"DeadZoneX", &TJoystick::SetDeadZoneX},
        {"DeadZoneY", &TJoystick::SetDeadZoneY}, {"DeadZoneZ", &TJoystick::SetDeadZoneZ},
    };

    const size_t dot = name.find('.');
    const std::string device = name.substr(0, dot);
    const std::string property = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    TCustomInput* input = nullptr;
    if (device == "Keyboard")
        input = FKeyboard.get();
    else if (device == "Mouse")
        input = FMouse.get();
    else if (device == "Joystick")
        input = FJoystick.get();
    if (!input)
        rtl::RaiseReadError("unknown property " + name);

    if (property == "Enabled")
        return input->SetEnabled(reader.ReadBoolean());
    if (property == "ForegroundOnly")
        return input->SetForegroundOnly(reader.ReadBoolean());
    if (property == "Exclusive")
        return input->SetExclusive(reader.ReadBoolean());
    if (input == FKeyboard.get() && (property == TKeyboard::AssignsPropertyName ||
                                     property == TKeyboard::LegacyAssignsPropertyName)) {
        const std::vector<uint8_t> bytes = reader.ReadBinary();
        if (bytes.size() != TKeyboard::AssignsPropertySize)
            rtl::RaiseReadError(name + " holds " + std::to_string(bytes.size()) +
                                " bytes instead of 128");
        rtl::TMemoryStream value;
        value.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        value.SetPosition(0);
        FKeyboard->ReadBinaryProperty(property, value);
        return;
    }
    if (input == FJoystick.get()) {
        if (property == "Autocenter")
            return FJoystick->SetAutocenter(reader.ReadBoolean());
        for (const IntegerProperty& integer : kJoystickIntegers) {
            if (property == integer.Name)
                return (FJoystick.get()->*integer.Set)(reader.ReadInteger());
        }
    }
    rtl::RaiseReadError("unknown property " + name);
}
