// makeFood: writes the floating food's particles, the food shaker and the fish's waste
// strand, with their pictures.
//
//   makeFood <resource root>
#include <cstdio>
#include <string>

#include "foodModels.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeFood <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writeFood(root);
}
