// Buttons and edit boxes drawn on the software device, compared with golden pictures.
#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "engine/gui/ArvexGUI.h"
#include "engine/gui/ArvexWidgets.h"
#include "engine/sprites/ArvexBitmapFont.h"
#include "platform/d3d/Device.h"
#include "platform/rtl/Pictures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/Headless.h"
#include "tools/oil/Theme.h"

#include <gtest/gtest.h>

using testing_support::HeadlessApp;
using testing_support::Image;
using testing_support::MatchesGolden;

namespace {

constexpr int kWidth = 224;
constexpr int kHeight = 80;

rtl::TPixels Blank(int width, int height) {
    rtl::TPixels p;
    p.Width = width;
    p.Height = height;
    p.Argb.assign(static_cast<size_t>(width) * height, 0u);
    return p;
}

// Glyph cells of 6 x 8 for "ABC_": each a different letter-like mark in its own colour, a
// transparent column and row around it.
rtl::TPixels Glyphs() {
    rtl::TPixels p = Blank(24, 8);
    const uint32_t colours[] = {0xFFFFFFFFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF80FFu};
    for (int cell = 0; cell < 4; ++cell)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool on = cell == 3 ? y == 6 // the caret's underline
                                          : x == 0 || y == (cell == 1 ? 3 : 0) || x == cell + 1;
                if (on)
                    p.Argb[static_cast<size_t>(y) * 24 + cell * 6 + x] = colours[cell];
            }
    return p;
}

// Three 32 x 16 tiles, one per state: blue (normal), green (hover), red (pressed), each with a
// lighter top row so that flips and offsets would show.
rtl::TPixels States() {
    rtl::TPixels p = Blank(96, 16);
    const uint32_t body[] = {0xFF203090u, 0xFF209030u, 0xFF902020u};
    const uint32_t top[] = {0xFF6080F0u, 0xFF60F080u, 0xFFF06060u};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 96; ++x)
            p.Argb[static_cast<size_t>(y) * 96 + x] = y == 0 ? top[x / 32] : body[x / 32];
    return p;
}

// The overlay: a 32 x 16 orange frame, transparent inside.
rtl::TPixels Frame() {
    rtl::TPixels p = Blank(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            if (x < 2 || y < 2 || x > 29 || y > 13)
                p.Argb[static_cast<size_t>(y) * 32 + x] = 0xFFFF9000u;
    return p;
}

class WidgetsTest : public ::testing::Test {
protected:
    WidgetsTest() {
        Form = new win::TForm(&H.App);
        Form->SetClientSize(kWidth, kHeight);
        Screen = rtl::Create<TArvexScreen>(Form);
        List = rtl::Create<TArvexImageList>(Form);
        Font = rtl::Create<TArvexBitmapFont>(Form);
        GUI = rtl::Create<TArvexGUI>(Form);
        Screen->RenderMode = rmReference;
        Screen->Width = kWidth;
        Screen->Height = kHeight;
        Screen->SetWindowHandle(Form);
        EXPECT_EQ(Screen->Initialize(), 0);
        const auto png = [](const std::string& name, const rtl::TPixels& pixels, int w, int h) {
            return oil::ThemePicture{
                name, "TPNGObject", rtl::EncodePNG(pixels), w, h, rtl::clBlack, false, ""};
        };
        const std::vector<uint8_t> theme =
            oil::WriteTheme({png("glyphs", Glyphs(), 6, 8), png("states", States(), 32, 16),
                             png("frame", Frame(), 32, 16)});
        rtl::TMemoryStream stream;
        stream.WriteBuffer(theme.data(), static_cast<int64_t>(theme.size()));
        List->ImageList().LoadFromStream(stream);
        List->LoadTextures();
        Font->SetArvexImageList(List);
        Font->SetArvexImageIndex(0);
        Font->SetCharacters("ABC_");
        Font->Initialize();
        GUI->ArvexBitmapFont = Font;
        Widgets = new TArvexGUIList(GUI);
    }

    template <typename T>
    T* Add(int x, int y, int width, int height) {
        auto* w = new T(Widgets);
        w->X = x;
        w->Y = y;
        w->Width = width;
        w->Height = height;
        for (int slot = 0; slot < 3; ++slot) {
            w->SetImage(slot, List->Items(1));
            w->SetPattern(slot, slot);
        }
        w->SetImage(3, List->Items(2));
        w->SetPattern(3, 0);
        return w;
    }

    // Draws each widget in turn, with the pointer over it and the left button as given.
    void Draw(const std::vector<std::pair<TArvexGUIComponent*, int>>& widgets) {
        Screen->BeginScene();
        Screen->Clear(16, 16, 16, 255);
        for (const auto& [widget, state] : widgets) {
            GUI->HoverId = state > 0 ? widget->Id : 0;
            GUI->LeftDown = state == 2;
            widget->Draw();
        }
        Screen->EndScene();
    }

    Image Shot() {
        Image image;
        image.Width = kWidth;
        image.Height = kHeight;
        image.Pixels = Screen->Device()->ReadBackBuffer();
        for (uint32_t& p : image.Pixels)
            p |= 0xFF000000u;
        return image;
    }

    HeadlessApp H;
    win::TForm* Form;
    TArvexScreen* Screen;
    TArvexImageList* List;
    TArvexBitmapFont* Font;
    TArvexGUI* GUI;
    TArvexGUIList* Widgets;
};

} // namespace

// Top row: normal, hover, pressed, checked (the frame over it) with the caption "AB" centred,
// and one captioned a quarter of its width in; middle row: the same four states without a
// caption; bottom row: a focused edit box (frame, caret after its first letter) and one without
// the focus.
TEST_F(WidgetsTest, ButtonStatesCaptionsAndEditBoxes) {
    std::vector<std::pair<TArvexGUIComponent*, int>> order;
    for (int row = 0; row < 2; ++row) {
        for (int state = 0; state < 4; ++state) {
            auto* b = Add<TArvexButton>(8 + 40 * state, 6 + 24 * row, 32, 16);
            b->Caption = row == 0 ? "AB" : "";
            b->Checked = state == 3;
            order.push_back({b, state == 3 ? 0 : state});
        }
    }
    auto* left = Add<TArvexButton>(168, 6, 48, 16);
    left->Caption = "AB";
    left->CenterCaption = false;
    order.push_back({left, 0});

    auto* focused = Add<TArvexEdit>(8, 54, 32, 16);
    focused->Text = "ABC";
    focused->CaretPos = 1;
    auto* other = Add<TArvexEdit>(48, 54, 32, 16);
    other->Text = "CA";
    other->CaretPos = 2;
    GUI->FocusId = focused->Id;
    order.push_back({focused, 0});
    order.push_back({other, 0});
    Draw(order);
    EXPECT_TRUE(MatchesGolden("gui_widgets", Shot()));
}

TEST_F(WidgetsTest, ATurnedEditBoxLeavesTheFontsPivotAtZero) {
    auto* edit = Add<TArvexEdit>(60, 20, 32, 16);
    edit->Text = "AB";
    edit->Angle = 90;
    GUI->FocusId = edit->Id;
    Draw({{edit, 0}});
    EXPECT_EQ(Font->CenterX, 0);
    EXPECT_EQ(Font->CenterY, 0);
}
