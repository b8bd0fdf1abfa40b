#include "engine/display/ArvexDeviceClient.h"
#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/D3DX.h"
#include "tests/support/Headless.h"
#include "tests/support/Scenes.h"

#include <SDL.h>
#include <clocale>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace testing_support;
using d3d::DWORD;

namespace {

// Stands in for the image lists, fonts, GUI and input that follow the screen's device.
class FakeClient : public rtl::TComponent, public TArvexDeviceClient {
public:
    FakeClient(rtl::TComponent* owner, TDeviceClientKind kind, std::string name,
               std::vector<std::string>* log)
        : rtl::TComponent(owner), FKind(kind), FName(std::move(name)), FLog(log) {}
    TDeviceClientKind DeviceClientKind() const override { return FKind; }
    void DeviceReady() override { FLog->push_back(FName + " ready"); }
    void DeviceLost() override { FLog->push_back(FName + " lost"); }
    void AssignScreen(TArvexScreen* screen) override { Screen = screen; }
    TArvexScreen* Screen = nullptr;

private:
    TDeviceClientKind FKind;
    std::string FName;
    std::vector<std::string>* FLog;
};

class ScreenTest : public ::testing::Test {
protected:
    ScreenTest() {
        Form = rtl::Create<win::TForm>(nullptr);
        Form->SetClientSize(64, 48);
        Screen = rtl::Create<TArvexScreen>(Form);
        Screen->SetWindowHandle(Form->Handle());
        Screen->Width = 64;
        Screen->Height = 48;
    }
    ~ScreenTest() override { rtl::TComponent::Free(Form); }

    DWORD RenderState(d3d::D3DRENDERSTATETYPE s) {
        DWORD v = 0;
        Screen->Device()->GetRenderState(s, &v);
        return v;
    }
    DWORD StageState(d3d::D3DTEXTURESTAGESTATETYPE s) {
        DWORD v = 0;
        Screen->Device()->GetTextureStageState(0, s, &v);
        return v;
    }
    uint32_t Presented(int x, int y) {
        const std::vector<uint32_t> frame = Screen->Device()->ReadPresentedFrame();
        return frame.empty() ? 0 : frame[static_cast<size_t>(y) * Screen->Width + x];
    }
    void Frame(uint8_t r, uint8_t g, uint8_t b) {
        Screen->BeginScene();
        Screen->Clear(r, g, b, 255);
        Screen->EndScene();
    }

    HeadlessApp H;
    win::TForm* Form;
    TArvexScreen* Screen;
};

} // namespace

TEST_F(ScreenTest, StartsWithItsInitialValuesAndTheDecimalPoint) {
    std::setlocale(LC_NUMERIC, "");
    auto* fresh = rtl::Create<TArvexScreen>(Form);
    EXPECT_EQ(fresh->Width, 800);
    EXPECT_EQ(fresh->Height, 600);
    EXPECT_EQ(fresh->WindowHandle(), static_cast<win::HWND>(Form));
    EXPECT_EQ(Screen->Pool, plManaged);
    EXPECT_EQ(Screen->bpp(), 16);
    EXPECT_EQ(Screen->RenderMode, rmHardware);
    EXPECT_TRUE(Screen->ZBuffer);
    EXPECT_TRUE(Screen->ShowMouseCursor);
    EXPECT_FALSE(Screen->FullScreen);
    EXPECT_EQ(Screen->Color(), 0xFFFFFFFFu);
    EXPECT_EQ(Screen->Device(), nullptr);
    EXPECT_FALSE(Screen->Initialized());
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    for (int i : {0, 128, 255})
        EXPECT_EQ(Screen->GammaRamp().blue[i], i * 256);
}

TEST_F(ScreenTest, SettersKeepTheirValuesInRange) {
    Screen->Setbpp(24);
    EXPECT_EQ(Screen->bpp(), 16);
    Screen->Setbpp(32);
    EXPECT_EQ(Screen->bpp(), 32);
    Screen->SetFrequency(65);
    EXPECT_EQ(Screen->Frequency(), 0u);
    Screen->SetFrequency(144);
    EXPECT_EQ(Screen->Frequency(), 144u);
    Screen->SetColor(0x80402010);
    EXPECT_EQ(Screen->Alpha(), 0x80);
    EXPECT_EQ(Screen->Red(), 0x40);
    EXPECT_EQ(Screen->Green(), 0x20);
    EXPECT_EQ(Screen->Blue(), 0x10);
    Screen->SetGreen(0xAB);
    EXPECT_EQ(Screen->Color(), 0x8040AB10u);
}

