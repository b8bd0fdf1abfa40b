#include "engine/input/ArvexInput.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/Headless.h"
#include "tests/support/InputEvents.h"

#include <gtest/gtest.h>
#include <vector>

using namespace dinput;
using namespace testing_support;

namespace {

// A form whose window exists and has the focus, with an input component on it that has run
// Initialize through WM_CREATE and acquired its devices through WM_ACTIVATE.
class InputTest : public ::testing::Test {
protected:
    InputTest() {
        Form = rtl::Create<win::TForm>(&H.App);
        Input = rtl::Create<TArvexInput>(Form);
        Input->OnKeyboard = [this](rtl::TObject* sender) {
            EXPECT_EQ(sender, Input);
            KeyboardEvents.push_back({Input->Keyboard()->Held, Input->Keyboard()->JustPressed});
        };
        WindowId = WindowIdOf(*Form);
        SetFocus(true);
    }

    void SetFocus(bool gained) {
        PushFocus(WindowId, gained);
        H.App.ProcessMessages();
    }

    void Key(SDL_Scancode scancode, bool down) {
        PushKey(scancode, down, WindowId);
        H.App.ProcessMessages();
    }

    struct Seen {
        TButtonSet Held;
        TButtonSet JustPressed;
    };

    HeadlessApp H;
    win::TForm* Form = nullptr;
    TArvexInput* Input = nullptr;
    uint32_t WindowId = 0;
    std::vector<Seen> KeyboardEvents;
};

TButtonSet Bits(uint32_t bits) {
    return TButtonSet{bits};
}

std::vector<uint8_t> AssignsBytes(const std::vector<uint32_t>& entries) {
    std::vector<uint8_t> bytes(128, 0);
    for (size_t i = 0; i < entries.size(); ++i)
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<uint8_t>(entries[i] >> (8 * b));
    return bytes;
}

} // namespace

TEST(ArvexInputCreation, NeedsAFormAmongItsOwners) {
    HeadlessApp h;
    try {
        TArvexInput orphan(nullptr);
        FAIL() << "created without a form";
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.Message, "ArvexInput: No Form present!");
    }
    auto* holder = rtl::Create<rtl::TComponent>(&h.App);
    EXPECT_THROW(rtl::Create<TArvexInput>(holder), rtl::Exception);
    EXPECT_EQ(holder->ComponentCount(), 0) << "the failed component left its owner";

    auto* form = rtl::Create<win::TForm>(&h.App);
    auto* module = rtl::Create<rtl::TComponent>(form);
    auto* input = rtl::Create<TArvexInput>(module);
    EXPECT_EQ(input->FormWindow(), form);
    EXPECT_FALSE(input->Initialized()) << "DirectInput waits for Initialize";
    EXPECT_EQ(input->DeviceClientKind(), TDeviceClientKind::dcInput);
}

TEST(ArvexInputCreation, DefaultsOfTheDevices) {
    HeadlessApp h;
    auto* input = rtl::Create<TArvexInput>(rtl::Create<win::TForm>(&h.App));
    TKeyboard& keyboard = *input->Keyboard();
    EXPECT_TRUE(keyboard.Enabled());
    EXPECT_TRUE(keyboard.ForegroundOnly());
    EXPECT_FALSE(keyboard.Exclusive());
    const uint32_t expected[32] = {
        DIK_UP,     DIK_DOWN, DIK_LEFT, DIK_RIGHT, DIK_SPACE, DIK_LCONTROL,
        DIK_RETURN, 0,        0,        0,         0,         0,
        0,          0,        0,        0,         0,         0,
        0,          0,        0,        0,         0,         0,
        0,          0,        0,        0,         0,         0,
        DIK_ESCAPE, DIK_LMENU};
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(keyboard.Assigns(bit), expected[bit]) << "bit " << bit;
    EXPECT_FALSE(input->Mouse()->Enabled());
    TJoystick& joystick = *input->Joystick();
    EXPECT_FALSE(joystick.Enabled());
    EXPECT_TRUE(joystick.Autocenter());
    EXPECT_EQ(joystick.RangeX(), 1000);
    EXPECT_EQ(joystick.Ranges(79), 1000);
    EXPECT_EQ(joystick.DeadZoneZ(), 20);
    EXPECT_EQ(joystick.ButtonCount(), 0);
    EXPECT_EQ(input->Joysticks(), std::vector<TJoystick*>{&joystick});
}

