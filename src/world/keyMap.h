// Key bindings: the engine's key codes, their names, and the bindings that scripts make
// with ":addKey name { lines }" in the shop keeper's directory "keymaps".
#pragma once

#include "script/scriptLine.h"
#include "support/mystring.h"

// Engine key codes that are not their own character. The host makes them from the
// platform's keys; 11 and 12 (shift pressed, released) and 15 (stereo) act directly.
enum : int {
    KEY_TOGGLE = 1,
    KEY_UP = 2,
    KEY_DOWN = 3,
    KEY_LEFT = 4,
    KEY_RIGHT = 5,
    KEY_PAGEUP = 6,
    KEY_PAGEDOWN = 7,
    KEY_DEL = 8,
    KEY_TAB = 9,
    KEY_TAB_UP = 10,
    KEY_SHIFT_DOWN = 11,
    KEY_SHIFT_UP = 12,
    KEY_ENTER = 13,
    KEY_CRASH = 14,
    KEY_STEREO = 15,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
};

// Marks a binding that belongs to the control panel (it goes when a pane closes).
constexpr unsigned VAR_PANEL_KEY = 0x80000000u;

// The name a binding uses for the key: "UP", "TAB", ... or the one character of the code's
// byte ("a" for 97).
Cstring convertKey(int code);

// One binding: named after its key, its children the bound lines.
class CkeyMapVar : public CscriptContainer {
  public:
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
};
