// Window contexts: GLX on an X11 window, double buffered with a depth buffer. A context
// either owns its window (a top-level window or a child of another window) or draws in a
// window another program made, which it then never destroys.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <utility>
#include <vector>

#include "host/glContext.h"
#include "host/glHeaders.h"

namespace {

// X errors are recorded instead of ending the process: a window of another program may
// disappear at any moment, and the next frame notices that through pollWindow.
int lastXError = 0;
int recordXError(Display*, XErrorEvent* event) {
    lastXError = event->error_code;
    return 0;
}

// One connection per display name serves every window context; it is kept for the life
// of the process, as closing it would unload the GL driver (and a later context would pay
// its start-up again). Each context reads only the events of its own window.
Display* openDisplay(char const* displayName) {
    static std::vector<std::pair<std::string, Display*>> open;
    std::string name = displayName ? displayName : "";
    for (auto const& [n, d] : open)
        if (n == name) return d;
    XSetErrorHandler(recordXError);
    Display* d = XOpenDisplay(displayName);
    if (!d) {
        setContextError("cannot open X display");
        return nullptr;
    }
    open.emplace_back(name, d);
    return d;
}

// Whether GL can draw double buffered with a depth buffer in windows of this visual.
bool drawableVisual(Display* d, XVisualInfo* v) {
    int useGL = 0, doubleBuffer = 0, rgba = 0, depth = 0;
    glXGetConfig(d, v, GLX_USE_GL, &useGL);
    glXGetConfig(d, v, GLX_DOUBLEBUFFER, &doubleBuffer);
    glXGetConfig(d, v, GLX_RGBA, &rgba);
    glXGetConfig(d, v, GLX_DEPTH_SIZE, &depth);
    return useGL && doubleBuffer && rgba && depth >= 16;
}

// A double-buffered RGB visual with depth on the screen; with wantDepth > 0 one of that
// pixel depth is preferred, so a child window's pixels read back through its parent.
XVisualInfo* chooseVisual(Display* d, int screen, int wantDepth) {
    if (wantDepth > 0) {
        XVisualInfo pattern = {};
        pattern.screen = screen;
        pattern.depth = wantDepth;
        int count = 0;
        XVisualInfo* list = XGetVisualInfo(d, VisualScreenMask | VisualDepthMask, &pattern, &count);
        for (int i = 0; i < count; i++) {
            if (list[i].c_class == TrueColor && drawableVisual(d, &list[i])) {
                XVisualInfo* chosen = XGetVisualInfo(d, VisualIDMask, &list[i], &count);
                XFree(list);
                return chosen;
            }
        }
        if (list) XFree(list);
    }
    int attribs[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                     8,        GLX_DEPTH_SIZE,   16,           None};
    return glXChooseVisual(d, screen, attribs);
}

class CglxWindowContext : public CglContext {
  public:
    ~CglxWindowContext() override {
        if (!display) return;
        if (context) {
            if (glXGetCurrentContext() == context) glXMakeCurrent(display, None, nullptr);
            glXDestroyContext(display, context);
        }
        if (window && ownsWindow && !windowGone) XDestroyWindow(display, window);
        if (window && !ownsWindow && !windowGone) XSelectInput(display, window, NoEventMask);
        if (colormap) XFreeColormap(display, colormap);
        XSync(display, False);
        // Events of this window still queued would otherwise reach no one.
        for (XEvent event; window && XCheckWindowEvent(display, window, ~0L, &event);) {
        }
    }

    // 0 made; 1 failed with the reason recorded. parent 0 makes a top-level window.
    int create(char const* displayName, unsigned long parent, int x, int y, int w, int h, char const* title,
               bool adopt) {
        if (w < 1 || h < 1) {
            setContextError("window size must be at least 1 x 1");
            return 1;
        }
        display = openDisplay(displayName);
        if (!display) return 1;
        int screen = DefaultScreen(display);
        int parentDepth = 0;
        XVisualInfo* visual = nullptr;
        if (parent) {
            XWindowAttributes attributes;
            lastXError = 0;
            if (!XGetWindowAttributes(display, parent, &attributes) || lastXError) {
                setContextError("no such X window");
                return 1;
            }
            screen = XScreenNumberOfScreen(attributes.screen);
            parentDepth = attributes.depth;
            if (adopt) {
                XVisualInfo pattern = {};
                pattern.visualid = XVisualIDFromVisual(attributes.visual);
                int count = 0;
                visual = XGetVisualInfo(display, VisualIDMask, &pattern, &count);
                if (visual && drawableVisual(display, visual)) {
                    window = parent;
                    ownsWindow = false;
                    XSelectInput(display, window, StructureNotifyMask);
                } else if (visual) {
                    XFree(visual);
                    visual = nullptr;
                }
            }
        }
        if (!visual) visual = chooseVisual(display, screen, parentDepth);
        if (!visual) {
            setContextError("no double-buffered visual with depth");
            return 1;
        }
        // Direct rendering first; a second attempt without it for drivers that refuse.
        context = glXCreateContext(display, visual, nullptr, True);
        if (!context) context = glXCreateContext(display, visual, nullptr, False);
        if (!context) {
            XFree(visual);
            setContextError("glXCreateContext failed");
            return 1;
        }
        if (!window)
            makeWindow(parent ? parent : RootWindow(display, visual->screen), visual, x, y, w, h, parent == 0,
                       title);
        XFree(visual);
        XSync(display, False);
        releaseCurrentOffscreenContext();
        if (lastXError || !glXMakeCurrent(display, window, context)) {
            setContextError("glXMakeCurrent failed");
            return 1;
        }
        pixelWidth = w;
        pixelHeight = h;
        setContextError("");
        return 0;
    }