TEST(ArvexInputCreation, WindowHookSeesMessagesAfterTheOldProcedureAndIsRemoved) {
    HeadlessApp h;
    auto* form = rtl::Create<win::TForm>(&h.App);
    std::vector<std::string> calls;
    form->WindowProc = [&](win::TMessage&) { calls.push_back("old"); };
    int user = 0;
    {
        TWndProcControlClass hook(
            form,
            [&](void* value, win::TMessage& message, const win::TWndMethod& old) {
                EXPECT_EQ(value, &user);
                calls.push_back("hook " + std::to_string(message.Msg));
                old(message);
            },
            &user);
        form->Perform(win::WM_USER);
    }
    form->Perform(win::WM_USER + 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"hook 1024", "old", "old"}));
}

TEST_F(InputTest, WindowCreationInitializesAndActivationAcquires) {
    EXPECT_TRUE(Input->Initialized());
    EXPECT_TRUE(Input->Keyboard()->Initialized());
    EXPECT_FALSE(Input->Mouse()->Initialized()) << "disabled";
    EXPECT_FALSE(Input->Joystick()->Initialized());
    Key(SDL_SCANCODE_UP, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_EQ(KeyboardEvents[0].Held, Bits(0x1));

    Input->Finalize();
    EXPECT_FALSE(Input->Initialized());
    EXPECT_FALSE(Input->Keyboard()->Initialized());
    Input->Update();
    EXPECT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_TRUE(Input->Keyboard()->Held.Empty());

    Input->DeviceReady();
    EXPECT_TRUE(Input->Keyboard()->Initialized());
    Input->DeviceLost();
    EXPECT_TRUE(Input->Keyboard()->Initialized()) << "losing the screen's device changes nothing";
    // A new DirectInput object knows real keys from SDL but not pushed ones: press again, as a
    // held key's auto-repeat would.
    Key(SDL_SCANCODE_UP, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 2u) << "Initialize acquired at once: the window has focus";
    EXPECT_TRUE(KeyboardEvents[1].JustPressed.Empty()) << "Latched survives the rebuild";
}

TEST_F(InputTest, HeldKeyIsJustPressedOnceAndFiresEveryPoll) {
    Key(SDL_SCANCODE_LEFT, true);
    for (int i = 0; i < 3; ++i)
        Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 3u);
    EXPECT_EQ(KeyboardEvents[0].Held, Bits(0x4));
    EXPECT_EQ(KeyboardEvents[0].JustPressed, Bits(0x4));
    EXPECT_EQ(KeyboardEvents[1].Held, Bits(0x4));
    EXPECT_TRUE(KeyboardEvents[1].JustPressed.Empty());
    EXPECT_TRUE(KeyboardEvents[2].JustPressed.Empty());

    Key(SDL_SCANCODE_LEFT, false);
    Input->Update();
    EXPECT_EQ(KeyboardEvents.size(), 3u) << "no event once every bit is up";
    Key(SDL_SCANCODE_LEFT, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 4u);
    EXPECT_EQ(KeyboardEvents[3].JustPressed, Bits(0x4)) << "a new press after a release";
}

