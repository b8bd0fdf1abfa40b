#include "platform/dinput/DInput.h"
#include "platform/rtl/Component.h"
#include "tests/support/Headless.h"
#include "tests/support/InputEvents.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace dinput;
using namespace testing_support;

namespace {

class DInputTest : public ::testing::Test {
protected:
    DInputTest() {
        EXPECT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, DI), DI_OK);
        Form = rtl::Create<win::TForm>(&H.App);
        WindowId = WindowIdOf(*Form);
    }

    std::unique_ptr<IDirectInputDevice8> Make(const GUID& guid, const DIDATAFORMAT& format,
                                              DWORD level, win::HWND window) {
        std::unique_ptr<IDirectInputDevice8> device;
        EXPECT_EQ(DI->CreateDevice(guid, device), DI_OK);
        EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(window, level), DI_OK);
        return device;
    }

    std::unique_ptr<IDirectInputDevice8> BackgroundKeyboard() {
        auto device =
            Make(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, Form);
        EXPECT_EQ(device->Acquire(), DI_OK);
        return device;
    }

    std::vector<BYTE> Keys(IDirectInputDevice8& keyboard) {
        std::vector<BYTE> state(256, 0xEE);
        EXPECT_EQ(keyboard.GetDeviceState(256, state.data()), DI_OK);
        return state;
    }

    HeadlessApp H;
    std::unique_ptr<IDirectInput8> DI;
    win::TForm* Form = nullptr;
    uint32_t WindowId = 0;
};

struct Found {
    std::vector<DIDEVICEINSTANCE> Devices;
    size_t StopAfter = 1000;
};

BOOL Collect(const DIDEVICEINSTANCE* instance, void* ref) {
    auto* found = static_cast<Found*>(ref);
    found->Devices.push_back(*instance);
    return found->Devices.size() >= found->StopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
}

std::vector<DIDEVICEINSTANCE> Enumerate(IDirectInput8& di, DWORD devClass,
                                        size_t stopAfter = 1000) {
    Found found;
    found.StopAfter = stopAfter;
    EXPECT_EQ(di.EnumDevices(devClass, &Collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
    return found.Devices;
}

HRESULT SetRange(IDirectInputDevice8& device, DWORD how, DWORD obj, LONG min, LONG max) {
    DIPROPRANGE range;
    range.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), obj, how};
    range.lMin = min;
    range.lMax = max;
    return device.SetProperty(DIPROP_RANGE, &range.diph);
}

HRESULT SetDword(IDirectInputDevice8& device, DIPROP property, DWORD how, DWORD obj, DWORD value) {
    DIPROPDWORD dword;
    dword.diph = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), obj, how};
    dword.dwData = value;
    return device.SetProperty(property, &dword.diph);
}

} // namespace

TEST_F(DInputTest, CreationChecksVersionAndInterfaceAndFailsWhenInputCannotStart) {
    std::unique_ptr<IDirectInput8> other;
    EXPECT_EQ(DirectInput8Create(0x0700, IID_IDirectInput8A, other), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(0x0900, IID_IDirectInput8A, other), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, GUID_SysMouse, other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    SimulateStartFailure(true);
    EXPECT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, other), DIERR_GENERIC);
    SimulateStartFailure(false);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, other), DI_OK);
    EXPECT_NE(other, nullptr);
}

TEST_F(DInputTest, KeyboardStateFollowsPushedKeyEvents) {
    auto keyboard = BackgroundKeyboard();
    PushKey(SDL_SCANCODE_UP, true);
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_KP_ENTER, true);
    PushKey(SDL_SCANCODE_A, false);
    std::vector<BYTE> state = Keys(*keyboard);
    for (int code = 0; code < 256; ++code) {
        const bool down = code == DIK_UP || code == DIK_NUMPADENTER;
        EXPECT_EQ(state[code], down ? 0x80 : 0) << "DIK code " << code;
    }
    PushKey(SDL_SCANCODE_UP, false);
    PushKey(SDL_SCANCODE_KP_ENTER, false);
    EXPECT_EQ(Keys(*keyboard), std::vector<BYTE>(256, 0));

    BYTE small[16];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(small), small), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, KeysSharingAPositionShareACodeAndNoOthers) {
    std::map<int, std::vector<int>> byCode;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        if (const int code = DikFromScancode(scancode))
            byCode[code].push_back(scancode);
    }
    const std::set<int> shared = {DIK_BACKSLASH, DIK_SYSRQ, DIK_MUTE, DIK_WEBHOME};
    for (const auto& [code, scancodes] : byCode)
        EXPECT_EQ(scancodes.size() > 1, shared.count(code) == 1) << "DIK code " << code;
    EXPECT_GE(byCode.size(), 130u);

    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_ESCAPE), DIK_ESCAPE);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_U), DIK_U);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_RCTRL), 0x9D);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_LALT), DIK_LMENU);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_F20), 0);
    EXPECT_EQ(DikFromScancode(-1), 0);
    EXPECT_EQ(DikFromScancode(SDL_NUM_SCANCODES), 0);
}

