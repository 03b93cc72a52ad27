#include "platform/interruption.h"

#include <atomic>
#include <cstring>

namespace {

// One remembered file. A slot is claimed (Free -> Filling), its path written, then published
// (Filling -> Ready); the handler reads only Ready slots. The handle of a slot is its index, and
// only the thread that claimed it frees it.
struct Slot {
    enum State : int { Free, Filling, Ready };
    std::atomic<int> state{Free};
    char path[4096];  // UTF-8 on Windows
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

constexpr int kSlots = kRememberedTemporaryFiles;
Slot gSlots[kSlots];

// Set once an interruption has begun; the creations of remembered files under way.
std::atomic<bool> gInterrupting{false};
std::atomic<int> gCreations{0};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets it");

}  // namespace

void removeRememberedFiles(void (*remove)(const char* path), void (*nap)()) {
    gInterrupting.store(true);
    while (gCreations.load() != 0) {
        nap();
    }
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == Slot::Ready) {
            remove(slot.path);
        }
    }
}

bool tryBeginTemporaryCreation() {
    gCreations.fetch_add(1);
    if (gInterrupting.load()) {
        gCreations.fetch_sub(1);
        return false;
    }
    return true;
}

void endTemporaryCreation() {
    gCreations.fetch_sub(1);
}

int rememberTemporaryFile(const std::string& path) {
    if (path.size() >= sizeof Slot::path) {
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
