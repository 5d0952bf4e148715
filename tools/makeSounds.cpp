// makeSounds: writes the bubble recording and the trickling-water loops.
//
//   makeSounds <resource root>
//
// The build runs it so that the sounds are made from source, never kept in the repository.
#include <cstdio>
#include <string>

#include "soundSynth.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeSounds <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeSounds(root);
}
