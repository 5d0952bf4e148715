#include "host/xHostWindow.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {
int xErrors = 0;
int countXError(Display*, XErrorEvent*) {
    xErrors++;
    return 0;
}

void (*displayLost)() = nullptr;
int onIOError(Display*) {
    if (displayLost) displayLost();
    _exit(1); // what is told of a lost display never returns; nothing else can go on
}

// Why no display opened, naming the one tried and the way without one.
Cstring noDisplay(char const* displayName) {
    char const* name = XDisplayName(displayName);
    Cstring which = name && *name ? Cstring("\"") + name + "\"" : Cstring("($DISPLAY is not set)");
    return Cstring("cannot open X display ") + which + "; to run without one: velmora --headless WxH";
}
} // namespace

void onLostDisplay(void (*ends)()) {
    displayLost = ends;
    XSetIOErrorHandler(ends ? onIOError : nullptr);
}

CxHostWindow::~CxHostWindow() {
    if (!display) return;
    if (blankCursor) XFreeCursor(display, blankCursor);
    if (owned && !gone) XDestroyWindow(display, window);
    XCloseDisplay(display);
}

int CxHostWindow::createOwn(char const* displayName, int w, int h, char const* title) {
    if (w < 1 || h < 1) {
        error = "window size must be at least 1 x 1";
        return 1;
    }
    XSetErrorHandler(countXError);
    display = XOpenDisplay(displayName);
    if (!display) {
        error = noDisplay(displayName);
        return 1;
    }
    int screen = DefaultScreen(display);
    // On a screen smaller than the size asked for, the window keeps its shape and fits it:
    // without a window manager to shrink it, its bottom (the bar) would lie off the screen.
    double fit = std::min(
        {1.0, double(DisplayWidth(display, screen)) / w, double(DisplayHeight(display, screen)) / h});
    w = std::max(1, int(w * fit));
    h = std::max(1, int(h * fit));
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(w),
                                 static_cast<unsigned>(h), 0, BlackPixel(display, screen),
                                 BlackPixel(display, screen));
    owned = true;
    XStoreName(display, window, title ? title : "");
    Atom atom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    deleteAtom = atom;
    XSetWMProtocols(display, window, &atom, 1);
    // The displays' GL windows inside select no input, so their keys and buttons come here.
    XSelectInput(display, window,
                 StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask);
    // A held key repeats as presses only, not as release and press pairs.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    XMapWindow(display, window);
    // Wait until the window is shown, so that children drawn at once appear.
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.window == window) break;
    }
    width = w;
    height = h;
    return 0;
}

int CxHostWindow::adopt(char const* displayName, unsigned long w) {
    XSetErrorHandler(countXError);
    display = XOpenDisplay(displayName);
    if (!display) {
        error = noDisplay(displayName);
        return 1;
    }
    return watch(w);
}

int CxHostWindow::adoptRoot(char const* displayName) {
    XSetErrorHandler(countXError);
    display = XOpenDisplay(displayName);
    if (!display) {
        error = noDisplay(displayName);
        return 1;
    }
    return watch(RootWindow(display, DefaultScreen(display)));
}

int CxHostWindow::watch(unsigned long w) {
    XWindowAttributes attributes;
    xErrors = 0;
    if (!XGetWindowAttributes(display, w, &attributes) || xErrors) {
        error = "no such X window";
        return 1;
    }
    window = w;
    width = attributes.width;
    height = attributes.height;
    XSelectInput(display, window, StructureNotifyMask);
    return 0;
}

namespace {
ChostInputEvent inputEvent(XEvent& event) {
    ChostInputEvent in;
    if (event.type == KeyPress || event.type == KeyRelease) {
        in.kind = event.type == KeyPress ? ChostInputEvent::KEY_PRESS : ChostInputEvent::KEY_RELEASE;
        in.x = event.xkey.x;
        in.y = event.xkey.y;
        KeySym keysym = NoSymbol;
        in.textLength = XLookupString(&event.xkey, in.text, sizeof in.text - 1, &keysym, nullptr);
        if (in.textLength < 0) in.textLength = 0;
        in.keysym = keysym;
    } else {
        in.kind = event.type == ButtonPress ? ChostInputEvent::BUTTON_PRESS : ChostInputEvent::BUTTON_RELEASE;
        in.x = event.xbutton.x;
        in.y = event.xbutton.y;
        in.button = static_cast<int>(event.xbutton.button);
    }
    return in;
}
} // namespace

int CxHostWindow::poll() {
    sizeChanged = false;
    input.clear();
    while (!gone && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (owned && (event.type == KeyPress || event.type == KeyRelease || event.type == ButtonPress ||
                      event.type == ButtonRelease))
            input.push_back(inputEvent(event));
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) gone = true;
        if (event.type == ClientMessage && owned &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
            gone = true;
        if (event.type == ConfigureNotify && event.xconfigure.window == window &&
            (event.xconfigure.width != width || event.xconfigure.height != height)) {
            width = event.xconfigure.width;
            height = event.xconfigure.height;
            sizeChanged = true;
        }
    }
    return gone ? 1 : 0;
}

bool CxHostWindow::closeAsked() {
    if (gone || !display) return gone;
    XEvent event;
    if (XCheckTypedWindowEvent(display, window, DestroyNotify, &event)) gone = true;
    if (owned && !gone && XCheckTypedWindowEvent(display, window, ClientMessage, &event)) {
        if (static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
            gone = true;
        else
            XPutBackEvent(display, &event);
    }
    return gone;
}

void CxHostWindow::showPointer(bool shown) {
    if (!display || !owned || gone || shown == pointerShown) return;
    if (!shown && !blankCursor) {
        char const empty[1] = {0};
        Pixmap bits = XCreateBitmapFromData(display, window, empty, 1, 1);
        XColor black{};
        blankCursor = XCreatePixmapCursor(display, bits, bits, &black, &black, 0, 0);
        XFreePixmap(display, bits);
    }
    if (shown)
        XUndefineCursor(display, window);
    else
        XDefineCursor(display, window, blankCursor);
    // At once, with the frame just shown (a rare change: it may wait for the server).
    XSync(display, False);
    pointerShown = shown;
}
