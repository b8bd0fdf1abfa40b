#include "platform/win/MessageWindow.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Dialogs.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <memory>

namespace win {

namespace {

constexpr int kPadding = 16;
constexpr int kButtonGap = 8;
constexpr int kButtonMinWidth = 88;
constexpr int kMinWidth = 260;

constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonPressed = 0xBCDCF4;
constexpr uint32_t kButtonBorder = 0xADADAD;
constexpr uint32_t kFocusBorder = 0x0078D7;
constexpr uint32_t kCaptionText = 0xFFFFFF;

int TextWidth(gdi::Font& font, const std::string& text) {
    gdi::Bitmap32 scratch(1, 1);
    gdi::DC dc(scratch);
    dc.SelectFont(&font);
    return dc.GetTextExtent(text).cx;
}

// One paragraph (no line ends) broken into lines no wider than width.
void WrapParagraph(gdi::Font& font, const std::string& paragraph, int width,
                   std::vector<std::string>& lines) {
    std::string line;
    size_t pos = 0;
    while (pos < paragraph.size()) {
        const size_t space = paragraph.find(' ', pos);
        const size_t end = space == std::string::npos ? paragraph.size() : space;
        const std::string word = paragraph.substr(pos, end - pos);
        pos = end == paragraph.size() ? end : end + 1;
        const std::string joined = line.empty() ? word : line + " " + word;
        if (TextWidth(font, joined) <= width) {
            line = joined;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        line = word;
        // A word (a long path, say) wider than a whole line is cut by characters.
        while (line.size() > 1 && TextWidth(font, line) > width) {
            size_t fit = 1;
            while (fit < line.size() && TextWidth(font, line.substr(0, fit + 1)) <= width)
                ++fit;
            lines.push_back(line.substr(0, fit));
            line.erase(0, fit);
        }
    }
    lines.push_back(line);
}

void Fill(gdi::Bitmap32& target, const MessageRect& r, uint32_t color) {
    const int x0 = std::max(r.Left, 0), y0 = std::max(r.Top, 0);
    const int x1 = std::min(r.Left + r.Width, target.Width);
    const int y1 = std::min(r.Top + r.Height, target.Height);
    for (int y = y0; y < y1; ++y)
        std::fill_n(target.Pixels.begin() + static_cast<ptrdiff_t>(y) * target.Width + x0,
                    std::max(0, x1 - x0), color);
}

void Frame(gdi::Bitmap32& target, const MessageRect& r, int thickness, uint32_t color) {
    Fill(target, {r.Left, r.Top, r.Width, thickness}, color);
    Fill(target, {r.Left, r.Top + r.Height - thickness, r.Width, thickness}, color);
    Fill(target, {r.Left, r.Top, thickness, r.Height}, color);
    Fill(target, {r.Left + r.Width - thickness, r.Top, thickness, r.Height}, color);
}

} // namespace

// ---- Layout ------------------------------------------------------------------------------------

MessageWindowLayout LayOutMessageWindow(gdi::Font& font, gdi::Font& bold,
                                        const std::string& caption, const std::string& text,
                                        const std::vector<MessageButton>& buttons) {
    MessageWindowLayout layout;
    layout.LineHeight = font.Ascent() + font.Descent() + 2;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.pop_back();
        WrapParagraph(font, paragraph, MessageWindowLayout::MaxTextWidth, layout.Lines);
        start = end + 1;
    }

    int textWidth = 0;
    for (const std::string& line : layout.Lines)
        textWidth = std::max(textWidth, TextWidth(font, line));
    const int buttonHeight = font.Ascent() + font.Descent() + 12;
    std::vector<int> buttonWidths;
    int rowWidth = 0;
    for (const MessageButton& b : buttons) {
        buttonWidths.push_back(std::max(kButtonMinWidth, TextWidth(font, b.Label) + 24));
        rowWidth += buttonWidths.back() + (rowWidth > 0 ? kButtonGap : 0);
    }
    const int captionWidth =
        std::min(TextWidth(bold, caption), MessageWindowLayout::MaxTextWidth + kPadding);
    layout.Width =
        std::max({kMinWidth, textWidth + 2 * kPadding, rowWidth + 2 * kPadding, captionWidth + 24});

