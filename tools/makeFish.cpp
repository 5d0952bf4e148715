// makeFish: writes the fish species' models, skeletons, lighting points and skins.
//
//   makeFish <resource root>
#include <cstdio>
#include <string>

#include "fishModels.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeFish <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeFish(root);
}
