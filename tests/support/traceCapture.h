// Collects trace lines in memory for the life of the object, with the given channels
// open, and clears the exit bookkeeping before and after. Run-phase files are switched
// off meanwhile, so an exit reason recorded by the code under test writes no file.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>

#include "support/cerr.h"

class TraceCapture {
  public:
    explicit TraceCapture(uint64_t channels) : savedChannels(errorChannels), savedOut(stdoutObject.out) {
        resetExitState();
        errorChannels = channels;
        stdoutObject.out = &buffer;
    }
    ~TraceCapture() {
        errorChannels = savedChannels;
        stdoutObject.out = savedOut;
        resetExitState();
    }
    TraceCapture(TraceCapture const&) = delete;
    TraceCapture& operator=(TraceCapture const&) = delete;

    std::string text() const { return buffer.str(); }
    int lineCount() const {
        std::string s = buffer.str();
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    }

  private:
    uint64_t savedChannels;
    std::ostream* savedOut;
    std::ostringstream buffer;
};
