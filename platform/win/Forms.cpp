#include "platform/win/Forms.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"
#include "platform/win/X11Window.h"

#include <SDL.h>
#include <map>

namespace win {

namespace {

std::map<uint32_t, TForm*>& formsByWindowID() {
    static std::map<uint32_t, TForm*> forms;
    return forms;
}

SDL_Window* sdl(void* window) {
    return static_cast<SDL_Window*>(window);
}

bool gOpenGLWindows = false;

} // namespace

void SetOpenGLWindows(bool enabled) {
    gOpenGLWindows = enabled;
}

TForm* FindFormByWindowID(uint32_t id) {
    auto it = formsByWindowID().find(id);
    return it == formsByWindowID().end() ? nullptr : it->second;
}

TForm::TForm(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TForm::~TForm() {
    // Components may hook this window's procedure and unhook it as they go; they must go
    // while the window is still whole.
    DestroyComponents();
    if (FWindow) {
        formsByWindowID().erase(SDL_GetWindowID(sdl(FWindow)));
        SDL_DestroyWindow(sdl(FWindow));
        FWindow = nullptr;
    }
    if (Application && Application->MainForm == this)
        Application->MainForm = nullptr;
}

void TForm::AfterConstruction() {
    rtl::TComponent::AfterConstruction();
    if (!OnCreate)
        return;
    try {
        OnCreate(this);
    } catch (...) {
        if (Application)
            Application->HandleException(this);
        else
            throw;
    }
}

void TForm::SetCaption(const std::string& caption) {
    FCaption = caption;
    if (FWindow)
        SDL_SetWindowTitle(sdl(FWindow), rtl::Win1252ToUtf8(caption).c_str());
}

HWND TForm::Handle() {
    if (!FWindow) {
        // A window can take an OpenGL context only when made for one, and making one loads
        // the OpenGL driver; so only once the display layer has asked. Drivers without OpenGL
        // (the headless one) get a plain window.
        SDL_Window* window = gOpenGLWindows ? MakeOpenGLWindow() : nullptr;
        if (!window)
            window = MakeWindow(0);
        if (window) {
            FWindow = window;
            formsByWindowID()[SDL_GetWindowID(window)] = this;
            Perform(WM_CREATE, 0, 0);
        } else {
            std::fprintf(stderr, "Cannot create a window: %s\n", SDL_GetError());
        }
    }
    return this;
}

SDL_Window* TForm::MakeWindow(uint32_t flags) const {
    const std::string title = rtl::Win1252ToUtf8(FCaption);
    return SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                            FClientWidth, FClientHeight,
                            flags | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
}

SDL_Window* TForm::MakeOpenGLWindow() const {
    // SDL loads the driver with the first such window and tries a context on a window of its
    // own; a driver the server refuses (Mesa's, when it cannot find its DRI module) answers
    // with an X error, which must not end the program: the window is then made without
    // OpenGL, and so are the windows after it.
    x11::ErrorTrap trap;
    SDL_Window* window = MakeWindow(SDL_WINDOW_OPENGL);
    if (window && trap.Caught(window)) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (!window)
        gOpenGLWindows = false;
    return window;
}

void TForm::RemakeWithoutOpenGL() {
    gOpenGLWindows = false;
    if (!FWindow || !(SDL_GetWindowFlags(sdl(FWindow)) & SDL_WINDOW_OPENGL))
        return;
    SDL_Window* window = MakeWindow(0);
    if (!window)
        return;
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdl(FWindow), &x, &y);
    SDL_SetWindowPosition(window, x, y);
    // The last OpenGL window takes SDL's hold on the driver with it.
    formsByWindowID().erase(SDL_GetWindowID(sdl(FWindow)));
    SDL_DestroyWindow(sdl(FWindow));
    FWindow = window;
    formsByWindowID()[SDL_GetWindowID(window)] = this;
    if (FVisible)
        SDL_ShowWindow(window);
}

void TForm::SetClientSize(int width, int height) {
    FClientWidth = width;
    FClientHeight = height;
    if (FWindow)
        SDL_SetWindowSize(sdl(FWindow), width, height);
}

TRect TForm::WindowRect() const {
    if (!FWindow) {
        // Where the window will be made: centred on the first display, as Handle() makes it.
        SDL_Rect display;
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayBounds(0, &display) == 0) {
            const int x = display.x + (display.w - FClientWidth) / 2;
            const int y = display.y + (display.h - FClientHeight) / 2;
            return TRect{x, y, x + FClientWidth, y + FClientHeight};
        }
        return TRect{0, 0, FClientWidth, FClientHeight};
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(sdl(FWindow), &x, &y);
    SDL_GetWindowSize(sdl(FWindow), &w, &h);
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowBordersSize(sdl(FWindow), &top, &left, &bottom, &right);
    return TRect{x - left, y - top, x + w + right, y + h + bottom};
}

void TForm::ClientToScreen(int& x, int& y) const {
    if (!FWindow)
        return;
    int left = 0, top = 0;
    SDL_GetWindowPosition(sdl(FWindow), &left, &top);
    x += left;
    y += top;
}

void TForm::SetBounds(int left, int top, int width, int height) {
    Handle();
    if (!FWindow)
        return;
    int bTop = 0, bLeft = 0, bBottom = 0, bRight = 0;
    SDL_GetWindowBordersSize(sdl(FWindow), &bTop, &bLeft, &bBottom, &bRight);
    SDL_SetWindowPosition(sdl(FWindow), left + bLeft, top + bTop);
    SetClientSize(width - bLeft - bRight, height - bTop - bBottom);
}

void TForm::Show() {
    Handle();
    FVisible = true;
    if (FWindow) {
        SDL_ShowWindow(sdl(FWindow));
        SDL_RaiseWindow(sdl(FWindow));
    }
}

void TForm::Hide() {
    FVisible = false;
    if (FWindow)
        SDL_HideWindow(sdl(FWindow));
}

void TForm::Close() {
    if (Application && Application->MainForm == this)
        Application->Terminate();
    else
        Hide();
}

void TForm::SetCursor(int id) {
    FCursor = id;
    SelectCursor(id);
}

void TForm::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        break;
    case WM_SIZE:
        // While the display maps window pixels into its back buffer, mouse messages already
        // speak in back-buffer coordinates: the client area they describe keeps its size
        // however large the window (a full screen) becomes.
        if (ClientMapping)
            break;
        FClientWidth = LOWORD(static_cast<uintptr_t>(message.LParam));
        FClientHeight = HIWORD(static_cast<uintptr_t>(message.LParam));
        break;
    default:
        break;
    }
}

} // namespace win
