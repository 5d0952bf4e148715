#include "app/xKeys.h"

#include <X11/keysym.h>

#include "world/keyMap.h"

namespace {
// The engine code of a key that has one of its own, else 0.
int namedKey(unsigned long keysym) {
    switch (keysym) {
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_KP_Tab:
        return KEY_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return KEY_ENTER;
    case XK_BackSpace:
    case XK_Delete:
    case XK_KP_Delete:
        return KEY_DEL;
    case XK_Left:
    case XK_KP_Left:
        return KEY_LEFT;
    case XK_Right:
    case XK_KP_Right:
        return KEY_RIGHT;
    case XK_Up:
    case XK_KP_Up:
        return KEY_UP;
    case XK_Down:
    case XK_KP_Down:
        return KEY_DOWN;
    case XK_Prior:
    case XK_KP_Prior:
        return KEY_PAGEUP;
    case XK_Next:
    case XK_KP_Next:
        return KEY_PAGEDOWN;
    case XK_Escape:
        return KEY_ESCAPE;
    case XK_space:
    case XK_KP_Space:
        return KEY_SPACE;
    case XK_Shift_L:
    case XK_Shift_R:
        return KEY_SHIFT_DOWN;
    default:
        return 0;
    }
}
} // namespace

std::vector<int> keyPressCodes(unsigned long keysym, char const* text, int textLength) {
    std::vector<int> codes;
    if (int named = namedKey(keysym)) {
        codes.push_back(named);
        return codes;
    }
    for (int i = 0; text && i < textLength; i++) {
        auto byte = static_cast<unsigned char>(text[i]);
        // Control characters would read as the engine's own codes.
        if (byte < 0x20 || byte == 0x7f || byte == 0xff) continue;
        codes.push_back(static_cast<signed char>(byte));
    }
    return codes;
}

int keyReleaseCode(unsigned long keysym) {
    switch (namedKey(keysym)) {
    case KEY_TAB:
        return KEY_TAB_UP;
    case KEY_SHIFT_DOWN:
        return KEY_SHIFT_UP;
    default:
        return 0;
    }
}
