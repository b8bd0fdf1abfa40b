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

// ---- The window
// ----------------------------------------------------------------------------------

namespace {

bool Present(SDL_Window* window, const gdi::Bitmap32& picture) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface)
        return false;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(picture.Pixels.data()), picture.Width, picture.Height, 32,
        picture.Width * 4, SDL_PIXELFORMAT_RGB888);
    if (!source)
        return false;
    const bool ok = SDL_BlitSurface(source, nullptr, surface, nullptr) == 0;
    SDL_FreeSurface(source);
    return ok && SDL_UpdateWindowSurface(window) == 0;
}

bool KeyOf(const SDL_Keysym& sym, MessageKey& key) {
    switch (sym.sym) {
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
        key = (sym.mod & KMOD_SHIFT) ? MessageKey::Previous : MessageKey::Next;
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

// Takes the video subsystem for the box's lifetime when nobody else has it yet.
struct VideoUse {
    bool Started = false;
    bool Ready = false;
    VideoUse() {
        Ready = SDL_WasInit(SDL_INIT_VIDEO) != 0;
        if (!Ready) {
            AvoidWaylandFrameLibrary();
            Ready = Started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        }
    }
    ~VideoUse() {
        if (Started)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

} // namespace

void AvoidWaylandFrameLibrary() {
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0", SDL_HINT_DEFAULT);
}

int ShowMessageWindow(void* parent, const std::string& caption, const std::string& text,
                      const std::vector<MessageButton>& buttons, int defaultIndex, int escapeId,
                      unsigned iconBits) {
    VideoUse video;
    if (!video.Ready || buttons.empty())
        return -1;
    // A window on a driver nobody looks at would wait for an answer forever.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0 ||
        std::strcmp(driver, "evdev") == 0)
        return -1;

    gdi::LOGFONT logFont;
    logFont.Height = -14;
    logFont.FaceName = "sans-serif";
    std::unique_ptr<gdi::Font> font = gdi::Font::Create(logFont);
    logFont.Weight = gdi::FW_BOLD;
    std::unique_ptr<gdi::Font> bold = gdi::Font::Create(logFont);
    if (!font || !bold)
        return -1;

    const MessageWindowLayout layout = LayOutMessageWindow(*font, *bold, caption, text, buttons);
    MessageWindowInput input(buttons, defaultIndex, escapeId);
    gdi::Bitmap32 picture(layout.Width, layout.Height);
    const uint32_t strip = CaptionStripColor(iconBits);

    auto* owner = static_cast<SDL_Window*>(parent);
    const int display = owner ? std::max(0, SDL_GetWindowDisplayIndex(owner)) : 0;
    SDL_Window* window = SDL_CreateWindow(
        rtl::Win1252ToUtf8(caption).c_str(), SDL_WINDOWPOS_CENTERED_DISPLAY(display),
        SDL_WINDOWPOS_CENTERED_DISPLAY(display), layout.Width, layout.Height,
        SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
    if (!window)
        return -1;
    if (owner)
        SDL_SetWindowModalFor(window, owner);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    // Without a window manager nobody gives the new window the keyboard; it takes it itself.
    SDL_SetWindowInputFocus(window);
    const uint32_t id = SDL_GetWindowID(window);

    // Events of the program's other windows wait for the loop to come back, except those that
    // would leave it wrong if lost: its size and focus, keys let go, a request to quit.
    std::vector<SDL_Event> keep;
    bool closedHere = false;
    bool focusAsked = false;
    int answer = 0;
    bool repaint = true;
    while (answer == 0) {
        if (repaint) {
            PaintMessageWindow(layout, input, buttons, caption, strip, *font, *bold, picture);
            if (!Present(window, picture)) {
                answer = -1;
                break;
            }
            repaint = false;
        }
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            answer = -1;
            break;
        }
        switch (e.type) {
        case SDL_QUIT:
            keep.push_back(e);
            answer = input.EscapeAnswer();
            break;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != id) {
                keep.push_back(e);
            } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                closedHere = true;
                answer = input.EscapeAnswer();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                       e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                repaint = true;
                // A window manager that frames the box only now may have kept the keyboard
                // elsewhere; once the box is on the screen, ask again.
                if (!focusAsked && e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    focusAsked = true;
                    SDL_RaiseWindow(window);
                    SDL_SetWindowInputFocus(window);
                }
            }
            break;
        case SDL_KEYDOWN: {
            // A key still held from before the box opened reaches it only as repeats: a player
            // holding Return in the game must not answer a box they have not seen.
            MessageKey key;
            if (e.key.windowID == id && !e.key.repeat && KeyOf(e.key.keysym, key)) {
                answer = input.Key(key);
                repaint = true;
            }
            break;
        }
        case SDL_KEYUP:
            if (e.key.windowID != id)
                keep.push_back(e);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT) {
                input.MouseDown(layout, e.button.x, e.button.y);
                repaint = true;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT) {
                answer = input.MouseUp(layout, e.button.x, e.button.y);
                repaint = true;
            }
            break;
        default:
            break;
        }
    }
    SDL_DestroyWindow(window);
    // Closing the program's only window also queues a quit, which is no request of anybody's.
    if (closedHere) {
        SDL_PumpEvents();
        SDL_FlushEvent(SDL_QUIT);
    }
    if (owner)
        SDL_RaiseWindow(owner);
    for (SDL_Event& e : keep)
        SDL_PushEvent(&e);
    return answer;
}

} // namespace win
