// makeCrab: writes the crab species' model, skeleton, lighting points and shells, and the
// crab's and the fish's shadows.
//
//   makeCrab <resource root>
#include <cstdio>
#include <string>

#include "crabModel.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeCrab <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeCrab(root) || writeFishShadow(root);
}
