// The X window the program shows its displays in: a top-level window of its own, or a
// window another program gives it (a screen-saver host's window, the root window). The GL
// contexts of the displays draw inside it (glContext.h); this object only watches it.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

struct _XDisplay;

// A key or button event of a window the program made, at window pixels (rows downward).
struct ChostInputEvent {
    enum Kind : uint8_t { KEY_PRESS, KEY_RELEASE, BUTTON_PRESS, BUTTON_RELEASE };
    Kind kind = KEY_PRESS;
    int x = 0, y = 0;
    unsigned long keysym = 0; // keys: the X keysym
    char text[8] = {};        // key presses: the key's Latin-1 characters
    int textLength = 0;
    int button = 0; // buttons: 1 left, 2 middle, 3 right, 4 and 5 the wheel up and down
};

class CxHostWindow {
  public:
    CxHostWindow() = default;
    ~CxHostWindow();
    CxHostWindow(CxHostWindow const&) = delete;
    CxHostWindow& operator=(CxHostWindow const&) = delete;

    // Opens the display (null: $DISPLAY) and maps a top-level window w x h titled title,
    // whose keys and buttons it reads; 0 done, 1 failed (reason in error).
    int createOwn(char const* displayName, int w, int h, char const* title);
    // Watches an existing window, reading none of its input (that belongs to whoever made
    // it); 0 done, 1 failed (no display or no such window).
    int adopt(char const* displayName, unsigned long window);
    // Watches the root window of the default screen; 0 done, 1 failed.
    int adoptRoot(char const* displayName);

    // Reads pending events and the window's size; 1 once the window was closed (its
    // close button) or destroyed, else 0. sizeChanged tells whether the size moved; input
    // holds the key and button events read, in order.
    int poll();
    // Whether the window has been closed or destroyed, looking only for those events (the
    // others stay queued for poll): for a wait that must end when the window goes.
    bool closeAsked();
    // Shows or hides the system's pointer over a window the program made (the program draws
    // its own in its place); another program's window keeps whatever its maker set.
    void showPointer(bool shown);

    unsigned long id() const { return window; }
    int width = 0;
    int height = 0;
    bool sizeChanged = false;
    std::vector<ChostInputEvent> input;
    Cstring error;

  private:
    int watch(unsigned long w);

    _XDisplay* display = nullptr;
    unsigned long window = 0;
    unsigned long deleteAtom = 0;
    bool owned = false;
    bool gone = false;
    bool pointerShown = true;
    unsigned long blankCursor = 0; // made on first use
};

// Tells ends when the connection to an X display is lost (the server ended, the program's
// connection was killed), from inside whichever X call found out, on any connection of the
// process; ends never returns. Null: the library's default (a message and the end).
void onLostDisplay(void (*ends)());
