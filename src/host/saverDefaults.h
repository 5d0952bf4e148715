// The saver's own defaults, kept apart from the engine's registry: the booleans "Use All
// Screens" and "Heads Up Display" in the group "Velmora" of the key file
// "$XDG_CONFIG_HOME/velmora/saver-defaults.conf" ("~/.config" when XDG_CONFIG_HOME is unset).
// Only the options sheet writes them; nothing but the sheet acts on them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/mystring.h"

// "Use All Screens" between the view's construction and the sheet's close.
extern uint8_t gUseAllScreens;
// What the saver defaults keep while the command line set gUseAllScreens for its run only;
// -1 when it did not, or once the sheet's box was clicked.
extern int keptUseAllScreens;

struct CsaverDefaults {
    bool useAllScreens = false;
    bool headsUpDisplay = false;
};

// The key file's path.
Cstring saverDefaultsPath();
// Reads the keys from key-file text; a key that is missing or not a boolean reads false.
// 0 when the text is a key file, 1 when it is not (every key false; why in error).
int parseSaverDefaults(char const* text, size_t size, CsaverDefaults& out, Cstring& error);
// Reads the key file; a missing or unreadable file gives every key false and 1.
int readSaverDefaults(CsaverDefaults& out);
// Writes both keys, keeping whatever else the file holds (a file that does not read is
// replaced); the folder is made when missing and the old file stays whole until the new one
// is complete. 0 written.
int writeSaverDefaults(CsaverDefaults const& values);
