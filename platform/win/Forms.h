// Forms: top-level windows of the program, each an SDL window once its handle is needed.
//
// A form is a component (it owns the components placed on it) and a Window (it has a window
// procedure others may hook). Its SDL window is made the first time Handle() is asked for,
// which delivers WM_CREATE through WindowProc, as a hooked procedure expects. Closing the main
// form ends the application.
#pragma once

#include "platform/rtl/Component.h"
#include "platform/win/Window.h"

#include <functional>
#include <string>

struct SDL_Window;

namespace win {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

class TForm : public rtl::TComponent, public Window {
public:
    explicit TForm(rtl::TComponent* owner);
    // Destroys the owned components while the window still exists, then the window.
    ~TForm() override;

    // Announces the form to its owner, then runs OnCreate, once the whole form (derived parts
    // included) is built. An exception from OnCreate is reported through the application and
    // does not stop the form from existing.
    void AfterConstruction() override;

    rtl::TNotifyEvent OnCreate;
    // A file (or folder) dropped on the window from the desktop, by its path.
    std::function<void(const std::string& path)> OnDropFile;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption); // Windows-1252

    HWND Handle();
    bool HandleAllocated() const { return FWindow != nullptr; }

    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }
    void SetClientSize(int width, int height);

    // Outer rectangle on the desktop, and moving it.
    TRect WindowRect() const;
    void SetBounds(int left, int top, int width, int height);
    // A point of the client area in desktop coordinates.
    void ClientToScreen(int& x, int& y) const;

    void Show();
    void Hide();
    bool Visible() const { return FVisible; }
    // Main form: ends the application. Other forms: hides them.
    void Close();

    int Cursor() const { return FCursor; }
    void SetCursor(int id);

    void WndProc(TMessage& message) override;

    // Window pixels -> client coordinates of mouse messages. The display layer sets it when it
    // scales its back buffer into the window; by default the two are the same. While it is set,
    // the client size stays what it was set to, whatever size the window takes.
    std::function<void(int& x, int& y)> ClientMapping;

    // The SDL window, for the platform's display layer only (engine code never sees SDL).
    void* NativeWindow() const { return FWindow; }
    // Makes the SDL window again, in the same place, without OpenGL: a display that will not
    // draw with OpenGL lets go of the driver (and its memory) this way. Windows made later are
    // plain too.
    void RemakeWithoutOpenGL();

private:
    SDL_Window* MakeWindow(uint32_t flags) const;
    SDL_Window* MakeOpenGLWindow() const;

    void* FWindow = nullptr;
    std::string FCaption;
    int FClientWidth = 640;
    int FClientHeight = 480;
    bool FVisible = false;
    int FCursor = 0;
};

// Windows made from now on can take an OpenGL context. The display layer asks for it when it
// may draw with OpenGL; a window made before cannot (its device falls back to software). It is
// switched off again when the driver turns out unusable.
void SetOpenGLWindows(bool enabled);

// The form whose SDL window has this id, or nullptr.
TForm* FindFormByWindowID(uint32_t id);

} // namespace win
