#include "platform/win/Dialogs.h"
#include "platform/win/MessageWindow.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace win;

namespace {

std::unique_ptr<gdi::Font> MakeFont(bool bold) {
    gdi::LOGFONT lf;
    lf.Height = -14;
    lf.FaceName = "sans-serif";
    lf.Weight = bold ? gdi::FW_BOLD : gdi::FW_NORMAL;
    return gdi::Font::Create(lf);
}

int Width(gdi::Font& font, const std::string& text) {
    gdi::Bitmap32 scratch(1, 1);
    gdi::DC dc(scratch);
    dc.SelectFont(&font);
    return dc.GetTextExtent(text).cx;
}

const std::vector<MessageButton> kYesNoCancel = {
    {IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};

class MessageWindowTest : public testing::Test {
protected:
    void SetUp() override {
        font = MakeFont(false);
        bold = MakeFont(true);
        ASSERT_TRUE(font && bold) << "no sans-serif face: is fontconfig set up?";
    }
    std::unique_ptr<gdi::Font> font;
    std::unique_ptr<gdi::Font> bold;
};

} // namespace

TEST_F(MessageWindowTest, LongTextWrapsBetweenWordsAndEverythingFitsInTheBox) {
    std::string text = "The theme \"Nowhere\" cannot be used:";
    for (int i = 0; i < 12; ++i)
        text += " several more words";
    text += "\nThe game will now exit.";
    const MessageWindowLayout layout =
        LayOutMessageWindow(*font, *bold, "Kosmorra", text, kYesNoCancel);

    ASSERT_GE(layout.Lines.size(), 3u);
    EXPECT_EQ(layout.Lines.back(), "The game will now exit.");
    std::string joined;
    for (const std::string& line : layout.Lines) {
        EXPECT_LE(Width(*font, line), MessageWindowLayout::MaxTextWidth) << line;
        EXPECT_NE(line.front(), ' ') << "a line starts with the space it was broken at";
        joined += (joined.empty() ? "" : " ") + line;
    }
    std::string expected = text;
    expected[expected.find('\n')] = ' ';
    EXPECT_EQ(joined, expected) << "no word may be lost or changed by wrapping";

    const int textBottom =
        layout.TextTop + static_cast<int>(layout.Lines.size()) * layout.LineHeight;
    EXPECT_GE(layout.TextTop, layout.CaptionStrip.Height);
    ASSERT_EQ(layout.Buttons.size(), 3u);
    for (size_t i = 0; i < layout.Buttons.size(); ++i) {
        const MessageRect& b = layout.Buttons[i];
        EXPECT_GE(b.Top, textBottom);
        EXPECT_GE(b.Left, 0);
        EXPECT_LE(b.Left + b.Width, layout.Width);
        EXPECT_LE(b.Top + b.Height, layout.Height);
        if (i > 0) {
            EXPECT_LT(layout.Buttons[i - 1].Left + layout.Buttons[i - 1].Width, b.Left);
        }
    }
    // The row is centred.
    const int leftMargin = layout.Buttons.front().Left;
    const int rightMargin =
        layout.Width - (layout.Buttons.back().Left + layout.Buttons.back().Width);
    EXPECT_LE(std::abs(leftMargin - rightMargin), 1);
}

TEST_F(MessageWindowTest, AWordWiderThanALineIsCutWithoutLosingCharacters) {
    const std::string path = "./Themes/" + std::string(120, 'W') + ".OIL";
    const MessageWindowLayout layout =
        LayOutMessageWindow(*font, *bold, "Error", "Missing: " + path, {{IDOK, "OK"}});
    std::string joined;
    for (const std::string& line : layout.Lines) {
        EXPECT_LE(Width(*font, line), MessageWindowLayout::MaxTextWidth);
        joined += line;
    }
    EXPECT_EQ(joined, "Missing:" + path);
    EXPECT_LE(layout.Width, MessageWindowLayout::MaxTextWidth + 2 * 16);
}

TEST(MessageWindowInput, ReturnPressesTheFocusedButtonAndEscapeAlwaysGivesTheEscapeAnswer) {
    MessageWindowInput input(kYesNoCancel, 0, IDCANCEL);
    EXPECT_EQ(input.Key(MessageKey::Return), IDYES) << "the default button has the focus first";
    EXPECT_EQ(input.Key(MessageKey::Next), 0);
    EXPECT_EQ(input.Key(MessageKey::Space), IDNO);
    EXPECT_EQ(input.Key(MessageKey::Escape), IDCANCEL);
    EXPECT_EQ(input.Key(MessageKey::Next), 0);
    EXPECT_EQ(input.Key(MessageKey::Next), 0);
    EXPECT_EQ(input.Focus(), 0) << "focus wraps round past the last button";
    EXPECT_EQ(input.Key(MessageKey::Previous), 0);
    EXPECT_EQ(input.Key(MessageKey::Return), IDCANCEL);
}

TEST_F(MessageWindowTest, AClickAnswersOnlyWhenReleasedOnTheButtonItPressed) {
    const MessageWindowLayout layout =
        LayOutMessageWindow(*font, *bold, "Q", "Sure?", kYesNoCancel);
    MessageWindowInput input(kYesNoCancel, 0, IDCANCEL);
    const auto middle = [&](size_t i, int& x, int& y) {
        x = layout.Buttons[i].Left + layout.Buttons[i].Width / 2;
        y = layout.Buttons[i].Top + layout.Buttons[i].Height / 2;
    };
    int x = 0, y = 0, x2 = 0, y2 = 0;
    middle(1, x, y);
    middle(2, x2, y2);

    input.MouseDown(layout, x, y);
    EXPECT_EQ(input.Pressed(), 1);
    EXPECT_EQ(input.MouseUp(layout, x2, y2), 0) << "released over another button";
    EXPECT_EQ(input.Pressed(), -1);

    input.MouseDown(layout, 1, 1);
    EXPECT_EQ(input.MouseUp(layout, x, y), 0) << "pressed outside every button";

    input.MouseDown(layout, x, y);
    EXPECT_EQ(input.MouseUp(layout, x + 1, y), IDNO);
    EXPECT_EQ(input.Focus(), 1) << "a pressed button takes the focus";
}

TEST_F(MessageWindowTest, PaintShowsCaptionStripTextAndTheFocusedButton) {
    const std::vector<MessageButton> okCancel = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    const MessageWindowLayout layout =
        LayOutMessageWindow(*font, *bold, "Error!", "The stream could not be loaded.", okCancel);
    MessageWindowInput input(okCancel, 0, IDCANCEL);
    input.Key(MessageKey::Next);
    gdi::Bitmap32 picture(layout.Width, layout.Height);
    const uint32_t strip = CaptionStripColor(MB_ICONERROR);
    PaintMessageWindow(layout, input, okCancel, "Error!", strip, *font, *bold, picture);

    const auto at = [&](int x, int y) {
        return picture.Pixels[static_cast<size_t>(y) * picture.Width + x];
    };
    EXPECT_EQ(at(layout.Width - 2, 2), strip);
    bool captionInk = false, textInk = false;
    for (int y = 0; y < layout.CaptionStrip.Height; ++y)
        for (int x = 0; x < layout.Width / 2; ++x)
            captionInk |= at(x, y) == 0xFFFFFF;
    for (int y = layout.TextTop; y < layout.TextTop + layout.LineHeight; ++y)
        for (int x = layout.TextLeft; x < layout.Width / 2; ++x)
            textInk |= at(x, y) == 0x000000;
    EXPECT_TRUE(captionInk) << "the caption is drawn on its strip";
    EXPECT_TRUE(textInk) << "the text is drawn";
    const MessageRect& ok = layout.Buttons[0];
    const MessageRect& cancel = layout.Buttons[1];
    EXPECT_NE(at(ok.Left, ok.Top), at(cancel.Left, cancel.Top))
        << "the focused button's border stands out";
    EXPECT_EQ(at(cancel.Left + 1, cancel.Top + 1), at(cancel.Left, cancel.Top))
        << "the focus border is two pixels wide";
    EXPECT_NE(CaptionStripColor(MB_ICONERROR), CaptionStripColor(MB_ICONINFORMATION));
}
