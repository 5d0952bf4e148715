// makeContactSheet: draws every model of a resource tree headless into one PNG.
//
//   makeContactSheet <resource root> <output.png> [cell size] [columns]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "contactSheet.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: makeContactSheet <resource root> <output.png> [cell size] [columns]\n");
        return 2;
    }
    int cell = argc > 3 ? std::atoi(argv[3]) : 256, columns = argc > 4 ? std::atoi(argv[4]) : 5;
    std::vector<std::string> models = findSheetModels(argv[1]);
    CcontactSheet sheet = renderContactSheet(argv[1], models, cell, columns);
    if (sheet.rgba.empty() || !writeSheetPng(sheet, argv[2])) {
        std::fprintf(stderr, "makeContactSheet: no sheet written\n");
        return 1;
    }
    for (size_t i = 0; i < models.size(); i++)
        std::printf("%zu: %s\n", i + 1, models[i].c_str());
    return 0;
}