    layout.CaptionStrip = {0, 0, layout.Width, bold.Ascent() + bold.Descent() + 12};
    layout.TextLeft = kPadding;
    layout.TextTop = layout.CaptionStrip.Height + kPadding;
    const int buttonTop =
        layout.TextTop + static_cast<int>(layout.Lines.size()) * layout.LineHeight + kPadding;
    int x = (layout.Width - rowWidth) / 2;
    for (int width : buttonWidths) {
        layout.Buttons.push_back({x, buttonTop, width, buttonHeight});
        x += width + kButtonGap;
    }
    layout.Height = buttonTop + buttonHeight + kPadding;
    return layout;
}

// ---- Keyboard and mouse
// --------------------------------------------------------------------------

MessageWindowInput::MessageWindowInput(std::vector<MessageButton> buttons, int defaultIndex,
                                       int escapeId)
    : FButtons(std::move(buttons)), FEscapeId(escapeId) {
    const int count = static_cast<int>(FButtons.size());
    FFocus = count > 0 ? std::clamp(defaultIndex, 0, count - 1) : -1;
}

int MessageWindowInput::Key(MessageKey key) {
    const int count = static_cast<int>(FButtons.size());
    switch (key) {
    case MessageKey::Return:
    case MessageKey::Space:
        return FFocus >= 0 ? FButtons[static_cast<size_t>(FFocus)].Id : FEscapeId;
    case MessageKey::Escape:
        return FEscapeId;
    case MessageKey::Next:
        if (count > 0)
            FFocus = (FFocus + 1) % count;
        return 0;
    case MessageKey::Previous:
        if (count > 0)
            FFocus = (FFocus + count - 1) % count;
        return 0;
    }
    return 0;
}

void MessageWindowInput::MouseDown(const MessageWindowLayout& layout, int x, int y) {
    FPressed = -1;
    for (size_t i = 0; i < layout.Buttons.size() && i < FButtons.size(); ++i) {
        if (layout.Buttons[i].Contains(x, y)) {
            FPressed = static_cast<int>(i);
            FFocus = FPressed;
        }
    }
}

int MessageWindowInput::MouseUp(const MessageWindowLayout& layout, int x, int y) {
    const int pressed = FPressed;
    FPressed = -1;
    if (pressed < 0 || !layout.Buttons[static_cast<size_t>(pressed)].Contains(x, y))
        return 0;
    return FButtons[static_cast<size_t>(pressed)].Id;
}

// ---- Painting
// ------------------------------------------------------------------------------------

uint32_t CaptionStripColor(unsigned iconBits) {
    switch (iconBits & 0xF0) {
    case MB_ICONERROR:
        return 0xB3261E;
    case MB_ICONWARNING:
        return 0x9A6700;
    default:
        return 0x2B579A;
    }
}

void PaintMessageWindow(const MessageWindowLayout& layout, const MessageWindowInput& input,
                        const std::vector<MessageButton>& buttons, const std::string& caption,
                        uint32_t stripColor, gdi::Font& font, gdi::Font& bold,
                        gdi::Bitmap32& target) {
    std::fill(target.Pixels.begin(), target.Pixels.end(), kFace);
    gdi::DC dc(target);
    Fill(target, layout.CaptionStrip, stripColor);
    dc.SelectFont(&bold);
    dc.SetTextColor(kCaptionText);
    dc.SetBkColor(stripColor);
    dc.TextOut(12, 6, caption);

    dc.SelectFont(&font);
    dc.SetTextColor(kText);
    dc.SetBkColor(kFace);
    for (size_t i = 0; i < layout.Lines.size(); ++i)
        dc.TextOut(layout.TextLeft, layout.TextTop + static_cast<int>(i) * layout.LineHeight,
                   layout.Lines[i]);

    for (size_t i = 0; i < layout.Buttons.size() && i < buttons.size(); ++i) {
        const MessageRect& r = layout.Buttons[i];
        const bool pressed = input.Pressed() == static_cast<int>(i);
        const bool focused = input.Focus() == static_cast<int>(i);
        const uint32_t face = pressed ? kButtonPressed : kButtonFace;
        Fill(target, r, face);
        Frame(target, r, focused ? 2 : 1, focused ? kFocusBorder : kButtonBorder);
        const gdi::SIZE extent = dc.GetTextExtent(buttons[i].Label);
        dc.SetBkColor(face);
        dc.TextOut(r.Left + (r.Width - extent.cx) / 2, r.Top + (r.Height - extent.cy) / 2,
                   buttons[i].Label);
    }
}

bool MessageKeyOf(int sym, unsigned mod, MessageKey& key) {
    switch (sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        key = MessageKey::Return;
        return true;
    case SDLK_SPACE:
        key = MessageKey::Space;
        return true;
    case SDLK_ESCAPE:
        key = MessageKey::Escape;
        return true;
    case SDLK_TAB:
        key = (mod & KMOD_SHIFT) ? MessageKey::Previous : MessageKey::Next;
        return true;
    case SDLK_RIGHT:
    case SDLK_DOWN:
        key = MessageKey::Next;
        return true;
    case SDLK_LEFT:
    case SDLK_UP:
        key = MessageKey::Previous;
        return true;
    default:
        return false;
    }
}

void AvoidWaylandFrameLibrary() {
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0", SDL_HINT_DEFAULT);
}

} // namespace win
