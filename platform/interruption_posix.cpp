#include "platform/interruption_posix.h"

#include <limits.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/interruption.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// One remembered file. A slot is claimed (Free -> Filling), its path written, then published
// (Filling -> Ready); the handler reads only Ready slots. The handle of a slot is its index, and
// only the thread that claimed it frees it.
struct Slot {
    enum State : int { Free, Filling, Ready };
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

constexpr int kSlots = kRememberedTemporaryFiles;
Slot gSlots[kSlots];

// Set once an interruption has begun; the creations of remembered files under way.
std::atomic<bool> gInterrupting{false};
std::atomic<int> gCreations{0};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets it");

// Removes every remembered file, then lets the signal end the process as it would have: the
// handler was reset to the default on entry, and the signal raised again is delivered when the
// handler returns. Only async-signal-safe calls.
void onInterruption(int signal) {
    const int savedErrno = errno;
    gInterrupting.store(true);
    // Other threads may be creating remembered files; they hold this signal back meanwhile.
    while (gCreations.load() != 0) {
        const struct timespec nap = {0, 100'000};
        ::nanosleep(&nap, nullptr);
    }
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == Slot::Ready) {
            ::unlink(slot.path);
        }
    }
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

int rememberTemporaryFile(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = gSlots[i];
        int expected = Slot::Free;
        if (slot.state.compare_exchange_strong(expected, Slot::Filling,
                                               std::memory_order_acquire)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(Slot::Ready, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void forgetTemporaryFile(int handle) {
    if (handle >= 0 && handle < kSlots) {
        gSlots[handle].state.store(Slot::Free, std::memory_order_release);
    }
}

void beginTemporaryCreation() {
    gCreations.fetch_add(1);
    if (gInterrupting.load()) {
        // The process ends with the interruption; the remembered files are being removed.
        gCreations.fetch_sub(1);
        for (;;) {
            ::pause();
        }
    }
}

void endTemporaryCreation() {
    gCreations.fetch_sub(1);
}
