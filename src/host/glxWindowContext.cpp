// Window contexts: GLX on an X11 window, double buffered RGBA8 with a depth buffer.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "host/glContext.h"
#include "host/glHeaders.h"

namespace {

class CglxWindowContext : public CglContext {
  public:
    ~CglxWindowContext() override {
        if (!display) return;
        if (context) {
            if (glXGetCurrentContext() == context) glXMakeCurrent(display, None, nullptr);
            glXDestroyContext(display, context);
        }
        if (window) XDestroyWindow(display, window);
        if (colormap) XFreeColormap(display, colormap);
        XCloseDisplay(display);
    }

    // 0 made; 1 failed with the reason recorded.
    int create(char const* displayName, int w, int h, char const* title) {
        if (w < 1 || h < 1) {
            setContextError("window size must be at least 1 x 1");
            return 1;
        }
        display = XOpenDisplay(displayName);
        if (!display) {
            setContextError("cannot open X display");
            return 1;
        }
        int attribs[] = {GLX_RGBA,
                         GLX_DOUBLEBUFFER,
                         GLX_RED_SIZE,
                         8,
                         GLX_GREEN_SIZE,
                         8,
                         GLX_BLUE_SIZE,
                         8,
                         GLX_ALPHA_SIZE,
                         8,
                         GLX_DEPTH_SIZE,
                         16,
                         None};
        XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attribs);
        if (!visual) {
            setContextError("no double-buffered RGBA visual with depth");
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
        Window root = RootWindow(display, visual->screen);
        colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        XSetWindowAttributes swa = {};
        swa.colormap = colormap;
        swa.event_mask =
            ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask | PointerMotionMask;
        window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                               visual->depth, InputOutput, visual->visual, CWColormap | CWEventMask, &swa);
        XFree(visual);
        if (title) XStoreName(display, window, title);
        XMapWindow(display, window);
        releaseCurrentOffscreenContext();
        if (!glXMakeCurrent(display, window, context)) {
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
        releaseCurrentOffscreenContext();
        return glXMakeCurrent(display, window, context) ? 0 : 1;
    }

    bool isCurrent() const override { return context && glXGetCurrentContext() == context; }

    void swap() override { glXSwapBuffers(display, window); }

    int readPixels(int x, int y, int w, int h, uint8_t* out) override {
        if (!out || w < 1 || h < 1 || x < 0 || y < 0 || x + w > pixelWidth || y + h > pixelHeight) return 1;
        if (makeCurrent() != 0) return 1;
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
        return 0;
    }

  private:
    Display* display = nullptr;
    Window window = 0;
    Colormap colormap = 0;
    GLXContext context = nullptr;
};

} // namespace

static void releaseGlxContext() {
    if (glXGetCurrentContext()) glXMakeCurrent(glXGetCurrentDisplay(), None, nullptr);
}

CglContext* createWindowContext(char const* displayName, int width, int height, char const* title) {
    windowContextReleaser = releaseGlxContext;
    auto* c = new CglxWindowContext;
    if (c->create(displayName, width, height, title) != 0) {
        Cstring reason = lastContextError();
        delete c;
        setContextError(reason);
        return nullptr;
    }
    return c;
}
