// makeFishArrays: writes the standard fish's motion arrays, the flick paths recorded from
// our own flick model among them.
//
//   makeFishArrays <resource root>
//
// The build runs it so that binary resources are made from source, never kept in the
// repository.
#include <cstdio>
#include <string>

#include "fishArrays.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeFishArrays <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeFishArrays(root);
}
