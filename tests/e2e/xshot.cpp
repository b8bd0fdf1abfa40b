// xshot OUT.png [--frame]: saves the X display's root window as a PNG, to look at the real
// program the way a player sees it (the window manager's part included, if any). With --frame
// it also prints "frame LEFT TOP WIDTH HEIGHT", the smallest rectangle holding every pixel that
// is not black (a full-screen picture's letterbox bars are), for tests to compare.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <png.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const bool frame = argc == 3 && std::string(argv[2]) == "--frame";
    if (argc != 2 && !frame) {
        std::fprintf(stderr, "usage: xshot OUT.png [--frame]\n");
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
    int left = image->width, top = image->height, right = 0, bottom = 0;
    std::vector<unsigned char> rgba(static_cast<size_t>(image->width) * image->height * 4);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            unsigned char* out = &rgba[(static_cast<size_t>(y) * image->width + x) * 4];
            out[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
            out[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
            out[2] = static_cast<unsigned char>(p & image->blue_mask);
            out[3] = 255;
            if (out[0] > 8 || out[1] > 8 || out[2] > 8) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image->width);
    png.height = static_cast<png_uint_32>(image->height);
    png.format = PNG_FORMAT_RGBA;
    const int ok = png_image_write_to_file(&png, argv[1], 0, rgba.data(), 0, nullptr);
    if (frame && right > left)
        std::printf("frame %d %d %d %d\n", left, top, right - left, bottom - top);
    XDestroyImage(image);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
