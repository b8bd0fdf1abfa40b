#include "platform/d3d/DeviceWindow.h"

#include "platform/win/Forms.h"
#include "platform/win/X11Window.h"

#include <SDL.h>
#include <algorithm>

namespace d3d {

namespace {

SDL_Window* sdl(void* window) {
    return static_cast<SDL_Window*>(window);
}

} // namespace

D3DFORMAT DisplayFormatOf(uint32_t sdlPixelFormat) {
    if (SDL_BITSPERPIXEL(sdlPixelFormat) == 16 || sdlPixelFormat == SDL_PIXELFORMAT_RGB565)
        return D3DFMT_R5G6B5;
    return D3DFMT_X8R8G8B8;
}

DeviceWindow::DeviceWindow(HWND window) : FForm(dynamic_cast<win::TForm*>(window)) {
    if (FForm)
        FForm->Handle(); // a form makes its SDL window when first asked for it
}

DeviceWindow::~DeviceWindow() {
    if (FForm && FMapping)
        FForm->ClientMapping = nullptr;
}

void* DeviceWindow::NativeWindow() const {
    return FForm ? FForm->NativeWindow() : nullptr;
}

void DeviceWindow::Apply(bool windowed, UINT backBufferWidth, UINT backBufferHeight) {
    FWindowed = windowed;
    FWidth = backBufferWidth;
    FHeight = backBufferHeight;
    FHadFocus = false;
    FAreaWidth = FAreaHeight = 0;
    SDL_Window* window = sdl(NativeWindow());
    if (!window)
        return;
    // Full screen is SDL's full-screen flag, or, where we cover the display ourselves, a window
    // without borders (the game's window always has them otherwise).
    const bool wasFullScreen =
        (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS)) != 0;
    if (!windowed && !wasFullScreen) {
        FSaved = win::x11::Geometry{};
        if (!win::x11::RealGeometry(window, FSaved)) {
            SDL_GetWindowPosition(window, &FSaved.X, &FSaved.Y);
            SDL_GetWindowSize(window, &FSaved.Width, &FSaved.Height);
        }
    }
    FUnmanaged = win::x11::OnX11(window) && !win::x11::WindowManagerRunning(window);
    if (FUnmanaged) {
        // SDL's full-screen request goes to a window manager, and SDL then waits for an answer
        // that never comes (a tenth of a second at every show and every switch). Without one,
        // full screen is simply a window without borders over the display, placed by us below.
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, windowed ? SDL_TRUE : SDL_FALSE);
    } else {
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowFullscreen(window, windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    if (!windowed) {
        CoverDisplay();
    } else if (wasFullScreen && FSaved.Width > 0) {
        // Nothing remembers where the window was but us: a window manager puts it back at the
        // top left, and without one it keeps covering the display.
        SDL_SetWindowSize(window, FSaved.Width, FSaved.Height);
        SDL_SetWindowPosition(window, FSaved.X, FSaved.Y);
        if (FUnmanaged)
            win::x11::MoveResize(window, FSaved);
    }
    FMapping = true;
    FForm->ClientMapping = [this](int& x, int& y) {
        int width = FAreaWidth, height = FAreaHeight;
        if (width <= 0 || height <= 0) {
            SDL_Window* w = sdl(NativeWindow());
            if (!w)
                return;
            win::x11::Geometry real;
            if (win::x11::RealGeometry(w, real)) {
                width = real.Width;
                height = real.Height;
            } else {
                SDL_GetWindowSize(w, &width, &height);
            }
        }
        MapToBackBuffer(width, height, x, y);
    };
}

void DeviceWindow::MapToBackBuffer(int areaWidth, int areaHeight, int& x, int& y) const {
    const Placement p = Place(areaWidth, areaHeight);
    if (p.Width <= 0 || p.Height <= 0)
        return;
    // Floor division, so that a pixel left of the picture maps left of column 0.
    const auto map = [](int v, int origin, int extent, UINT size) {
        const long long scaled = static_cast<long long>(v - origin) * size;
        return static_cast<int>(scaled >= 0 ? scaled / extent : -((-scaled + extent - 1) / extent));
    };
    x = map(x, p.X, p.Width, FWidth);
    y = map(y, p.Y, p.Height, FHeight);
}

void DeviceWindow::CoverDisplay() {
    SDL_Window* window = sdl(NativeWindow());
    if (!window || FWindowed || !FUnmanaged)
        return;
    // SDL asked a window manager that is not there; the window is ours to place.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &bounds) != 0)
        return;
    const win::x11::Geometry display{bounds.x, bounds.y, bounds.w, bounds.h};
    win::x11::Geometry real;
    if (!win::x11::RealGeometry(window, real))
        return;
    if (real.X != display.X || real.Y != display.Y || real.Width != display.Width ||
        real.Height != display.Height)
        win::x11::MoveResize(window, display);
}

Placement DeviceWindow::Place(int areaWidth, int areaHeight) const {
    if (FWindowed || FWidth == 0 || FHeight == 0)
        return Placement{0, 0, areaWidth, areaHeight};
    // The largest picture of the back buffer's shape that fits, centred.
    const long long w = FWidth, h = FHeight;
    int width = areaWidth;
    int height = static_cast<int>(areaWidth * h / w);
    if (height > areaHeight) {
        height = areaHeight;
        width = static_cast<int>(areaHeight * w / h);
    }
    return Placement{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

bool DeviceWindow::PresentArea(int& width, int& height) {
    SDL_Window* window = sdl(NativeWindow());
    if (!window)
        return false;
    // SDL answers with the size it asked for; the server knows the size the window has. On X
    // the two units agree, so the same figures serve the mouse.
    CoverDisplay();
    const bool real = win::x11::RealSize(window, width, height);
    if (!real) {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)
            SDL_GL_GetDrawableSize(window, &width, &height);
        else
            SDL_GetWindowSizeInPixels(window, &width, &height);
    }
    if (width <= 0 || height <= 0)
        return false;
    if (real) {
        FAreaWidth = width;
        FAreaHeight = height;
    }
    return true;
}

bool DeviceWindow::Left() {
    SDL_Window* window = sdl(NativeWindow());
    if (!window || FWindowed)
        return false;
    const Uint32 flags = SDL_GetWindowFlags(window);
    if (flags & SDL_WINDOW_INPUT_FOCUS)
        FHadFocus = true;
    // Without a window manager a window may never be given the focus; only losing focus it
    // once had counts as leaving.
    return (flags & SDL_WINDOW_MINIMIZED) || (FHadFocus && !(flags & SDL_WINDOW_INPUT_FOCUS));
}

D3DDISPLAYMODE DeviceWindow::DesktopMode() const {
    D3DDISPLAYMODE mode;
    SDL_Window* window = sdl(NativeWindow());
    const int display = window ? std::max(0, SDL_GetWindowDisplayIndex(window)) : 0;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) == 0) {
        mode.Width = static_cast<UINT>(desktop.w);
        mode.Height = static_cast<UINT>(desktop.h);
        mode.RefreshRate = static_cast<UINT>(desktop.refresh_rate);
        mode.Format = DisplayFormatOf(desktop.format);
    }
    return mode;
}

bool DeviceWindow::ClientRectOnDesktop(RECT& rect) const {
    SDL_Window* window = sdl(NativeWindow());
    if (!window)
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    rect = RECT{x, y, x + w, y + h};
    return true;
}

} // namespace d3d
