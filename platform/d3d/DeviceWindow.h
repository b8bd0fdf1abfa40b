// The window a device presents into.
//
// Stands in for what the system did around a Direct3D 8 device's window: exclusive full screen
// becomes SDL's full-screen-desktop mode, where the back buffer keeps its size and is scaled to
// fit the display, letterboxed; the form's ClientMapping is set so that mouse messages still
// carry back-buffer coordinates; and a full-screen window that is minimised or loses the focus
// counts as a lost device until it comes back. In a window, the back buffer is stretched over
// the client area, as a windowed device's Present does.
//
// Relies on: the window being a win::TForm (its NativeWindow() is the SDL window), and on the
// form outliving the device, as a device window must.
// Limits: full screen always uses the desktop's mode (refresh rate and colour depth of the
// display are not changed); a window with no SDL window behind it (headless) presents nowhere.
#pragma once

#include "platform/d3d/D3D8Types.h"

namespace win {
class TForm;
}

namespace d3d {

struct Placement {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

class DeviceWindow {
public:
    explicit DeviceWindow(HWND window);
    DeviceWindow(const DeviceWindow&) = delete;
    DeviceWindow& operator=(const DeviceWindow&) = delete;
    ~DeviceWindow();

    // The SDL window, or nullptr when there is none to present into.
    void* NativeWindow() const;
    win::TForm* Form() const { return FForm; }

    // Enters or leaves full screen and maps the mouse into a back buffer of this size.
    void Apply(bool windowed, UINT backBufferWidth, UINT backBufferHeight);
    bool Windowed() const { return FWindowed; }

    // Where the back buffer lands in an area of this size (window or drawable pixels).
    Placement Place(int areaWidth, int areaHeight) const;
    // The window's drawable size in pixels (larger than its size on high-density displays).
    bool DrawableSize(int& width, int& height) const;

    // True while a full-screen window is minimised, or has lost the focus it once had.
    bool Left();

    // The display the window is on (the first display when there is no window), and the
    // window's client area on it.
    D3DDISPLAYMODE DesktopMode() const;
    bool ClientRectOnDesktop(RECT& rect) const;

private:
    win::TForm* FForm = nullptr;
    bool FWindowed = true;
    bool FHadFocus = false;
    bool FMapping = false;
    UINT FWidth = 0;
    UINT FHeight = 0;
};

// The format a display of this SDL pixel format presents, as a device format (a desktop never
// has alpha: 32-bit displays are X8R8G8B8).
D3DFORMAT DisplayFormatOf(uint32_t sdlPixelFormat);

} // namespace d3d
