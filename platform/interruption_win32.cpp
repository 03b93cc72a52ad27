#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/interruption.h"
#include "platform/wide_text_win32.h"

namespace {

std::mutex gLock;
std::vector<std::string> gTemporaries;

// Runs on a thread of its own that the console starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT: {
            // A temporary that is still open goes once its handle closes, as the process ends;
            // it was opened to allow that.
            const std::lock_guard<std::mutex> hold(gLock);
            for (const std::string& path : gTemporaries) {
                DeleteFileW(widePath(path).c_str());
            }
            gTemporaries.clear();
            break;
        }
        default:
            break;
    }
    return FALSE;  // the next handler, the system's, ends the process as the event ends it
}

}  // namespace

void installInterruptionHandlers() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void rememberTemporaryFile(const std::string& path) {
    const std::lock_guard<std::mutex> hold(gLock);
    gTemporaries.push_back(path);
}

void forgetTemporaryFile(const std::string& path) {
    const std::lock_guard<std::mutex> hold(gLock);
    const auto it = std::find(gTemporaries.begin(), gTemporaries.end(), path);
    if (it != gTemporaries.end()) {
        gTemporaries.erase(it);
    }
}
