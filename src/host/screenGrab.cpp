#include "host/screenGrab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

#include "host/frameFiles.h"

namespace {
// The 8-bit channel of a pixel under the mask (a visual's red, green or blue mask).
uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        shift++;
    unsigned long top = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / top);
}
} // namespace

int grabScreenPng(char const* displayName, char const* path, Cstring& error) {
    Display* display = XOpenDisplay(displayName);
    if (!display) {
        error = "cannot open X display";
        return 1;
    }
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
        XCloseDisplay(display);
        error = "the screen could not be read";
        return 1;
    }
    int w = attributes.width, h = attributes.height;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned long pixel = XGetPixel(image, x, y);
            uint8_t* out =
                &rgba[(static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
            out[0] = channel(pixel, image->red_mask);
            out[1] = channel(pixel, image->green_mask);
            out[2] = channel(pixel, image->blue_mask);
            out[3] = 255;
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    if (writeFramePng(path, w, h, rgba.data()) != 0) {
        error = "the picture could not be written";
        return 1;
    }
    return 0;
}
