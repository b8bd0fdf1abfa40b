#include "game/Unit1.h"
#include "tests/support/Headless.h"
#include "tests/support/InputEvents.h"

#include <gtest/gtest.h>

using namespace dinput;
using testing_support::HeadlessApp;

TEST(Unit1Input, TheFormsInputHasItsStoredSettings) {
    HeadlessApp h;
    TForm1* form = h.App.CreateForm<TForm1>();
    ASSERT_NE(form->ArvexInput1, nullptr);
    const TKeyboard& keyboard = *form->ArvexInput1->Keyboard();
    EXPECT_TRUE(keyboard.Enabled());
    EXPECT_TRUE(keyboard.ForegroundOnly());
    EXPECT_FALSE(keyboard.Exclusive());
    const uint32_t assigned[][2] = {
        {0, DIK_UP},     {1, DIK_DOWN}, {2, DIK_LEFT},    {3, DIK_RIGHT},
        {4, DIK_ESCAPE}, {5, DIK_U},    {6, DIK_RETURN},  {7, DIK_R},
        {8, DIK_H},      {9, 0},        {20, DIK_PRIOR},  {21, DIK_NEXT},
        {22, DIK_HOME},  {29, 0},       {30, DIK_ESCAPE}, {31, DIK_LMENU}};
    for (const auto& [bit, key] : assigned)
        EXPECT_EQ(keyboard.Assigns(static_cast<int>(bit)), key) << "bit " << bit;
    EXPECT_FALSE(form->ArvexInput1->Mouse()->Enabled());
    const TJoystick& joystick = *form->ArvexInput1->Joystick();
    EXPECT_FALSE(joystick.Enabled());
    EXPECT_TRUE(joystick.ForegroundOnly());
    EXPECT_TRUE(joystick.Autocenter());
    EXPECT_EQ(joystick.DeadZoneY(), 20);
    EXPECT_EQ(joystick.RangeZ(), 1000);
}

TEST(Unit1Input, EachFrameTickPollsTheKeyboardFirst) {
    HeadlessApp h;
    TForm1* form = h.App.CreateForm<TForm1>();
    const uint32_t window = testing_support::WindowIdOf(*form); // WM_CREATE: Initialize
    testing_support::PushFocus(window, true);
    testing_support::PushKey(SDL_SCANCODE_U, true, window);
    h.App.ProcessMessages();
    EXPECT_TRUE(form->ArvexInput1->Keyboard()->JustPressed.Empty()) << "nothing polls yet";

    h.Clock.AdvanceMilliseconds(20);
    h.App.Step();
    EXPECT_EQ(form->ArvexInput1->Keyboard()->JustPressed, TButtonSet{0x20});
}