TEST_F(DInputTest, KeysDownBeforeCreationAreKnownOnlyThroughSdl) {
    // A pushed key never reaches SDL's own keyboard record, so a new object starts without it.
    PushKey(SDL_SCANCODE_SPACE, true);
    std::unique_ptr<IDirectInput8> later;
    ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, later), DI_OK);
    std::unique_ptr<IDirectInputDevice8> keyboard;
    ASSERT_EQ(later->CreateDevice(GUID_SysKeyboard, keyboard), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(Keys(*keyboard)[DIK_SPACE], 0);
}

TEST_F(DInputTest, ForegroundDeviceFollowsTheWindowsFocus) {
    auto keyboard =
        Make(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, Form);
    auto background = BackgroundKeyboard();
    BYTE state[256];
    EXPECT_EQ(keyboard->GetDeviceState(256, state), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO) << "the window has no focus yet";

    PushFocus(WindowId, true);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
    PushKey(SDL_SCANCODE_LEFT, true);
    EXPECT_EQ(Keys(*keyboard)[DIK_LEFT], 0x80);

    PushFocus(WindowId, false);
    EXPECT_EQ(keyboard->GetDeviceState(256, state), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(keyboard->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->GetDeviceState(256, state), DIERR_NOTACQUIRED);
    EXPECT_EQ(Keys(*background)[DIK_LEFT], 0x80) << "background devices keep reading";

    PushFocus(WindowId, true);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(Keys(*keyboard)[DIK_LEFT], 0x80);

    // Another window's focus changes do not concern this device.
    PushFocus(WindowId + 1000, false);
    EXPECT_EQ(keyboard->Poll(), DI_NOEFFECT);
}

TEST_F(DInputTest, FocusIsRememberedByTheWindowForLaterObjects) {
    PushFocus(WindowId, true);
    DI.reset();
    ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, IID_IDirectInput8A, DI), DI_OK);
    auto keyboard =
        Make(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, Form);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
}

