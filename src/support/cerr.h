// Trace channels, the run-phase output file, the master log and exit reasons.
//
// Nothing in the engine throws. Code that cannot go on records an exit reason
// (setExit / setExitError) and returns, so the saver winds down in order at the next
// frame; only exit0 ends the process at once.
#pragma once

#include <cstdint>
#include <fstream>
#include <ostream>
#include <vector>

#include "support/mystring.h"

// Channel bits: 1 errors and general trace, 2 verbose trace, 4 file-operation trace.
extern uint64_t errorChannels;
extern uint64_t allowErrorChannels;
extern int16_t framesUntilNoOutput;

// The run-phase output file. Every trace line goes to *out, ends with a line end and is
// flushed at once so the file is complete up to the last line if the process dies.
class CstdoutWriter {
  public:
    CstdoutWriter() : out(&file) {}
    ~CstdoutWriter();

    int16_t active = 0;
    std::ofstream file;
    std::ostream* out;
};

extern CstdoutWriter stdoutObject;
extern std::ofstream masterOut;

extern std::vector<Cstring> exitReasonList;
extern Cstring exitMsg;
extern int16_t erroredExit;
extern int16_t exitSaver;
extern int8_t startRunOrQuit;
extern uint8_t sendErrorReport;
extern uint8_t ignoreSubsequentErrors;
extern Cstring mendwellArgument;
extern uint8_t swapEndian;
// Set when a resource the installation should hold (a model, a read-only setting) is missing
// or broken: the error report suggests reinstalling.
extern uint8_t recommendReinstall;

// The stream trace lines go to (the run-phase file; a closed stream before one opens).
inline std::ostream& traceStream() {
    return *stdoutObject.out;
}

// Writes one trace line when the channel is open: VTRACE(1, "exit: " << reason);
#define VTRACE(channel, ...)                                                                                 \
    do {                                                                                                     \
        if (errorChannels & static_cast<uint64_t>(channel)) {                                                \
            traceStream() << __VA_ARGS__ << std::endl;                                                       \
        }                                                                                                    \
    } while (0)

// Channels.
int openStdout(char const* path); // 0 opened, 1 failed
void closeStdout();
void setVerbose(int frames, char const* tag);
void nextVerboseFrame();
uint64_t openErrorChan(int bit);
void closeErrorChan(int bit);
void closeAllChannels(char const* tag);
void setBit(unsigned long& mask, int bit);
void clearBit(unsigned long& mask, int bit);

// Exit bookkeeping.
[[noreturn]] void exit0(char const* message);
void setExit(char const* reason);
void setExitError(char const* reason, int code = 0);
void setExitMessage(char const* text);
void setExitSaver(short value);
void setErrorKeyword(char const* keyword);
void showError();
// Clears the exit bookkeeping; for tests and for a host that starts a fresh run.
void resetExitState();

// Value checks and byte order.
bool legalTest(char const* name, float& value);
bool makeLegal(float& value, float minimum, float maximum, float replacement);
bool makeLegal(int& value, int minimum, int maximum, int replacement);
void organize2bits(void* p);
void organize4bits(void* p);
void setSwapEndian();

// Call-trace, event-logger and memory-tracking hooks: present for callers, silent here.
inline void showProcSimple(char const*) {}
inline void showProcEnd(char const*) {}
inline void branchSimple(char const*) {}
template <typename... T> inline void writevoid(T const&...) {}
inline void loggerTimingOn() {}
inline void showLoggerTimingInfo() {}
inline void openDetailLogger() {}
inline void closeDetailLogger() {}
inline void trackAllocedMem(void const*, long) {}
inline void trackDeleteMem(void const*) {}
inline void trackMemSummary() {}
