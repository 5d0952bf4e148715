#include "support/cerr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "host/osFunctions.h"
#include "host/soundOutput.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"

uint64_t errorChannels = 0;
uint64_t allowErrorChannels = 0;
int16_t framesUntilNoOutput = 3;

CstdoutWriter stdoutObject;
std::ofstream masterOut;

std::vector<Cstring> exitReasonList;
Cstring exitMsg;
int16_t erroredExit = 0;
int16_t exitSaver = 0;
uint8_t recommendReinstall = 0;
int8_t startRunOrQuit = -1;
uint8_t sendErrorReport = 0;
uint8_t ignoreSubsequentErrors = 0;
Cstring mendwellArgument;
Cstring exitCause;
Cstring exitOwnFile;
uint8_t swapEndian = 0;

CstdoutWriter::~CstdoutWriter() {
    VTRACE(1, "destroying ~CstdoutWriter");
    if (active || file.is_open()) closeStdout();
}

// ---- the capped trace

namespace {
char const kTraceStopped[] = "\n... the trace stops here: this file is full\n";
char const kTraceBegunAgain[] = "... the earlier lines of this run were dropped: the file was full\n";

// Empties the run-phase file to go on writing (never traces: it runs inside a trace write).
bool beginTraceFileAgain() {
    std::ofstream& file = stdoutObject.file;
    if (stdoutObject.fullPath.empty()) return false;
    file.close();
    file.clear();
    // Only the program's own file again: a link or a pipe put in its place ends the trace.
    if (ownFileOfDataFolder(stdoutObject.fullPath.c_str()))
        return openOwnStream(file, stdoutObject.fullPath.c_str(), OWN_TRUNCATE | OWN_QUIET);
    file.open(stdoutObject.fullPath, std::ios::out | std::ios::trunc | std::ios::binary);
    return file.is_open();
}
} // namespace

void CcappedTraceBuf::reset(std::streambuf* to, std::streamsize bytes) {
    target = to;
    limit = left = bytes;
    dropped = false;
}

std::streamsize CcappedTraceBuf::xsputn(char const* s, std::streamsize n) {
    if (target == nullptr) return 0;
    if (dropped) return n;
    if (n > left) {
        target->pubsync();
        std::streamsize note = std::streamsize(sizeof kTraceBegunAgain - 1);
        if (whenFull && n + note <= limit && whenFull()) {
            left = limit - note;
            target->sputn(kTraceBegunAgain, note);
        } else {
            dropped = true;
            target->sputn(kTraceStopped, std::streamsize(sizeof kTraceStopped - 1));
            target->pubsync();
            return n;
        }
    }
    left -= n;
    return target->sputn(s, n);
}

