#include <windows.h>

#include <cstdlib>
#include <iostream>

#include "app/core/dialog_arguments.h"
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
    std::vector<std::string> arguments = programArguments(__argc, __argv);
    arguments.erase(arguments.begin(), arguments.begin() + (arguments.empty() ? 0 : 1));
    const DialogArguments parsed = parseDialogArguments(arguments);
    // --help and the like are answered on the console of the command prompt that started the
    // program, or in the file or pipe that its output goes to, before any window opens.
    if (parsed.request != DialogRequest::OpenDialog) {
        attachParentConsole();
        const ConsoleText outText(std::cout, StandardStream::Output);
        const ConsoleText errText(std::cerr, StandardStream::Error);
        return answerOnTerminal(parsed, "morvex", std::cout, std::cerr);
    }
    CMorvexApp app;
    return app.run(parsed.paths);
}
