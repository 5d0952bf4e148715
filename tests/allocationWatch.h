// The largest single request made through the global new, so a test can show that a
// reader refused a file before reserving what its header asked for. Every test program
// replaces the global new and delete (allocationWatch.cpp) to see the requests.
#pragma once

#include <cstddef>

class LargestAllocation {
  public:
    LargestAllocation();
    // The largest request since construction, in bytes.
    size_t bytes() const;
};
