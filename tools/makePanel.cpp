// makePanel: writes the control panel's model, its quads' materials and the interface's
// pictures.
//
//   makePanel <resource root>
#include <cstdio>
#include <string>

#include "panelResources.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makePanel <resource root>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() != '/') root += '/';
    return writePanelResources(root);
}
