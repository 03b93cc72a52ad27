#include "platform/interruption_posix.h"

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/interruption.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void unlinkFile(const char* path) {
    ::unlink(path);
}

void napBriefly() {
    const struct timespec nap = {0, 100'000};
    ::nanosleep(&nap, nullptr);
}

// Removes every remembered file, then lets the signal end the process as it would have: the
// handler was reset to the default on entry, and the signal raised again is delivered when the
// handler returns. Only async-signal-safe calls.
void onInterruption(int signal) {
    const int savedErrno = errno;
    // Other threads may be creating remembered files; they hold this signal back meanwhile.
    removeRememberedFiles(unlinkFile, napBriefly);
    errno = savedErrno;
    ::raise(signal);
}

}  // namespace

sigset_t interruptionSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

InterruptionsHeld::InterruptionsHeld() {
    const sigset_t held = interruptionSignals();
    pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

InterruptionsHeld::~InterruptionsHeld() {
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

void installInterruptionHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterruption;
    action.sa_flags = static_cast<int>(SA_RESETHAND);  // its bit is the sign bit of int
    // While one interruption is handled, the others wait: the files are removed once.
    action.sa_mask = interruptionSignals();
    for (const int signal : kSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

void beginTemporaryCreation() {
    if (!tryBeginTemporaryCreation()) {
        // The process ends with the interruption; the remembered files are being removed.
        for (;;) {
            ::pause();
        }
    }
}