    int makeCurrent() override {
        if (isCurrent()) return 0;
        if (windowGone) return 1;
        releaseCurrentOffscreenContext();
        return glXMakeCurrent(display, window, context) ? 0 : 1;
    }

    bool isCurrent() const override { return context && glXGetCurrentContext() == context; }

    void swap() override {
        if (!windowGone) glXSwapBuffers(display, window);
    }

    int readPixels(int x, int y, int w, int h, uint8_t* out) override {
        if (!out || w < 1 || h < 1 || x < 0 || y < 0 || x + w > pixelWidth || y + h > pixelHeight) return 1;
        if (makeCurrent() != 0) return 1;
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
        return 0;
    }

    int pollWindow() override {
        XEvent event;
        while (!windowGone && XCheckTypedWindowEvent(display, window, ClientMessage, &event))
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) windowGone = true;
        while (!windowGone &&
               XCheckWindowEvent(display, window, StructureNotifyMask | ExposureMask, &event)) {
            if (event.type == DestroyNotify) windowGone = true;
            if (event.type == ConfigureNotify && !ownsWindow) {
                pixelWidth = event.xconfigure.width;
                pixelHeight = event.xconfigure.height;
            }
        }
        return windowGone ? 1 : 0;
    }

    bool pointerPosition(double& x, double& y) override {
        x = y = 0;
        if (windowGone) return false;
        Window rootReturn, childReturn;
        int rootX, rootY, winX, winY;
        unsigned mask;
        if (!XQueryPointer(display, window, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask))
            return false;
        x = winX;
        y = winY;
        return true;
    }

    void setGeometry(int x, int y, int w, int h) override {
        if (w < 1 || h < 1) return;
        if (ownsWindow && !windowGone)
            XMoveResizeWindow(display, window, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
        pixelWidth = w;
        pixelHeight = h;
    }

  private:
    void makeWindow(Window parent, XVisualInfo* visual, int x, int y, int w, int h, bool topLevel,
                    char const* title) {
        colormap = XCreateColormap(display, parent, visual->visual, AllocNone);
        XSetWindowAttributes swa = {};
        swa.colormap = colormap;
        swa.border_pixel = 0;
        swa.event_mask = ExposureMask | StructureNotifyMask;
        window = XCreateWindow(display, parent, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                               visual->depth, InputOutput, visual->visual,
                               CWColormap | CWEventMask | CWBorderPixel, &swa);
        if (topLevel) {
            if (title) XStoreName(display, window, title);
            deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
            XSetWMProtocols(display, window, &deleteAtom, 1);
        }
        XMapWindow(display, window);
    }

    Display* display = nullptr;
    Window window = 0;
    bool ownsWindow = true;
    bool windowGone = false;
    Atom deleteAtom = 0;
    Colormap colormap = 0;
    GLXContext context = nullptr;
};

CglContext* made(CglxWindowContext* c, int result) {
    if (result == 0) return c;
    Cstring reason = lastContextError();
    delete c;
    setContextError(reason);
    return nullptr;
}

} // namespace

static void releaseGlxContext() {
    if (glXGetCurrentContext()) glXMakeCurrent(glXGetCurrentDisplay(), None, nullptr);
}

CglContext* createWindowContext(char const* displayName, int width, int height, char const* title) {
    windowContextReleaser = releaseGlxContext;
    auto* c = new CglxWindowContext;
    return made(c, c->create(displayName, 0, 0, 0, width, height, title, false));
}

CglContext* createWindowContextIn(char const* displayName, unsigned long parent, int x, int y, int w, int h,
                                  bool adopt) {
    if (parent == 0) {
        setContextError("no parent window");
        return nullptr;
    }
    auto* c = new CglxWindowContext;
    return made(c, c->create(displayName, parent, x, y, w, h, nullptr, adopt));
}
