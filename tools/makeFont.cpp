// makeFont: writes the interface's bitmap font strip from a scalable font file.
//
//   makeFont <resource root> <font file>
//
// The build runs it with a font the machine has (DejaVu Sans Bold from fonts-dejavu-core).
#include <cstdio>
#include <string>

#include "fontStrip.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeFont <resource root> <font file>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeFont(root, argv[2]);
}