TEST_F(ScreenTest, InitializeFallsBackToTheSoftwareDeviceInAWindowOfTheDesktopsFormat) {
    const int cursor = win::ShowCursor(true) - 1;
    win::ShowCursor(false);
    EXPECT_EQ(Screen->Initialize(), 0);
    ASSERT_NE(Screen->Device(), nullptr);
    EXPECT_EQ(Screen->RenderMode, rmSoftware) << "no OpenGL headless: the retry made it";
    EXPECT_EQ(Screen->Device()->DeviceType(), d3d::D3DDEVTYPE_SW);
    EXPECT_TRUE(Screen->Initialized());
    EXPECT_TRUE(Screen->Active());
    EXPECT_EQ(Screen->BackBufferDesc().Width, 64u);
    d3d::D3DDISPLAYMODE desktop;
    d3d::Direct3DCreate8(d3d::D3D_SDK_VERSION)->GetAdapterDisplayMode(0, &desktop);
    EXPECT_EQ(Screen->BackBufferDesc().Format, desktop.Format);
    EXPECT_EQ(Screen->BBCount, 0) << "a window keeps its count";
    EXPECT_EQ(Screen->Caps().MaxTextureWidth, 4096u);
    EXPECT_EQ(win::ShowCursor(true) - 1, cursor + 1) << "ShowMouseCursor went to the counter";
    win::ShowCursor(false);
    win::ShowCursor(false);
}

TEST_F(ScreenTest, FullScreenTakesStandardSizesOnlyAndRaisesTheBufferCount) {
    Screen->FullScreen = true;
    Screen->Width = 1024;
    Screen->Height = 768;
    Screen->Setbpp(32);
    const int beeps = win::BeepCount();
    Screen->Initialize();
    EXPECT_EQ(Screen->BBCount, 1);
    EXPECT_EQ(Screen->BackBufferDesc().Width, 1024u);
    EXPECT_EQ(Screen->BackBufferDesc().Format, d3d::D3DFMT_A8R8G8B8);
    EXPECT_EQ(win::BeepCount(), beeps);
    EXPECT_EQ(Screen->PresentParams().FullScreen_PresentationInterval,
              d3d::D3DPRESENT_INTERVAL_IMMEDIATE);

    Screen->Width = 1000;
    Screen->Setbpp(16);
    Screen->ResetDevice();
    EXPECT_EQ(win::BeepCount(), beeps + 1);
    EXPECT_EQ(Screen->PresentParams().BackBufferWidth, 800u);
    EXPECT_EQ(Screen->PresentParams().BackBufferHeight, 600u);
    EXPECT_EQ(Screen->PresentParams().BackBufferFormat, d3d::D3DFMT_R5G6B5);
    EXPECT_EQ(Screen->Width, 1000) << "the property keeps its value";
}

