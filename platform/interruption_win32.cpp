#include "platform/interruption.h"

#include <windows.h>

#include "platform/text.h"

namespace {

void deleteFile(const char* path) {
    DeleteFileW(widePath(path).c_str());
}

void napBriefly() {
    Sleep(0);
}

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
            removeRememberedFiles(deleteFile, napBriefly);
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

void beginTemporaryCreation() {
    if (!tryBeginTemporaryCreation()) {
        // The process ends with the interruption; the remembered files are being removed.
        Sleep(INFINITE);
    }
}
