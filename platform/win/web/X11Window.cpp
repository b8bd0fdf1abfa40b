// The X11 helpers in the browser build: a page never runs on an X server, so every question
// answers false and the callers keep SDL's own answers, as they do on Wayland.
#include "platform/win/X11Window.h"

namespace win::x11 {

bool RealGeometry(void*, Geometry&) {
    return false;
}

bool RealSize(void*, int&, int&) {
    return false;
}

bool WindowManagerRunning(void*) {
    return false;
}

bool OnX11(void*) {
    return false;
}

bool MoveResize(void*, const Geometry&) {
    return false;
}

ErrorTrap::ErrorTrap() : FPrevious(nullptr), FErrorsBefore(0) {}

ErrorTrap::~ErrorTrap() = default;

bool ErrorTrap::Caught(void*) const {
    return false;
}

} // namespace win::x11
