#include "platform/win/X11Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace win::x11 {

namespace {

struct Native {
    Display* display = nullptr;
    ::Window window = 0;
};

bool NativeOf(void* sdlWindow, Native& native) {
    if (!sdlWindow)
        return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return false;
    native.display = info.info.x11.display;
    native.window = info.info.x11.window;
    return native.display && native.window;
}

unsigned gErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++gErrors;
    return 0;
}

} // namespace

bool RealGeometry(void* sdlWindow, Geometry& geometry) {
    Native n;
    if (!NativeOf(sdlWindow, n))
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(n.display, n.window, &attributes))
        return false;
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(n.display, n.window, attributes.root, 0, 0, &x, &y, &child);
    geometry = Geometry{x, y, attributes.width, attributes.height};
    return attributes.width > 0 && attributes.height > 0;
}

bool RealSize(void* sdlWindow, int& width, int& height) {
    Native n;
    if (!NativeOf(sdlWindow, n))
        return false;
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(n.display, n.window, &root, &x, &y, &w, &h, &border, &depth) || w == 0 ||
        h == 0)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool OnX11(void* sdlWindow) {
    Native n;
    return NativeOf(sdlWindow, n);
}

bool WindowManagerRunning(void* sdlWindow) {
    Native n;
    if (!NativeOf(sdlWindow, n))
        return false;
    const Atom check = XInternAtom(n.display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const ::Window root = DefaultRootWindow(n.display);
    const bool found = XGetWindowProperty(n.display, root, check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &data) == Success &&
                       type == XA_WINDOW && format == 32 && count == 1;
    ::Window manager = found ? *reinterpret_cast<::Window*>(data) : 0;
    if (data)
        XFree(data);
    if (!manager)
        return false;
    // A manager that ended leaves its announcement behind; its check window goes with it.
    ErrorTrap trap;
    XWindowAttributes attributes;
    const bool alive = XGetWindowAttributes(n.display, manager, &attributes) != 0;
    return alive && !trap.Caught(sdlWindow);
}

bool MoveResize(void* sdlWindow, const Geometry& geometry) {
    Native n;
    if (!NativeOf(sdlWindow, n) || geometry.Width <= 0 || geometry.Height <= 0)
        return false;
    XMoveResizeWindow(n.display, n.window, geometry.X, geometry.Y,
                      static_cast<unsigned>(geometry.Width),
                      static_cast<unsigned>(geometry.Height));
    XRaiseWindow(n.display, n.window);
    XSync(n.display, False);
    return true;
}

ErrorTrap::ErrorTrap()
    : FPrevious(reinterpret_cast<void (*)()>(XSetErrorHandler(CountError))),
      FErrorsBefore(gErrors) {}

ErrorTrap::~ErrorTrap() {
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(FPrevious));
}

bool ErrorTrap::Caught(void* sdlWindow) const {
    Native n;
    if (NativeOf(sdlWindow, n))
        XSync(n.display, False);
    return gErrors != FErrorsBefore;
}

} // namespace win::x11
