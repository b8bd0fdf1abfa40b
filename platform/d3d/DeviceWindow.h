// The window a device presents into.
//
// Stands in for what the system did around a Direct3D 8 device's window: exclusive full screen
// becomes SDL's full-screen-desktop mode, where the back buffer keeps its size and is scaled to
// fit the display, letterboxed; the form's ClientMapping is set so that mouse messages still
// carry back-buffer coordinates; and a full-screen window that is minimised or loses the focus
// counts as a lost device until it comes back. In a window, the back buffer is stretched over
// the client area, as a windowed device's Present does.
//
// Trap: SDL reports the size it asked for, not the size the window got. Without a window
// manager nobody makes a full-screen window cover the display, so the window is placed over it
// here; and letterboxing and the mouse follow the size the X server reports at each present.
// Leaving full screen puts the window back where it was.
//
// Relies on: the window being a win::TForm (its NativeWindow() is the SDL window), and on the
// form outliving the device, as a device window must.
// Limits: full screen always uses the desktop's mode (refresh rate and colour depth of the
// display are not changed); a window with no SDL window behind it (headless) presents nowhere.
#pragma once

#include "platform/d3d/D3D8Types.h"
#include "platform/win/X11Window.h"

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
    // A point of an area of this size (window coordinates, as mouse events give them) in
    // back-buffer coordinates; outside the picture it falls outside the back buffer.
    void MapToBackBuffer(int areaWidth, int areaHeight, int& x, int& y) const;
    // The size in pixels the window really has now, to present into (larger than its size in
    // window coordinates on high-density displays). In full screen where no window manager
    // placed the window, it is first made to cover the display. Mouse mapping follows the last
    // size found here.
    bool PresentArea(int& width, int& height);

    // True while a full-screen window is minimised, or has lost the focus it once had.
    bool Left();

    // The display the window is on (the first display when there is no window), and the
    // window's client area on it.
    D3DDISPLAYMODE DesktopMode() const;
    bool ClientRectOnDesktop(RECT& rect) const;

private:
    void CoverDisplay();

    win::TForm* FForm = nullptr;
    bool FWindowed = true;
    bool FHadFocus = false;
    bool FMapping = false;
    UINT FWidth = 0;
    UINT FHeight = 0;
    // True where no window manager answers full-screen requests (a bare X server).
    bool FUnmanaged = false;
    // The window's place before full screen, to go back to.
    win::x11::Geometry FSaved;
    // The area the last frame was presented into, when the server reported it.
    int FAreaWidth = 0;
    int FAreaHeight = 0;
};

// The format a display of this SDL pixel format presents, as a device format (a desktop never
// has alpha: 32-bit displays are X8R8G8B8).
D3DFORMAT DisplayFormatOf(uint32_t sdlPixelFormat);

} // namespace d3d
