// Synthetic X input (XTest) from a connection of its own, the way a person's keyboard and
// mouse come. Include after hostFixture.h: the X headers' None clashes with the test
// framework's.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

struct CfakeInput {
    Display* display = XOpenDisplay(nullptr);
    ~CfakeInput() {
        if (display) XCloseDisplay(display);
    }
    CfakeInput() = default;
    CfakeInput(CfakeInput const&) = delete;
    CfakeInput& operator=(CfakeInput const&) = delete;
    bool usable() {
        int event = 0, error = 0, major = 0, minor = 0;
        return display && XTestQueryExtension(display, &event, &error, &major, &minor);
    }
    // The pointer to (x, y) of the window (rows downward).
    void moveTo(unsigned long window, int x, int y) {
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void key(KeySym keysym) {
        // The keys go to the window under the pointer, wherever another program left the focus.
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
        KeyCode code = XKeysymToKeycode(display, keysym);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }
    // A button pressed (down true) or released.
    void button(unsigned which, bool down) {
        XTestFakeButtonEvent(display, which, down ? True : False, CurrentTime);
        XSync(display, False);
    }
    void click(unsigned which) {
        button(which, true);
        button(which, false);
    }
    // Whether the server shows a pointer there: a pixel of its picture not fully transparent.
    bool pointerShown() {
        XFixesCursorImage* image = XFixesGetCursorImage(display);
        bool seen = false;
        for (int i = 0; image && i < image->width * image->height && !seen; i++)
            seen = (image->pixels[i] >> 24) != 0;
        XFree(image);
        return seen;
    }
};
