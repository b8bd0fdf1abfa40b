// xshot OUT.png: saves the X display's root window as a PNG, to look at the real program the way
// a player sees it (the window manager's part included, if any).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <png.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xshot OUT.png\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xshot: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "xshot: cannot read the screen\n");
        return 1;
    }
    std::vector<unsigned char> rgba(static_cast<size_t>(image->width) * image->height * 4);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            unsigned char* out = &rgba[(static_cast<size_t>(y) * image->width + x) * 4];
            out[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
            out[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
            out[2] = static_cast<unsigned char>(p & image->blue_mask);
            out[3] = 255;
        }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image->width);
    png.height = static_cast<png_uint_32>(image->height);
    png.format = PNG_FORMAT_RGBA;
    const int ok = png_image_write_to_file(&png, argv[1], 0, rgba.data(), 0, nullptr);
    XDestroyImage(image);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