TEST_F(DInputTest, CooperativeLevelsAndFormatsAreValidated) {
    std::unique_ptr<IDirectInputDevice8> keyboard;
    ASSERT_EQ(DI->CreateDevice(GUID_SysKeyboard, keyboard), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);

    EXPECT_EQ(keyboard->SetCooperativeLevel(Form, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(Form, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND |
                                                      DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(Form, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE |
                                                      DISCL_FOREGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              E_HANDLE);
    win::HWND messageWindow = win::AllocateHWnd([](win::TMessage&) {});
    EXPECT_EQ(keyboard->SetCooperativeLevel(messageWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              E_HANDLE);
    win::DeallocateHWnd(messageWindow);
    EXPECT_EQ(keyboard->SetCooperativeLevel(Form, DISCL_EXCLUSIVE | DISCL_BACKGROUND),
              DIERR_UNSUPPORTED);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);

    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->SetCooperativeLevel(Form, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);

    std::unique_ptr<IDirectInputDevice8> mouse;
    ASSERT_EQ(DI->CreateDevice(GUID_SysMouse, mouse), DI_OK);
    EXPECT_EQ(mouse->SetCooperativeLevel(Form, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_EQ(SetRange(*mouse, DIPH_DEVICE, 0, -10, 10), DIERR_UNSUPPORTED);

    std::unique_ptr<IDirectInputDevice8> unknown;
    EXPECT_EQ(DI->CreateDevice(IID_IDirectInput8A, unknown), DIERR_DEVICENOTREG);
    EXPECT_EQ(unknown, nullptr);
}

TEST_F(DInputTest, MouseAccumulatesMotionAndWheelBetweenReadsWhileAcquired) {
    auto mouse = Make(GUID_SysMouse, c_dfDIMouse, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, Form);
    PushMouseMotion(50, 50); // before acquisition: not counted
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    PushMouseMotion(3, -2);
    PushMouseMotion(4, 1);
    PushMouseWheel(1);
    PushMouseWheel(-3);
    PushMouseButton(SDL_BUTTON_RIGHT, true);
    PushMouseButton(SDL_BUTTON_X1, true);

    DIMOUSESTATE state;
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 7);
    EXPECT_EQ(state.lY, -1);
    EXPECT_EQ(state.lZ, -240);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    EXPECT_EQ(state.rgbButtons[2], 0);
    EXPECT_EQ(state.rgbButtons[3], 0x80);

    PushMouseButton(SDL_BUTTON_RIGHT, false);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[3], 0x80);
}

TEST_F(DInputTest, EnumerationListsSystemDevicesThenControllersInAttachOrder) {
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "a real game controller is attached";
    EXPECT_TRUE(Enumerate(*DI, DI8DEVCLASS_GAMECTRL).empty());
    VirtualJoystick a(2, 4, 0), b(3, 8, 1), c(2, 2, 0);
    std::vector<DIDEVICEINSTANCE> all = Enumerate(*DI, DI8DEVCLASS_ALL);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].guidInstance, GUID_SysMouse);
    EXPECT_EQ(all[1].guidInstance, GUID_SysKeyboard);
    EXPECT_EQ(Enumerate(*DI, DI8DEVCLASS_KEYBOARD).size(), 1u);
    EXPECT_EQ(Enumerate(*DI, DI8DEVCLASS_ALL, 2).size(), 2u) << "DIENUM_STOP ends the walk";

    std::vector<DIDEVICEINSTANCE> pads = Enumerate(*DI, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(pads.size(), 3u);
    EXPECT_GT(std::string(pads[0].tszProductName).size(), 0u);
    EXPECT_EQ(pads[0].dwDevType & 0xFF, DI8DEVTYPE_GAMEPAD);

    // Which controller each is: by its axis count.
    auto axesOf = [&](const DIDEVICEINSTANCE& instance) {
        std::unique_ptr<IDirectInputDevice8> device;
        EXPECT_EQ(DI->CreateDevice(instance.guidInstance, device), DI_OK);
        DIDEVCAPS caps;
        caps.dwSize = sizeof(caps);
        EXPECT_EQ(device->GetCapabilities(&caps), DI_OK);
        return caps.dwAxes;
    };
    EXPECT_EQ(axesOf(pads[0]), 2u);
    EXPECT_EQ(axesOf(pads[1]), 3u);

    b.Detach();
    std::vector<DIDEVICEINSTANCE> left = Enumerate(*DI, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].guidInstance, pads[0].guidInstance);
    EXPECT_EQ(left[1].guidInstance, pads[2].guidInstance);
    std::unique_ptr<IDirectInputDevice8> gone;
    EXPECT_EQ(DI->CreateDevice(pads[1].guidInstance, gone), DIERR_DEVICENOTREG);

    EXPECT_EQ(DI->EnumDevices(DI8DEVCLASS_GAMECTRL, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
    EXPECT_EQ(DI->EnumDevices(7, &Collect, nullptr, 0), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, JoystickReportsCapabilitiesAndScaledState) {
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "a real game controller is attached";
    VirtualJoystick pad(3, 30, 1);
    std::vector<DIDEVICEINSTANCE> pads = Enumerate(*DI, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(pads.size(), 1u);
    auto joystick =
        Make(pads[0].guidInstance, c_dfDIJoystick, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, Form);

    DIDEVCAPS caps;
    caps.dwSize = 40;
    EXPECT_EQ(joystick->GetCapabilities(&caps), DIERR_INVALIDPARAM);
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(joystick->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 3u);
    EXPECT_EQ(caps.dwButtons, 30u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_TRUE(caps.dwFlags & DIDC_ATTACHED);

    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_X, -1000, 1000), DI_OK);
    EXPECT_EQ(SetDword(*joystick, DIPROP_DEADZONE, DIPH_BYOFFSET, DIJOFS_X, 2000), DI_OK);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_Z, -5, 5), DI_OK);
    ASSERT_EQ(joystick->Acquire(), DI_OK);

    auto read = [&] {
        DIJOYSTATE state;
        EXPECT_EQ(joystick->Poll(), DI_OK);
        EXPECT_EQ(joystick->GetDeviceState(sizeof(state), &state), DI_OK);
        return state;
    };
    DIJOYSTATE state = read();
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 32768) << "the default range is 0..65535, centre rounded to even";
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu) << "missing POVs read as centred";

    pad.SetAxis(0, 32767);
    pad.SetAxis(1, -32768);
    pad.SetAxis(2, 32767);
    pad.SetButton(0, true);
    pad.SetButton(29, true);
    pad.SetHat(0, SDL_HAT_RIGHT);
    state = read();
    EXPECT_EQ(state.lX, 1000);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 5);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[29], 0x80);
    EXPECT_EQ(state.rgdwPOV[0], 9000u);

    // A 20 % dead zone: 15 % reads as the centre, 60 % as (60 - 20) / 80 = half the range.
    pad.SetAxis(0, -4915);
    EXPECT_EQ(read().lX, 0);
    pad.SetAxis(0, -19661);
    EXPECT_EQ(read().lX, -500);
    pad.SetAxis(0, -32768);
    EXPECT_EQ(read().lX, -1000);

    // One range for every axis at once.
    EXPECT_EQ(SetRange(*joystick, DIPH_DEVICE, 0, -10, 10), DI_OK);
    pad.SetAxis(1, 32767);
    EXPECT_EQ(read().lY, 10);
}