TEST_F(ScreenTest, TellsItsSiblingsOfTheDeviceInTheirOrder) {
    std::vector<std::string> log;
    auto* font = rtl::Create<FakeClient>(Form, TDeviceClientKind::dcBitmapFont, "font", &log);
    auto* list1 = rtl::Create<FakeClient>(Form, TDeviceClientKind::dcImageList, "list1", &log);
    auto* gui = rtl::Create<FakeClient>(Form, TDeviceClientKind::dcGUI, "gui", &log);
    auto* input = rtl::Create<FakeClient>(Form, TDeviceClientKind::dcInput, "input", &log);
    auto* list2 = rtl::Create<FakeClient>(Form, TDeviceClientKind::dcImageList, "list2", &log);
    EXPECT_EQ(font->Screen, Screen);
    EXPECT_EQ(list1->Screen, Screen);
    EXPECT_EQ(list2->Screen, Screen);
    EXPECT_EQ(gui->Screen, nullptr) << "only image lists and fonts are given the screen";
    EXPECT_EQ(input->Screen, nullptr);

    std::vector<std::string> events;
    Screen->OnInit = [&](rtl::TObject*) { log.push_back("OnInit"); };
    Screen->OnUnInit = [&](rtl::TObject*) { log.push_back("OnUnInit"); };
    Screen->Initialize();
    EXPECT_EQ(log, (std::vector<std::string>{"list1 ready", "list2 ready", "font ready",
                                             "gui ready", "input ready", "OnInit"}));
    log.clear();
    Screen->ResetDevice();
    EXPECT_EQ(log, (std::vector<std::string>{"font lost", "list1 lost", "gui lost", "list2 lost",
                                             "OnUnInit", "list1 ready", "list2 ready", "font ready",
                                             "gui ready", "input ready", "OnInit"}));
    log.clear();
    Screen->Finalize();
    EXPECT_EQ(log, (std::vector<std::string>{"font lost", "list1 lost", "gui lost", "list2 lost",
                                             "OnUnInit"}));
    EXPECT_EQ(Screen->Device(), nullptr);
    EXPECT_FALSE(Screen->Initialized());
}

TEST_F(ScreenTest, FramesClearToOpaqueBlackAndPresentOnlyAfterABeginning) {
    Screen->Initialize();
    Frame(200, 10, 10);
    EXPECT_EQ(Presented(5, 5), 0xFFC80A0Au);
    Frame(0, 0, 0);
    EXPECT_EQ(Presented(63, 47), 0xFF000000u);
    Screen->Clear(0, 0, 255, 255);
    Screen->EndScene(); // no BeginScene: nothing is presented
    EXPECT_EQ(Presented(5, 5), 0xFF000000u);
    EXPECT_FALSE(Screen->InScene());
}

TEST_F(ScreenTest, ALostDeviceSkipsFramesThenComesBackWithItsStatesAndTextures) {
    Screen->Pool = plDefault; // the shared buffer must be let go of before the reset
    Screen->Initialize();
    TArvexRenderer renderer;
    renderer.SetScreen(Screen);
    renderer.Activate();
    std::unique_ptr<d3d::Texture> texture;
    const uint32_t green = 0xFF00FF00;
    d3d::D3DXCreateTextureFromPixels(Screen->Device(), &green, 1, 1, 0, &texture);
    Screen->SetBlendMode(3);
    Screen->SetAntialias(true);
    Frame(10, 10, 10);

    Screen->Device()->ForceLost(true);
    Screen->BeginScene();
    EXPECT_FALSE(Screen->InScene());
    Screen->Clear(255, 255, 255, 255);
    Screen->EndScene();
    EXPECT_EQ(Presented(1, 1), 0xFF0A0A0Au) << "the lost frame was skipped";

    Screen->Device()->ForceLost(false);
    Screen->BeginScene(); // resets, begins nothing
    EXPECT_FALSE(Screen->InScene());
    EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{d3d::D3DBLEND_SRCCOLOR});
    EXPECT_EQ(StageState(d3d::D3DTSS_MAGFILTER), DWORD{d3d::D3DTEXF_LINEAR});
    EXPECT_EQ(Screen->CurrentBlendMode(), 3);

    renderer.Activate();
    Screen->BeginScene();
    EXPECT_TRUE(Screen->InScene());
    Screen->Clear(0, 0, 0, 255);
    Screen->SetBlendMode(0);
    renderer.SetTexture(texture.get());
    renderer.SetPositions(-0.5f, -0.5f, 63.5f, -0.5f, 63.5f, 47.5f, -0.5f, 47.5f);
    renderer.Draw();
    Screen->EndScene();
    EXPECT_EQ(Presented(30, 20), 0xFF00FD00u) << "the managed texture survived (tint 254)";
}

