// Trace channels, the run-phase output file, the master log and exit reasons.
//
// Nothing in the engine throws. Code that cannot go on records an exit reason
// (setExit / setExitError) and returns, so the saver winds down in order at the next
// frame; only exit0 ends the process at once.
#pragma once

#include <cstdint>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "support/mystring.h"

// Channel bits: 1 errors and general trace, 2 verbose trace, 4 file-operation trace.
extern uint64_t errorChannels;
extern uint64_t allowErrorChannels;
extern int16_t framesUntilNoOutput;

// Passes what is written on to a target up to a number of bytes: a screen saver left running
// for days must not fill the disk with trace. When the target is full, whenFull (if set) makes
// it empty again and the writing goes on after a line that says so; without it, or when it
// fails, one closing line is written and the rest dropped.
class CcappedTraceBuf : public std::streambuf {
  public:
    void reset(std::streambuf* to, std::streamsize limit);
    bool stopped() const { return dropped; }
    bool (*whenFull)() = nullptr; // true: the target is empty again

  protected:
    int overflow(int c) override;
    std::streamsize xsputn(char const* s, std::streamsize n) override;
    int sync() override { return target && !dropped ? target->pubsync() : 0; }

  private:
    std::streambuf* target = nullptr;
    std::streamsize limit = 0, left = 0;
    bool dropped = false;
};

// The most a run-phase output file holds.
constexpr std::streamsize kTraceFileLimit = std::streamsize(16) << 20;

// The run-phase output file. Every trace line goes to *out, ends with a line end and is
// flushed at once so the file is complete up to the last line if the process dies.
class CstdoutWriter {
  public:
    CstdoutWriter() : out(&file) {}
    ~CstdoutWriter();

    int16_t active = 0;
    std::ofstream file;
    CcappedTraceBuf capped; // the file, up to kTraceFileLimit, then begun again
    std::string fullPath;   // of the file open now
    std::ostream cappedFile{&capped};
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
// What the run's first exit error is known to come of: why the file layer could not give a
// file, or memory run out (support/resourceCopy.h: failureCause), else empty; and the data
// folder's own script file whose line ran then ("settings.txt"; empty for none). A user's
// file is blamed for the end of a run only when its own line failed and nothing else is known.
extern Cstring exitCause;
extern Cstring exitOwnFile;

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

// What the viewer must be told where he looks (a file of his set aside): it goes to stderr at
// once, and the scene shows it on its message page once it can (a window's run). The caller
// logs it.
void noteForViewer(Cstring const& text);
// The notes not shown yet, taken (the scene shows them).
std::vector<Cstring> takeViewerNotes();

// Exit bookkeeping.
[[noreturn]] void exit0(char const* message);
// Set just before the process ends at once (exit0 after the globals are freed): a start
// that ends so leaves its run marker for the next start.
extern bool processEndsAtOnce;
void setExit(char const* reason);
void setExitError(char const* reason, int code = 0);
void setExitMessage(char const* text);
void setExitSaver(short value);
void setErrorKeyword(char const* keyword);
void showError();
// Clears the exit bookkeeping; for tests and for a host that starts a fresh run.
void resetExitState();

// Holds back the end of the run for the exits recorded while it lives, so that a step with
// a fallback (reading a damaged settings file) can fail and the run go on. The exit is
// recorded as usual, so the failing step stops as it would; only the switch to the closing
// phase waits for the hold to end. forget() puts the exit bookkeeping back as it was when
// the hold began; otherwise the exit stands when the hold ends. Holds nest.
class CexitHold {
  public:
    CexitHold();
    ~CexitHold();
    CexitHold(CexitHold const&) = delete;
    CexitHold& operator=(CexitHold const&) = delete;

    // An exit was recorded while the hold lived (and was not forgotten).
    bool exitRecorded() const { return recorded; }
    // The first reason recorded while the hold lived.
    Cstring const& reason() const { return firstReason; }
    // The exits recorded while the hold lived never happened.
    void forget();
    // Called by setExit while this hold is the innermost one.
    void noteExit(Cstring const& why);

  private:
    CexitHold* outer;
    size_t reasons;
    Cstring message, mendwell;
    int16_t errored, saver;
    int8_t runOrQuit;
    uint8_t report, reinstall;
    Cstring cause, ownFile;
    bool recorded = false;
    Cstring firstReason;
};

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
