// A picture of a whole X screen, for the documentation's pictures of the program's windows.
#pragma once

#include "support/mystring.h"

// Writes the root window of the display (null: $DISPLAY) as a PNG file; 0 written, 1 failed
// (why in error).
int grabScreenPng(char const* displayName, char const* path, Cstring& error);
