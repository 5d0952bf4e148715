// grabScreen FILE.png: writes the whole X screen of $DISPLAY as a PNG picture (the
// documentation's pictures of the program's windows; not run by the build).
#include <cstdio>

#include "host/screenGrab.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: grabScreen FILE.png\n", stderr);
        return 2;
    }
    Cstring error;
    if (grabScreenPng(nullptr, argv[1], error) != 0) {
        std::fprintf(stderr, "grabScreen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
