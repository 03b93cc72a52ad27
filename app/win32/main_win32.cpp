#include <windows.h>

#include "app/win32/morvex_app_win32.h"
#include "platform/interruption.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A save cut short by the end of the session leaves no temporary file behind.
    installInterruptionHandlers();
    CMorvexApp app;
    return app.run();
}
