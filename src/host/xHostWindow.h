// The X window the program shows its displays in: a top-level window of its own, or a
// window another program gives it (a screen-saver host's window, the root window). The GL
// contexts of the displays draw inside it (glContext.h); this object only watches it.
#pragma once

#include "support/mystring.h"

struct _XDisplay;

class CxHostWindow {
  public:
    CxHostWindow() = default;
    ~CxHostWindow();
    CxHostWindow(CxHostWindow const&) = delete;
    CxHostWindow& operator=(CxHostWindow const&) = delete;

    // Opens the display (null: $DISPLAY) and maps a top-level window w x h titled title; 0
    // done, 1 failed (reason in error).
    int createOwn(char const* displayName, int w, int h, char const* title);
    // Watches an existing window; 0 done, 1 failed (no display or no such window).
    int adopt(char const* displayName, unsigned long window);
    // Watches the root window of the default screen; 0 done, 1 failed.
    int adoptRoot(char const* displayName);

    // Reads pending events and the window's size; 1 once the window was closed (its
    // close button) or destroyed, else 0. sizeChanged tells whether the size moved.
    int poll();

    unsigned long id() const { return window; }
    int width = 0;
    int height = 0;
    bool sizeChanged = false;
    Cstring error;

  private:
    int watch(unsigned long w);

    _XDisplay* display = nullptr;
    unsigned long window = 0;
    unsigned long deleteAtom = 0;
    bool owned = false;
    bool gone = false;
};

// Reads a window id as a screen-saver host gives it: "0x" hexadecimal or decimal, the
// whole text, not 0. 0 on success.
int parseWindowId(char const* text, unsigned long& id);
