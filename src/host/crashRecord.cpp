#include "host/crashRecord.h"

#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "support/resourceCopy.h"

// The program's own code, as the linker lays it out.
extern "C" char __executable_start;
extern "C" char etext;

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction before[kCount];
volatile sig_atomic_t recorded = 0;
bool installed = false;
alignas(16) char faultStack[64 * 1024]; // a stack that overflowed cannot run the handler

void onOutOfMemory() {
    faultNote.memoryRanOut = 1;    // an error it ends in says so (support/resourceCopy.h)
    std::set_new_handler(nullptr); // the allocation fails as it would have
}

bool inOwnCode(void* context) {
    auto const* uc = static_cast<ucontext_t const*>(context);
#if defined(__x86_64__)
    auto pc = static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    auto pc = static_cast<uintptr_t>(uc->uc_mcontext.pc);
#else
    (void)uc;
    uintptr_t pc = 0;
#endif
    return pc >= reinterpret_cast<uintptr_t>(&__executable_start) && pc < reinterpret_cast<uintptr_t>(&etext);
}

// Appends text to the line being made (no allocation: the process is dying).
void add(char*& at, char const* end, char const* text) {
    while (*text && at < end)
        *at++ = *text++;
}

void addNumber(char*& at, char const* end, int n) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0 && count < 11);
    while (count > 0 && at < end)
        *at++ = digits[--count];
}

void record(int signal, siginfo_t const* info, void* context) {
    if (recorded || faultNote.marker[0] == 0) return;
    recorded = 1;
    // A signal the kernel raised for a fault carries a positive code; one sent by a process
    // (kill, abort's own raise) does not.
    bool sent = info == nullptr || info->si_code <= 0;
    bool byItself = sent && info != nullptr && info->si_pid == getpid();
    char const* kind = faultNote.memoryRanOut        ? "memory"
                       : sent && !byItself           ? "sent"
                       : !sent && inOwnCode(context) ? "own"
                                                     : "library";
    char line[400];
    char* at = line;
    char const* end = line + sizeof line - 1;
    add(at, end, ":s fault ");
    addNumber(at, end, signal);
    add(at, end, " ");
    add(at, end, kind);
    char const* file = ownFileAtWorkNow();
    if (file && *file) {
        add(at, end, " ");
        add(at, end, file);
    }
    *at++ = '\n';
    int fd = open(faultNote.marker, O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    ssize_t written = write(fd, line, static_cast<size_t>(at - line));
    (void)written;
    close(fd);
}

extern "C" void onFault(int signal, siginfo_t* info, void* context) {
    record(signal, info, context);
    for (int i = 0; i < kCount; i++)
        if (kSignals[i] == signal) sigaction(signal, &before[i], nullptr);
    // A fault happens again as the handler returns, to the handler before; a signal that was
    // raised or sent is raised again for it.
    if (info == nullptr || info->si_code <= 0) raise(signal);
}

} // namespace

void installCrashRecord() {
    if (installed) return;
    installed = true;
    std::set_new_handler(onOutOfMemory);
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        stack_t own{};
        own.ss_sp = faultStack;
        own.ss_size = sizeof faultStack;
        sigaltstack(&own, nullptr);
    }
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kCount; i++)
        sigaction(kSignals[i], &action, &before[i]);
}
