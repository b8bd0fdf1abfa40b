// The desktop's host of the platform's own message box: a window of its own, over the program's
// window, with its own small event loop (MessageWindow.h says when it is shown).
#include "platform/rtl/Strings.h"
#include "platform/win/MessageWindow.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <memory>

namespace win {

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
            if (e.key.windowID == id && !e.key.repeat &&
                MessageKeyOf(e.key.keysym.sym, e.key.keysym.mod, key)) {
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
