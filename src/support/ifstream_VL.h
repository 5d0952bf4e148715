// ifstream_VL: a binary input file stream that may stand for a resource-file variable.
#pragma once

#include <fstream>

class CresourceFileVar;

class ifstream_VL : public std::ifstream {
  public:
    // Opens the file for binary input; true when the stream is good.
    bool open(char const* path);
    // The size of the resource-file variable read from, or 0 when there is none.
    long filesize() const;

    CresourceFileVar* resourceFile = nullptr;
    // Filled in by the variable tree, which knows resource-file variables.
    static long (*resourceFileSize)(CresourceFileVar const*);
};
