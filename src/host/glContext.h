// GL contexts behind one small interface, so the graphics device never sees EGL or GLX.
//
// Two kinds exist: an offscreen context (EGL surfaceless, drawing into its own
// framebuffer object, read back with readPixels) for tests, tools and offscreen frames, and
// a window context (GLX on an X11 window, double buffered) for the host program. Both give
// a compatibility-profile context, which the device's fixed-function state needs.
#pragma once

#include <cstdint>

#include "support/mystring.h"

class CglContext {
  public:
    virtual ~CglContext();

    // Makes this context current on the calling thread; 0 done, 1 failed.
    virtual int makeCurrent() = 0;
    // Whether this context is the current one.
    virtual bool isCurrent() const = 0;
    // Shows the frame (a window swaps its buffers; offscreen only finishes drawing).
    virtual void swap() = 0;
    // Copies the w x h block at (x, y) of the colour buffer, RGBA bytes, bottom row first,
    // into out (w * h * 4 bytes); makes the context current first. 0 done, 1 refused.
    virtual int readPixels(int x, int y, int w, int h, uint8_t* out) = 0;

    // ---- window contexts only; an offscreen context answers as a window that never
    // closes and has no pointer.
    // Reads pending window events; 1 when the window was closed or destroyed, else 0.
    virtual int pollWindow() { return 0; }
    // The pointer in window pixels, top-down; false when it cannot be had.
    virtual bool pointerPosition(double& x, double& y) {
        x = y = 0;
        return false;
    }
    // Places a window context at (x, y) of its parent, w x h pixels (a context that draws
    // in a window of another program only takes the size).
    virtual void setGeometry(int x, int y, int w, int h) {
        (void)x, (void)y;
        pixelWidth = w;
        pixelHeight = h;
    }

    int width() const { return pixelWidth; }
    int height() const { return pixelHeight; }
    // Pixels per window point; always 1 on this platform.
    float backingScale() const { return 1.0f; }

  protected:
    int pixelWidth = 0;
    int pixelHeight = 0;
};

// A new offscreen context whose framebuffer is width x height (RGBA8, 24-bit depth), left
// current; null when no display, configuration or context can be had (the reason is in
// lastContextError()).
CglContext* createOffscreenContext(int width, int height);
// A new window context on the X11 display (null: $DISPLAY) showing a width x height
// window titled title, left current; null on failure (reason in lastContextError()).
CglContext* createWindowContext(char const* displayName, int width, int height, char const* title);
// A new window context drawing into the w x h area at (x, y) of the existing X window
// parent. With adopt set it draws in parent itself when parent's visual can be drawn with
// double-buffered GL (the area must then be the whole window); otherwise it makes a child
// window of a GL visual of parent's depth over the area. Null on failure.
CglContext* createWindowContextIn(char const* displayName, unsigned long parent, int x, int y, int w, int h,
                                  bool adopt);
// Leave no offscreen (EGL) or window (GLX) context current on this thread. A thread can
// hold a context of only one of the two kinds, so each kind lets go of the other before
// it makes its own current.
void releaseCurrentOffscreenContext();
void releaseCurrentWindowContext();
// Set by the window-system layer once it has made a context; offscreen-only programs
// never link it.
extern void (*windowContextReleaser)();
// Why the last create call failed; empty after a success.
Cstring const& lastContextError();
// Whether an offscreen context can be made at all on this machine (tested once).
bool offscreenContextsAvailable();

// Internal: records the failure reason of a create call.
void setContextError(char const* reason);