int CcappedTraceBuf::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    char ch = static_cast<char>(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

// ---- channels

int openStdout(char const* path) {
    Cstring name(path);
    if (name.size() < 20) name = Cstring("[APD]") + name;
    if (stdoutObject.file.is_open()) closeStdout();
    stdoutObject.file.clear();
    setAsideUnlessFile(name.c_str()); // a folder in its place would cost every later run its trace
    if (!file_open(stdoutObject.file, name, 0)) {
        stdoutObject.active = 0;
        return 1;
    }
    allowErrorChannels |= 1 | 2 | 4;
    errorChannels |= 1 | 2 | 4;
    stdoutObject.active = 1;
    stdoutObject.fullPath = replaceCommonPathKeyword(name).c_str();
    stdoutObject.capped.whenFull = beginTraceFileAgain;
    stdoutObject.capped.reset(stdoutObject.file.rdbuf(), kTraceFileLimit);
    stdoutObject.cappedFile.clear();
    stdoutObject.out = &stdoutObject.cappedFile;
    setVerbose(5, "init");
    VTRACE(1, "CERROR allowed   ec:" << errorChannels << "  allow:" << allowErrorChannels);
    VTRACE(2, "CERR allowed");
    return 0;
}

void closeStdout() {
    stdoutObject.active = 0;
    setVerbose(0, "close");
    errorChannels = 0;
    if (stdoutObject.file.is_open()) file_close(stdoutObject.file);
    stdoutObject.fullPath.clear();
}

void setVerbose(int frames, char const* tag) {
    if (tag && Cstring(tag) == "ssh") errorChannels &= ~uint64_t(1);
    VTRACE(1, "setVerbose(" << frames << (tag ? "," : "") << (tag ? tag : "") << ")");
    if (allowErrorChannels & 1) errorChannels |= 1;
    if (static_cast<int16_t>(frames) > framesUntilNoOutput)
        framesUntilNoOutput = static_cast<int16_t>(frames);
    if (frames != 0) {
        if (allowErrorChannels & 2) errorChannels |= 2;
    } else {
        framesUntilNoOutput = 0;
        errorChannels &= ~uint64_t(2);
    }
}

void nextVerboseFrame() {
    if (framesUntilNoOutput >= 1) {
        framesUntilNoOutput--;
        if (framesUntilNoOutput == 0) setVerbose(0, "nvf");
    }
}

uint64_t openErrorChan(int bit) {
    if (bit < 0 || bit >= 32) return 0;
    uint64_t mask = uint64_t(1) << bit;
    if (allowErrorChannels & mask) errorChannels |= mask;
    return mask;
}

void closeErrorChan(int bit) {
    if (bit >= 0 && bit < 32) errorChannels &= ~(uint64_t(1) << bit);
}

void closeAllChannels(char const*) {
    errorChannels = 0;
}

void setBit(unsigned long& mask, int bit) {
    if (bit >= 0 && bit < 32) mask |= 1UL << bit;
}

void clearBit(unsigned long& mask, int bit) {
    if (bit >= 0 && bit < 32) mask &= ~(1UL << bit);
}

// ---- exit bookkeeping

namespace {
CexitHold* exitHold = nullptr; // the innermost hold
} // namespace

CexitHold::CexitHold()
    : outer(exitHold), reasons(exitReasonList.size()), message(exitMsg), mendwell(mendwellArgument),
      errored(erroredExit), saver(exitSaver), runOrQuit(startRunOrQuit), report(sendErrorReport),
      reinstall(recommendReinstall), cause(exitCause), ownFile(exitOwnFile) {
    exitHold = this;
}

CexitHold::~CexitHold() {
    exitHold = outer;
    if (!recorded) return;
    if (outer)
        outer->noteExit(firstReason);
    else if (engineHooks.enterRunPhase)
        engineHooks.enterRunPhase("closing", true);
}

void CexitHold::noteExit(Cstring const& why) {
    if (!recorded) firstReason = why;
    recorded = true;
}

void CexitHold::forget() {
    if (exitReasonList.size() > reasons) exitReasonList.resize(reasons);
    exitMsg = message;
    mendwellArgument = mendwell;
    erroredExit = errored;
    exitSaver = saver;
    startRunOrQuit = runOrQuit;
    sendErrorReport = report;
    recommendReinstall = reinstall;
    exitCause = cause;
    exitOwnFile = ownFile;
    recorded = false;
    firstReason = "";
}

bool processEndsAtOnce = false;

namespace {
std::vector<Cstring> viewerNotes;
} // namespace

void noteForViewer(Cstring const& text) {
    std::fprintf(stderr, "velmora: %s\n", text.c_str());
    if (viewerNotes.size() < 8) viewerNotes.push_back(text);
}

std::vector<Cstring> takeViewerNotes() {
    std::vector<Cstring> taken;
    taken.swap(viewerNotes);
    return taken;
}

void exit0(char const* message) {
    VTRACE(1, "exit0 " << message);
    if (masterOut.is_open()) masterOut << "exit0" << message << std::endl;
    renewRunningScriptFile(true); // a changed file of the resource copy ends this process only
    OS::closeAudio();             // a sound device left open is complained of as the process ends
    std::exit(0);
}

void setExit(char const* reason) {
    Cstring why(reason);
    // A changed file of the resource copy that ends the run ends this run only.
    if (!exitSaver) renewRunningScriptFile(false);
    if (exitReasonList.empty()) exitReasonList.push_back(why);
    startRunOrQuit = 2;
    if (why.size()) VTRACE(1, "\n\n\n\nExit reason: " << why);
    exitSaver = 1;
    if (exitHold)
        exitHold->noteExit(why); // the closing phase waits for the hold to end
    else if (engineHooks.enterRunPhase)
        engineHooks.enterRunPhase("closing", true);
    VTRACE(1, "exit: " << why);
}

namespace {
// Each reason stands apart from the one before it, which is read first as the cause.
void appendExitReason(char const* reason) {
    if (reason == nullptr || *reason == 0) return;
    if (!exitMsg.empty()) {
        char last = exitMsg.c_str()[exitMsg.size() - 1];
        if (last != ' ') exitMsg += (last == '.' || last == '!' || last == '?') ? " " : "; ";
    }
    exitMsg += reason;
}
} // namespace

void setExitError(char const* reason, int) {
    VTRACE(1, "**"
                  << "**"
                  << "* Exit Error reason: " << (reason ? reason : ""));
    if (!erroredExit) {
        // The first error: what the file layer knows of it is said first.
        exitCause = failureCause();
        exitOwnFile = ownFileAtWorkNow();
        if (!exitCause.empty()) VTRACE(1, "* Exit Error cause: " << exitCause);
        if (!ignoreSubsequentErrors && exitCause != (reason ? reason : ""))
            appendExitReason(exitCause.c_str());
    }
    erroredExit = 1; // before setExit, so the closing phase already sees an errored exit
    setExit(reason);
    if (!ignoreSubsequentErrors) appendExitReason(reason);
    OS::closeDetailLogging();
    sendErrorReport = 1;
    if (mendwellArgument.empty()) mendwellArgument = "-f";
    exitSaver = 1;
}

void setExitMessage(char const* text) {
    exitMsg += text;
}
void setExitSaver(short value) {
    exitSaver = value;
}
void setErrorKeyword(char const*) {}

void showError() {
    VTRACE(1, "SHOWERROR:" << exitMsg << "< " << erroredExit);
    if (exitMsg.empty() && erroredExit) {
        VTRACE(2, "filling message with errors");
        exitMsg = "Velmora encountered an issue: ";
        for (size_t i = 0; i < exitReasonList.size(); i++) {
            if (i) exitMsg += " / ";
            exitMsg += exitReasonList[i];
        }
    }
    if (erroredExit) {
        VTRACE(1, "xmsg:" << exitMsg << "<<");
        if (settingsFileError) {
            if (!fileExists("[INS]Mendwell.exe")) {
                exitMsg =
                    "Velmora's installation seems to be damaged. Please download the installer again from "
                    "the Velmora web site and reinstall.";
                helpPageToOpen = "install_problem.html";
            } else if (allowFixSettings) {
                exitMsg =
                    "Velmora encountered an error.  Our Mendwell program will attempt to fix the problem.";
                mendwellArgument = "-x";
                sendErrorReport = 1;
            }
        }
        OS::ShowMessage(exitMsg.c_str(), "Velmora Error", 5);
    } else if (!exitMsg.empty()) {
        OS::ShowMessage(exitMsg.c_str(), "Velmora Message", 1);
    }
    VTRACE(1, "doReport=" << int(sendErrorReport) << " arg:" << mendwellArgument);
}

void resetExitState() {
    exitReasonList.clear();
    exitMsg = "";
    erroredExit = 0;
    exitSaver = 0;
    startRunOrQuit = -1;
    sendErrorReport = 0;
    ignoreSubsequentErrors = 0;
    mendwellArgument = "";
    recommendReinstall = 0;
    exitCause = "";
    exitOwnFile = "";
}

// ---- value checks and byte order

bool legalTest(char const* name, float& value) {
    if (value <= -1000000.0f || value >= 10000000.0f) {
        VTRACE(1, "ERROR illegal flt " << name);
        return true;
    }
    return false;
}

bool makeLegal(float& value, float minimum, float maximum, float replacement) {
    if (value < minimum || value > maximum) {
        value = replacement;
        return true;
    }
    return false;
}

bool makeLegal(int& value, int minimum, int maximum, int replacement) {
    if (value < minimum || value > maximum) {
        value = replacement;
        return true;
    }
    return false;
}

void organize2bits(void* p) {
    if (!swapEndian) return;
    auto* b = static_cast<unsigned char*>(p);
    std::swap(b[0], b[1]);
}

void organize4bits(void* p) {
    if (!swapEndian) return;
    auto* b = static_cast<unsigned char*>(p);
    std::swap(b[0], b[3]);
    std::swap(b[1], b[2]);
}

void setSwapEndian() {
    swapEndian = 0;
}
