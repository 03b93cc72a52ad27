#include <windows.h>

#include <cstdlib>

#include "app/win32/morvex_app_win32.h"
#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A save cut short by the end of the session leaves no temporary file behind.
    installInterruptionHandlers();
    // MORVEX's own messages in the user's language; the specified texts are resources.
    setUpMessages(MessageOutput::Utf8);
    // What "Open with", "Send to" and a drop on the program's icon pass: files and folders to list.
    std::vector<std::string> paths = programArguments(__argc, __argv);
    paths.erase(paths.begin(), paths.begin() + (paths.empty() ? 0 : 1));
    CMorvexApp app;
    return app.run(paths);
}