TEST_F(InputTest, TwoBitsOnOneKeyComeOnTogether) {
    ASSERT_TRUE(Input->Keyboard()->SetAssigns(9, DIK_UP));
    Key(SDL_SCANCODE_UP, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_EQ(KeyboardEvents[0].Held, Bits(0x201));
    EXPECT_EQ(KeyboardEvents[0].JustPressed, Bits(0x201));
}

TEST_F(InputTest, NothingFiresWithoutAnAssignedKeyDown) {
    Input->Update();
    Key(SDL_SCANCODE_Q, true); // not assigned
    Input->Update();
    EXPECT_TRUE(KeyboardEvents.empty());
    EXPECT_TRUE(Input->Keyboard()->Held.Empty());

    // A press and release between two polls is not seen at all.
    Key(SDL_SCANCODE_SPACE, true);
    Key(SDL_SCANCODE_SPACE, false);
    Input->Update();
    EXPECT_TRUE(KeyboardEvents.empty());
}

TEST_F(InputTest, ReactivationWhileHeldGivesNoSecondPress) {
    Key(SDL_SCANCODE_UP, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 1u);

    SetFocus(false);
    Input->Update(); // the loss is reported; re-acquiring fails in the background
    Input->Update();
    EXPECT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_TRUE(Input->Keyboard()->Held.Empty());
    EXPECT_TRUE(Input->Keyboard()->Initialized());

    SetFocus(true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 2u);
    EXPECT_EQ(KeyboardEvents[1].Held, Bits(0x1));
    EXPECT_TRUE(KeyboardEvents[1].JustPressed.Empty());
}

TEST_F(InputTest, BackgroundKeyboardReadsWithoutFocus) {
    Input->Keyboard()->SetForegroundOnly(false);
    EXPECT_TRUE(Input->Keyboard()->Initialized());
    SetFocus(false);
    Key(SDL_SCANCODE_RIGHT, true);
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_EQ(KeyboardEvents[0].Held, Bits(0x8));

    // Exclusive background access to the keyboard is refused, so the keyboard goes dark.
    Input->Keyboard()->SetExclusive(true);
    EXPECT_FALSE(Input->Keyboard()->Initialized());
    Input->Update();
    EXPECT_EQ(KeyboardEvents.size(), 1u);
}

TEST_F(InputTest, DisablingReleasesAndEnablingRestoresTheKeyboard) {
    Key(SDL_SCANCODE_DOWN, true);
    Input->Keyboard()->SetEnabled(false);
    EXPECT_FALSE(Input->Keyboard()->Initialized());
    Input->Update();
    EXPECT_TRUE(KeyboardEvents.empty());
    Input->Keyboard()->SetEnabled(true);
    EXPECT_TRUE(Input->Keyboard()->Initialized());
    Input->Update();
    ASSERT_EQ(KeyboardEvents.size(), 1u);
    EXPECT_EQ(KeyboardEvents[0].Held, Bits(0x2));
}

TEST_F(InputTest, WithoutDirectInputEveryDeviceStaysDark) {
    SimulateStartFailure(true);
    Input->Initialize();
    SimulateStartFailure(false);
    EXPECT_FALSE(Input->Initialized());
    EXPECT_FALSE(Input->Keyboard()->Initialized());
    Input->Keyboard()->SetEnabled(true);
    Input->Joystick()->SetEnabled(true);
    EXPECT_FALSE(Input->Joystick()->Initialized());
    Key(SDL_SCANCODE_UP, true);
    Input->Update();
    EXPECT_TRUE(KeyboardEvents.empty());
    EXPECT_EQ(Input->Joysticks().size(), 1u);
}

TEST_F(InputTest, MouseWheelAloneSetsNoBitButZHoldsIt) {
    int mouseEvents = 0;
    Input->OnMouse = [&](rtl::TObject*) { ++mouseEvents; };
    Input->Mouse()->SetEnabled(true);
    ASSERT_TRUE(Input->Mouse()->Initialized());

    PushMouseWheel(2, WindowId);
    Input->Update();
    EXPECT_EQ(mouseEvents, 0);
    EXPECT_EQ(Input->Mouse()->Z(), 240);
    EXPECT_TRUE(Input->Mouse()->Held.Empty());

    PushMouseMotion(-5, -1, WindowId);
    PushMouseButton(SDL_BUTTON_MIDDLE, true, WindowId);
    Input->Update();
    EXPECT_EQ(mouseEvents, 1);
    EXPECT_EQ(Input->Mouse()->X(), -5);
    EXPECT_EQ(Input->Mouse()->Y(), -1);
    EXPECT_EQ(Input->Mouse()->Z(), 0);
    EXPECT_EQ(Input->Mouse()->Held, Bits(0x1 | 0x4 | 0x40));
    EXPECT_EQ(Input->Mouse()->JustPressed, Bits(0x1 | 0x4 | 0x40));

    PushMouseMotion(3, 4, WindowId);
    Input->Update();
    EXPECT_EQ(Input->Mouse()->Held, Bits(0x2 | 0x8 | 0x40));
    EXPECT_EQ(Input->Mouse()->JustPressed, Bits(0x2 | 0x8));
}

TEST(KeyboardAssigns, EntriesAboveAByteAreRefused) {
    HeadlessApp h;
    auto* input = rtl::Create<TArvexInput>(rtl::Create<win::TForm>(&h.App));
    TKeyboard& keyboard = *input->Keyboard();
    EXPECT_FALSE(keyboard.SetAssigns(3, 256));
    EXPECT_EQ(keyboard.Assigns(3), DIK_RIGHT);
    EXPECT_TRUE(keyboard.SetAssigns(3, 255));
    EXPECT_EQ(keyboard.Assigns(3), 255u);
    EXPECT_FALSE(keyboard.SetAssigns(32, DIK_A));
    EXPECT_FALSE(keyboard.SetAssigns(-1, DIK_A));
    EXPECT_EQ(keyboard.Assigns(32), 0u);
}

TEST(KeyboardAssigns, StreamedAsAssignsAndAcceptedAsAssigns2) {
    HeadlessApp h;
    auto* input = rtl::Create<TArvexInput>(rtl::Create<win::TForm>(&h.App));
    TKeyboard& keyboard = *input->Keyboard();

    std::vector<uint32_t> entries(32, 0);
    entries[0] = DIK_W;
    entries[4] = DIK_ESCAPE;
    entries[5] = DIK_U;
    entries[31] = 0x1234; // refused: keeps the default left Alt
    const std::vector<uint8_t> stored = AssignsBytes(entries);
    rtl::TMemoryStream in;
    in.WriteBuffer(stored.data(), 128);
    in.WriteBuffer("tail", 4);
    in.SetPosition(0);
    EXPECT_FALSE(keyboard.ReadBinaryProperty("Assigns3", in));
    EXPECT_EQ(in.Position(), 0) << "a foreign property is not read";
    ASSERT_TRUE(keyboard.ReadBinaryProperty("Assigns2", in));
    EXPECT_EQ(in.Position(), 128) << "exactly 128 bytes are read";
    EXPECT_EQ(keyboard.Assigns(0), DIK_W);
    EXPECT_EQ(keyboard.Assigns(1), 0u);
    EXPECT_EQ(keyboard.Assigns(4), DIK_ESCAPE);
    EXPECT_EQ(keyboard.Assigns(5), DIK_U);
    EXPECT_EQ(keyboard.Assigns(31), DIK_LMENU);

    rtl::TMemoryStream out;
    keyboard.WriteBinaryProperty(out);
    entries[31] = DIK_LMENU;
    EXPECT_EQ(out.Bytes(), AssignsBytes(entries));
    EXPECT_STREQ(TKeyboard::AssignsPropertyName, "Assigns");

    // The written value reads back under its own name.
    out.SetPosition(0);
    keyboard.SetAssigns(0, 0);
    ASSERT_TRUE(keyboard.ReadBinaryProperty("Assigns", out));
    EXPECT_EQ(keyboard.Assigns(0), DIK_W);

    // A truncated value raises and changes nothing.
    rtl::TMemoryStream shortValue;
    shortValue.WriteBuffer(stored.data(), 100);
    shortValue.SetPosition(0);
    keyboard.SetAssigns(0, DIK_Q);
    EXPECT_THROW(keyboard.ReadBinaryProperty("Assigns", shortValue), rtl::EReadError);
    EXPECT_EQ(keyboard.Assigns(0), DIK_Q);
}

namespace {

// A property list as a form stream stores it.
class PropertyList {
public:
    PropertyList& Name(const std::string& name) {
        FBytes.push_back(static_cast<uint8_t>(name.size()));
        FBytes.insert(FBytes.end(), name.begin(), name.end());
        return *this;
    }
    PropertyList& Boolean(bool value) {
        FBytes.push_back(value ? rtl::vaTrue : rtl::vaFalse);
        return *this;
    }
    PropertyList& Int16(int16_t value) {
        FBytes.push_back(rtl::vaInt16);
        FBytes.push_back(static_cast<uint8_t>(value));
        FBytes.push_back(static_cast<uint8_t>(value >> 8));
        return *this;
    }
    PropertyList& Binary(const std::vector<uint8_t>& bytes) {
        FBytes.push_back(rtl::vaBinary);
        for (int i = 0; i < 4; ++i)
            FBytes.push_back(static_cast<uint8_t>(bytes.size() >> (8 * i)));
        FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<uint8_t> End() {
        FBytes.push_back(0);
        return FBytes;
    }

private:
    std::vector<uint8_t> FBytes;
};

} // namespace

TEST(ArvexInputStreaming, ReadsTheDevicesStoredProperties) {
    HeadlessApp h;
    auto* input = rtl::Create<TArvexInput>(rtl::Create<win::TForm>(&h.App));
    std::vector<uint32_t> entries(32, 0);
    entries[4] = DIK_ESCAPE;
    rtl::TReader reader(PropertyList()
                            .Name("Keyboard.Assigns2")
                            .Binary(AssignsBytes(entries))
                            .Name("Keyboard.ForegroundOnly")
                            .Boolean(false)
                            .Name("Mouse.Enabled")
                            .Boolean(true)
                            .Name("Joystick.Autocenter")
                            .Boolean(false)
                            .Name("Joystick.DeadZoneX")
                            .Int16(150)
                            .Name("Joystick.RangeY")
                            .Int16(-5)
                            .Name("Joystick.RangeZ")
                            .Int16(700)
                            .End());
    reader.ReadProperties(*input);
    EXPECT_EQ(input->Keyboard()->Assigns(4), DIK_ESCAPE);
    EXPECT_EQ(input->Keyboard()->Assigns(0), 0u);
    EXPECT_FALSE(input->Keyboard()->ForegroundOnly());
    EXPECT_TRUE(input->Mouse()->Enabled());
    EXPECT_FALSE(input->Joystick()->Autocenter());
    EXPECT_EQ(input->Joystick()->DeadZoneX(), 100);
    EXPECT_EQ(input->Joystick()->RangeY(), 0);
    EXPECT_EQ(input->Joystick()->RangeZ(), 700);

    rtl::TReader shortAssigns(
        PropertyList().Name("Keyboard.Assigns").Binary(std::vector<uint8_t>(100)).End());
    EXPECT_THROW(shortAssigns.ReadProperties(*input), rtl::EReadError);
    EXPECT_EQ(input->Keyboard()->Assigns(4), DIK_ESCAPE);
    rtl::TReader foreign(PropertyList().Name("Mouse.Autocenter").Boolean(true).End());
    EXPECT_THROW(foreign.ReadProperties(*input), rtl::EReadError);
    rtl::TReader unknown(PropertyList().Name("Trackball.Enabled").Boolean(true).End());
    EXPECT_THROW(unknown.ReadProperties(*input), rtl::EReadError);
}

TEST(JoystickSettings, StoredValuesAreClampedAndOffsetsChecked) {
    HeadlessApp h;
    auto* input = rtl::Create<TArvexInput>(rtl::Create<win::TForm>(&h.App));
    TJoystick& joystick = *input->Joystick();
    joystick.SetDeadZoneX(150);
    EXPECT_EQ(joystick.DeadZoneX(), 100);
    joystick.SetDeadZoneY(-3);
    EXPECT_EQ(joystick.DeadZoneY(), 0);
    joystick.SetRangeY(-5);
    EXPECT_EQ(joystick.RangeY(), 0);
    joystick.SetRanges(80, 7);
    joystick.SetDeadZones(-1, 7);
    EXPECT_EQ(joystick.Ranges(80), 0);
    EXPECT_EQ(joystick.DeadZones(-1), 0);
    EXPECT_EQ(joystick.Ranges(79), 1000);
}

// ---- Joysticks on virtual controllers -------------------------------------------------------

class JoystickTest : public InputTest {
protected:
    void SetUp() override {
        if (SDL_NumJoysticks() > 0)
            GTEST_SKIP() << "a real game controller is attached";
    }

    int JoystickEvents = 0;
};

TEST_F(JoystickTest, AxesGiveDirectionsThroughRangeAndDeadZone) {
    VirtualJoystick pad(3, 8, 0);
    Input->Joystick()->SetEnabled(true); // sets up and acquires at once
    TJoystick& joystick = *Input->Joystick();
    ASSERT_TRUE(joystick.Initialized());
    EXPECT_EQ(joystick.AxesCount(), 3);
    EXPECT_EQ(joystick.ButtonCount(), 8);
    EXPECT_FALSE(joystick.ProductName().empty());

    pad.SetAxis(0, -6000); // 18 %: inside the 20 % dead zone
    pad.SetAxis(1, 32767);
    Input->Update();
    EXPECT_EQ(joystick.State().lX, 0);
    EXPECT_EQ(joystick.State().lY, 1000);
    EXPECT_EQ(joystick.Held, Bits(0x2));

    joystick.SetDeadZoneX(10);
    joystick.SetRangeY(50);
    Input->Update();
    EXPECT_LT(joystick.State().lX, 0);
    EXPECT_EQ(joystick.State().lY, 50);
    EXPECT_EQ(joystick.Held, Bits(0x2 | 0x4));
    EXPECT_EQ(joystick.JustPressed, Bits(0x4));

    joystick.SetRangeX(0); // refused by DirectInput: the axis keeps its range
    pad.SetAxis(0, 32767);
    Input->Update();
    EXPECT_EQ(joystick.RangeX(), 0);
    EXPECT_EQ(joystick.State().lX, 1000);
}

TEST_F(JoystickTest, ButtonsAboveTwentySevenSetNoBit) {
    VirtualJoystick pad(2, 32, 0);
    Input->Joystick()->SetEnabled(true);
    TJoystick& joystick = *Input->Joystick();
    ASSERT_EQ(joystick.ButtonCount(), 32);
    pad.SetButton(0, true);
    pad.SetButton(27, true);
    for (int button = 28; button < 32; ++button)
        pad.SetButton(button, true);
    Input->Update();
    EXPECT_EQ(joystick.Held, Bits(0x10 | 0x80000000u));
    EXPECT_EQ(joystick.State().rgbButtons[30], 0x80) << "the state still has them";
}

TEST_F(JoystickTest, EveryControllerGetsAJoystickCopyingTheFirstsSettings) {
    VirtualJoystick first(2, 4, 0), second(2, 4, 0), third(2, 4, 0);
    TJoystick& joystick = *Input->Joystick();
    joystick.SetRangeX(300);
    joystick.SetDeadZones(4, 55);
    joystick.SetAutocenter(false);
    joystick.SetForegroundOnly(false);
    joystick.SetEnabled(true);
    Input->OnJoystick = [this](rtl::TObject* sender) {
        EXPECT_EQ(sender, Input);
        ++JoystickEvents;
    };

    Input->Initialize();
    const std::vector<TJoystick*> joysticks = Input->Joysticks();
    ASSERT_EQ(joysticks.size(), 3u);
    EXPECT_EQ(joysticks[0], &joystick);
    for (int i = 0; i < 3; ++i) {
        TJoystick& j = *joysticks[static_cast<size_t>(i)];
        EXPECT_EQ(j.DeviceIndex(), i);
        EXPECT_TRUE(j.Initialized());
        EXPECT_EQ(j.RangeX(), 300);
        EXPECT_EQ(j.RangeY(), 1000);
        EXPECT_EQ(j.DeadZones(4), 55);
        EXPECT_FALSE(j.Autocenter());
        EXPECT_FALSE(j.ForegroundOnly());
        EXPECT_TRUE(j.Enabled());
    }
    EXPECT_NE(joysticks[1]->InstanceGuid(), joysticks[2]->InstanceGuid());

    third.SetButton(1, true);
    third.SetAxis(0, -32768);
    Input->Update();
    EXPECT_EQ(joysticks[2]->Held, Bits(0x20 | 0x4));
    EXPECT_EQ(joysticks[2]->State().lX, -300);
    EXPECT_EQ(JoystickEvents, 0) << "OnJoystick reports the first joystick only";
    first.SetButton(0, true);
    Input->Update();
    EXPECT_EQ(JoystickEvents, 1);

    // A joystick pointed at another controller reads it at once.
    joystick.SetDeviceIndex(2);
    Input->Update();
    EXPECT_EQ(joystick.Held, Bits(0x20 | 0x4));

    Input->Finalize();
    EXPECT_EQ(Input->Joysticks(), std::vector<TJoystick*>{&joystick});
    EXPECT_FALSE(joystick.Initialized());
}

TEST_F(JoystickTest, AnUnpluggedControllerGoesQuietAndAMissingOneIsNeverSetUp) {
    auto pad = std::make_unique<VirtualJoystick>(2, 4, 0);
    Input->Joystick()->SetEnabled(true);
    pad->SetButton(0, true);
    Input->Update();
    EXPECT_EQ(Input->Joystick()->Held, Bits(0x10));
    pad.reset();
    Input->Update();
    Input->Update();
    EXPECT_TRUE(Input->Joystick()->Held.Empty());

    Input->Joystick()->SetDeviceIndex(5);
    Input->Initialize();
    EXPECT_FALSE(Input->Joystick()->Initialized());
}