TEST_F(ScreenTest, ToggleFullScreenTwiceReturnsToTheWindowWhereItWas) {
    Form->SetBounds(40, 30, 64, 48);
    const win::TRect before = Form->WindowRect();
    Screen->Initialize();
    EXPECT_EQ(Screen->ToggleFullScreen(), 0);
    EXPECT_TRUE(Screen->FullScreen);
    EXPECT_FALSE(Screen->PresentParams().Windowed);
    EXPECT_TRUE(Screen->Active());
    Screen->ToggleFullScreen();
    EXPECT_FALSE(Screen->FullScreen);
    EXPECT_TRUE(Screen->PresentParams().Windowed);
    const win::TRect after = Form->WindowRect();
    EXPECT_EQ(after.Left, before.Left);
    EXPECT_EQ(after.Top, before.Top);
    EXPECT_EQ(after.Right, before.Right);
    EXPECT_EQ(after.Bottom, before.Bottom);
    EXPECT_EQ(Screen->WindowHandle(), static_cast<win::HWND>(Form));
}

TEST_F(ScreenTest, BlendModesSkipRepeatsAndMinusOneAndTreatOthersAsNormal) {
    Screen->Initialize();
    Screen->SetBlendMode(1);
    EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{d3d::D3DBLEND_ONE});
    Screen->SetBlendMode(-1);
    EXPECT_EQ(Screen->CurrentBlendMode(), 1);
    EXPECT_EQ(RenderState(d3d::D3DRS_DESTBLEND), DWORD{d3d::D3DBLEND_ONE});
    Screen->SetBlendMode(20);
    EXPECT_EQ(Screen->CurrentBlendMode(), 20);
    EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{d3d::D3DBLEND_SRCALPHA});
    EXPECT_EQ(RenderState(d3d::D3DRS_DESTBLEND), DWORD{d3d::D3DBLEND_INVSRCALPHA});
    Screen->Device()->SetRenderState(d3d::D3DRS_SRCBLEND, d3d::D3DBLEND_ZERO);
    Screen->SetBlendMode(0); // 0 differs from 20, so the states are written again
    EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{d3d::D3DBLEND_SRCALPHA});
    Screen->Device()->SetRenderState(d3d::D3DRS_SRCBLEND, d3d::D3DBLEND_ZERO);
    Screen->SetBlendMode(0);
    EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{d3d::D3DBLEND_ZERO})
        << "a repeat writes nothing";
    const d3d::D3DBLEND table[14][2] = {{d3d::D3DBLEND_SRCALPHA, d3d::D3DBLEND_INVSRCALPHA},
                                        {d3d::D3DBLEND_ONE, d3d::D3DBLEND_ONE},
                                        {d3d::D3DBLEND_SRCALPHA, d3d::D3DBLEND_ONE},
                                        {d3d::D3DBLEND_SRCCOLOR, d3d::D3DBLEND_INVSRCCOLOR},
                                        {d3d::D3DBLEND_SRCCOLOR, d3d::D3DBLEND_ONE},
                                        {d3d::D3DBLEND_ZERO, d3d::D3DBLEND_SRCCOLOR},
                                        {d3d::D3DBLEND_ZERO, d3d::D3DBLEND_SRCALPHA},
                                        {d3d::D3DBLEND_ZERO, d3d::D3DBLEND_INVSRCCOLOR},
                                        {d3d::D3DBLEND_ZERO, d3d::D3DBLEND_INVSRCALPHA},
                                        {d3d::D3DBLEND_INVDESTCOLOR, d3d::D3DBLEND_ZERO},
                                        {d3d::D3DBLEND_SRCCOLOR, d3d::D3DBLEND_SRCCOLOR},
                                        {d3d::D3DBLEND_DESTCOLOR, d3d::D3DBLEND_DESTCOLOR},
                                        {d3d::D3DBLEND_INVSRCCOLOR, d3d::D3DBLEND_INVSRCCOLOR},
                                        {d3d::D3DBLEND_INVDESTCOLOR, d3d::D3DBLEND_INVDESTCOLOR}};
    for (int mode = 13; mode >= 0; --mode) {
        Screen->SetBlendMode(mode);
        EXPECT_EQ(RenderState(d3d::D3DRS_SRCBLEND), DWORD{table[mode][0]}) << mode;
        EXPECT_EQ(RenderState(d3d::D3DRS_DESTBLEND), DWORD{table[mode][1]}) << mode;
    }
}

