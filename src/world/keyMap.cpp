#include "world/keyMap.h"

#include <ostream>

Cstring convertKey(int code) {
    switch (code) {
    case KEY_TOGGLE:
        return "TOGGLE";
    case KEY_UP:
        return "UP";
    case KEY_DOWN:
        return "DOWN";
    case KEY_LEFT:
        return "LEFT";
    case KEY_RIGHT:
        return "RIGHT";
    case KEY_PAGEUP:
        return "PAGEUP";
    case KEY_PAGEDOWN:
        return "PAGEDOWN";
    case KEY_DEL:
        return "DEL";
    case KEY_TAB:
        return "TAB";
    case KEY_TAB_UP:
        return "TAB_UP";
    case KEY_ENTER:
        return "ENTER";
    case KEY_CRASH:
        return "CRASH";
    case KEY_ESCAPE:
        return "ESCAPE";
    case KEY_SPACE:
        return "SPACE";
    default:
        break;
    }
    char text[2] = {static_cast<char>(code), 0};
    return Cstring(text);
}

void CkeyMapVar::writeConfigString(std::ostream& out) {
    out << ":keymap " << name;
}

void CkeyMapVar::writeSaveString(std::ostream& out) {
    out << ":keymap " << name;
}
