// makeScenery: writes the tanks' models, pictures and data arrays: the default tank's and
// the dusk pool's.
//
//   makeScenery <resource root>
//
// The build runs it so that binary resources are made from source, never kept in the
// repository.
#include <cstdio>
#include <string>

#include "duskPool.h"
#include "scenery.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeScenery <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    int failed = writeScenery(root);
    return writeDuskPool(root) | failed;
}
