// Collects trace lines in memory for the life of the object, with the given channels
// open, and clears the exit bookkeeping before and after. Run-phase files are switched
// off meanwhile, so an exit reason recorded by the code under test writes no file.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>

#include "support/cerr.h"
#include "support/engineHooks.h"

class TraceCapture {
  public:
    explicit TraceCapture(uint64_t channels)
        : savedChannels(errorChannels), savedOut(stdoutObject.out), savedPhase(engineHooks.enterRunPhase) {
        resetExitState();
        errorChannels = channels;
        stdoutObject.out = &buffer;
        // An exit recorded meanwhile would move the trace to the closing phase's file.
        engineHooks.enterRunPhase = nullptr;
    }
    ~TraceCapture() {
        errorChannels = savedChannels;
        stdoutObject.out = savedOut;
        engineHooks.enterRunPhase = savedPhase;
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
    void (*savedPhase)(char const*, bool);
    std::ostringstream buffer;
};
