// Fixture for the save and load tests: the variable-tree fixture plus a way to see what a
// writer puts into a real file stream.
#pragma once

#include <fstream>
#include <string>

#include "variableTestSupport.h"

class PersistTest : public VarTest {
  protected:
    std::string path(char const* name) const { return data.file(name); }

    template <typename Write> std::string written(Write write) {
        std::string file = data.file("out.txt");
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            write(out);
        }
        return readWholeFile(file);
    }
};
