// The browser's host of the platform's own message box. A page has one canvas and SDL one window
// in it, so the box is drawn over the middle of the program's picture (its window surface,
// where the software device presents), answers the keyboard and the mouse there, and puts the
// picture back when it closes. Its loop waits with SDL_WaitEvent, whose pauses give the browser
// its turn (the build's asynchronous-call transformation), so the page never freezes.
#include "platform/win/MessageWindow.h"

#include <SDL.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace win {

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

bool Present(SDL_Window* window, const gdi::Bitmap32& picture, int left, int top) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface)
        return false;
    const Surface source(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(picture.Pixels.data()), picture.Width, picture.Height, 32,
        picture.Width * 4, SDL_PIXELFORMAT_RGB888));
    if (!source)
        return false;
    SDL_Rect at{left, top, picture.Width, picture.Height};
    return SDL_BlitSurface(source.get(), nullptr, surface, &at) == 0 &&
           SDL_UpdateWindowSurface(window) == 0;
}

} // namespace

int ShowMessageWindow(void* parent, const std::string& caption, const std::string& text,
                      const std::vector<MessageButton>& buttons, int defaultIndex, int escapeId,
                      unsigned iconBits) {
    auto* window = static_cast<SDL_Window*>(parent);
    if (!window || buttons.empty())
        return -1;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface)
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
    const int left = std::max(0, (surface->w - layout.Width) / 2);
    const int top = std::max(0, (surface->h - layout.Height) / 2);

    // The program's picture under the box, to be put back.
    const Surface saved(SDL_ConvertSurface(surface, surface->format, 0));
    const int shown = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);

    // Events the program must not lose wait for its loop: focus, keys let go, quit.
    std::vector<SDL_Event> keep;
    int answer = 0;
    bool repaint = true;
    while (answer == 0) {
        if (repaint) {
            PaintMessageWindow(layout, input, buttons, caption, strip, *font, *bold, picture);
            if (!Present(window, picture, left, top)) {
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
            keep.push_back(e);
            repaint = true;
            break;
        case SDL_KEYDOWN: {
            // A key held in the game before the box opened reaches it only as repeats.
            MessageKey key;
            if (!e.key.repeat && MessageKeyOf(e.key.keysym.sym, e.key.keysym.mod, key)) {
                answer = input.Key(key);
                repaint = true;
            }
            break;
        }
        case SDL_KEYUP:
            keep.push_back(e);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                input.MouseDown(layout, e.button.x - left, e.button.y - top);
                repaint = true;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                answer = input.MouseUp(layout, e.button.x - left, e.button.y - top);
                repaint = true;
            }
            break;
        default:
            break;
        }
    }
    SDL_ShowCursor(shown);
    SDL_Surface* now = SDL_GetWindowSurface(window);
    if (saved && now) {
        SDL_BlitSurface(saved.get(), nullptr, now, nullptr);
        SDL_UpdateWindowSurface(window);
    }
    for (SDL_Event& e : keep)
        SDL_PushEvent(&e);
    return answer;
}

} // namespace win
