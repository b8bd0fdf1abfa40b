#include "engine/input/ArvexInput.h"

#include "platform/rtl/Exceptions.h"

#include <cassert>

using namespace dinput;

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
