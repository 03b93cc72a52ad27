#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/interruption.h"
#include "platform/wide_text_win32.h"

namespace {

// One remembered file. A slot is claimed (Free -> Filling), its path written, then published
// (Filling -> Ready); the handler reads only Ready slots. The handle of a slot is its index, and
// only the thread that claimed it frees it.
struct Slot {
    enum State : int { Free, Filling, Ready };
    std::atomic<int> state{Free};
    char path[4096];  // UTF-8
};

constexpr int kSlots = 64;
Slot gSlots[kSlots];

// Runs on a thread of its own that the console starts for the event, while the program goes on.
// A temporary that is still open goes once its handle closes, as the process ends; it was opened
// to allow that.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            for (Slot& slot : gSlots) {
                if (slot.state.load(std::memory_order_acquire) == Slot::Ready) {
                    DeleteFileW(widePath(slot.path).c_str());
                }
            }
            break;
        default:
            break;
    }
    return FALSE;  // the next handler, the system's, ends the process as the event ends it
}

}  // namespace

void installInterruptionHandlers() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
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
