// X11 keys in the engine's key codes (world/keyMap.h).
#pragma once

#include <vector>

// The codes a key press sends, in order: the engine's own codes for Tab, Enter, the arrows,
// page up and down, delete, escape, space and shift, else each byte of text (the key's
// Latin-1 characters) as a signed byte. Control characters and the byte 0xFF send nothing.
std::vector<int> keyPressCodes(unsigned long keysym, char const* text, int textLength);
// The code a key release sends: Tab 10, shift 12; 0 (nothing) for every other key.
int keyReleaseCode(unsigned long keysym);