TEST_F(DInputTest, JoystickPropertiesOnObjectsThatAreNotAxesAreRefused) {
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "a real game controller is attached";
    VirtualJoystick pad(3, 8, 1);
    std::vector<DIDEVICEINSTANCE> pads = Enumerate(*DI, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(pads.size(), 1u);
    std::unique_ptr<IDirectInputDevice8> joystick;
    ASSERT_EQ(DI->CreateDevice(pads[0].guidInstance, joystick), DI_OK);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_X, -1, 1), DIERR_INVALIDPARAM)
        << "offsets mean nothing before a data format";
    ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);

    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_Z, -1, 1), DI_OK);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_RX, -1, 1), DIERR_NOTFOUND)
        << "the device has three axes";
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, 2, -1, 1), DIERR_NOTFOUND);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_POV(0), -1, 1), DIERR_NOTFOUND);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_BUTTON(0), -1, 1), DIERR_NOTFOUND);
    EXPECT_EQ(SetDword(*joystick, DIPROP_DEADZONE, DIPH_BYOFFSET, DIJOFS_BUTTON(3), 100),
              DIERR_NOTFOUND);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYOFFSET, DIJOFS_X, 0, 0), DIERR_INVALIDPARAM);
    EXPECT_EQ(SetDword(*joystick, DIPROP_DEADZONE, DIPH_BYOFFSET, DIJOFS_X, 10001),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(SetRange(*joystick, DIPH_BYID, 0, -1, 1), DIERR_UNSUPPORTED);
    EXPECT_EQ(SetDword(*joystick, DIPROP_AUTOCENTER, DIPH_BYOFFSET, DIJOFS_X, 1),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(SetDword(*joystick, DIPROP_AUTOCENTER, DIPH_DEVICE, 0, 1), DIERR_UNSUPPORTED)
        << "a virtual controller has no force feedback";
    EXPECT_EQ(SetDword(*joystick, DIPROP_SATURATION, DIPH_DEVICE, 0, 1), DIERR_UNSUPPORTED);
}

TEST_F(DInputTest, UnpluggedJoystickIsLostOnceAndCannotBeReacquired) {
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "a real game controller is attached";
    VirtualJoystick pad(2, 4, 0);
    std::vector<DIDEVICEINSTANCE> pads = Enumerate(*DI, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(pads.size(), 1u);
    auto joystick =
        Make(pads[0].guidInstance, c_dfDIJoystick, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, Form);
    ASSERT_EQ(joystick->Acquire(), DI_OK);
    EXPECT_EQ(joystick->Poll(), DI_OK);
    pad.Detach();
    EXPECT_EQ(joystick->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(joystick->Acquire(), DIERR_UNPLUGGED);
    EXPECT_EQ(joystick->Poll(), DIERR_NOTACQUIRED);
}