TEST_F(ScreenTest, PrepareVerticesTintsEveryChannelAndAppliesTheGlobalTransform) {
    Screen->Initialize();
    ArvexVertex v[2] = {{10, 20, 0, 1, 0xFFFFFFFF, 0, 0}, {-4, 6, 0, 1, 0x80FF4000, 0, 0}};
    Screen->PrepareVertices(v, 2);
    EXPECT_EQ(v[0].diffuse, 0xFEFEFEFEu) << "255 tinted by 255 is 254";
    EXPECT_EQ(v[0].x, 10.0f);
    EXPECT_EQ(v[1].y, 6.0f);
    Screen->SetRed(128);
    Screen->Rotation = 90;
    Screen->CenterX = 10;
    Screen->CenterY = 10;
    Screen->OffsetX = 100;
    Screen->ScaleX = 2;
    ArvexVertex w = {20, 10, 0, 1, 0xFFFFFFFF, 0, 0};
    Screen->PrepareVertices(&w, 1);
    EXPECT_EQ((w.diffuse >> 16) & 0xFF, 127u);
    EXPECT_NEAR(w.x, 110.0f, 1e-4); // (10, 0) from the centre, scaled to (20, 0), turned to (0, 20)
    EXPECT_NEAR(w.y, 30.0f, 1e-4);
}

TEST_F(ScreenTest, AScreenshotSavesTheClientAreaOfTheFrontBuffer) {
    TempDir dir;
    Screen->Initialize();
    Frame(255, 0, 0);
    Screen->RequestScreenshot(dir.File("shot.bmp"));
    Frame(0, 255, 0); // saved before this frame is presented: the screen still shows red
    EXPECT_FALSE(Screen->ScreenshotPending());
    SDL_Surface* shot = SDL_LoadBMP(dir.File("shot.bmp").c_str());
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->w, 64);
    EXPECT_EQ(shot->h, 48);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(shot, SDL_PIXELFORMAT_ARGB8888, 0);
    EXPECT_EQ(static_cast<const uint32_t*>(argb->pixels)[10], 0xFFFF0000u);
    SDL_FreeSurface(argb);
    SDL_FreeSurface(shot);

    Screen->RequestScreenshot(dir.File("missing-folder/shot.bmp"));
    Frame(0, 0, 0);
    EXPECT_TRUE(Screen->ScreenshotPending()) << "a failed save is tried again next frame";
}

TEST_F(ScreenTest, ShowErrorReportsAndReturnsTheLowWordForMildSeverities) {
    win::RecordedMessageBoxes().clear();
    EXPECT_EQ(Screen->ShowError(0, int64_t{d3d::E_OUTOFMEMORY}), d3d::E_OUTOFMEMORY);
    EXPECT_EQ(Screen->ShowError(2, 0x82000007), static_cast<int32_t>(0x82000007));
    EXPECT_EQ(Screen->ShowError(0, 0x12345678ABCD), static_cast<int32_t>(0x5678ABCD));
    const auto& boxes = win::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].Text, "Not enough memory.");
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Type, win::MB_OKCANCEL);
    EXPECT_EQ(boxes[1].Text, "Your Direct3D hardware accelerator cannot\nrender into a window.");
    EXPECT_EQ(boxes[2].Text, "Switching to the reference rasterizer,\na software device that "
                             "implements the entire\nDirect3D feature set, but runs very slowly.");
    EXPECT_EQ(boxes[3].Text, "Generic application error.");
}

TEST_F(ScreenTest, FatalErrorsEndTheProgramWithExitCodeOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(Screen->ShowError(1, 0x8200000C), ::testing::ExitedWithCode(1),
                "Could not reset the Direct3D device.(.|\n)*This application will now exit.");
    EXPECT_EXIT(
        {
            d3d::SetCreationFaults({.NoHardware = true, .NoSoftware = true});
            Screen->Initialize();
        },
        ::testing::ExitedWithCode(1), "Could not find any compatible Direct3D\ndevices.");
    EXPECT_EXIT(
        {
            d3d::SetCreationFaults({.NoDirect3D = true});
            rtl::Create<TArvexScreen>(Form);
        },
        ::testing::ExitedWithCode(1), "Could not initialize Direct3D. You may\nwant to check");
}
