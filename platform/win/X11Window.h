// X11Window: what the platform asks the X server itself, where SDL's answer is what was
// requested rather than what happened.
//
// SDL reports a full-screen window as the size of the display at once, whether or not a window
// manager made it so; on a bare X server (a kiosk, Xvfb, some tiling set-ups) nobody does, and
// the window keeps its old place and size. These helpers read the window's real geometry from
// the server, tell whether a window manager runs, move and size a window directly, and catch the
// X errors that Xlib's default handler would end the program for (a GL driver that cannot be
// loaded makes the server refuse its context with BadValue).
//
// Relies on: SDL's X11 video driver (SDL_GetWindowWMInfo) and Xlib.
// Limits: on any other video driver (Wayland, the headless dummy) every function answers false
// and callers keep SDL's own answers; the error trap is for the main thread only.
#pragma once

namespace win::x11 {

struct Geometry {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

// The window's client area in display coordinates, as the server has it now.
bool RealGeometry(void* sdlWindow, Geometry& geometry);
// Only its size: one round trip to the server where the place takes three (asked at every
// present, where each is felt).
bool RealSize(void* sdlWindow, int& width, int& height);

// True when a window manager announces itself on the window's display (an EWMH manager does).
bool WindowManagerRunning(void* sdlWindow);
// Whether the window lives on an X server (and not on Wayland, or SDL's dummy or offscreen video).
bool OnX11(void* sdlWindow);

// Moves and sizes the window at once, waiting for the server to have done it.
bool MoveResize(void* sdlWindow, const Geometry& geometry);

// While one exists, X protocol errors are counted instead of ending the program. Traps nest.
class ErrorTrap {
public:
    ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap();

    // Waits for the server to answer everything sent on the window's display connection (when
    // there is a window), then tells whether an error came since the trap was set.
    bool Caught(void* sdlWindow = nullptr) const;

private:
    void (*FPrevious)(); // Xlib's handler before this trap
    unsigned FErrorsBefore;
};

} // namespace win::x11
