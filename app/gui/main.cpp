#include <clocale>
#include <iostream>

#include "app/core/dialog_arguments.h"
#include "app/gui/morvex_app.h"
#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/text.h"

int main(int argc, char** argv) {
    // A save interrupted where only a named temporary can be had leaves no file behind.
    installInterruptionHandlers();
    // Until the window system is reached, messages go to the terminal, in its encoding.
    std::setlocale(LC_ALL, "");
    setUpMessages(MessageOutput::LocaleEncoding);
    std::vector<std::string> arguments = programArguments(argc, argv);
    arguments.erase(arguments.begin(), arguments.begin() + (arguments.empty() ? 0 : 1));
    const DialogArguments parsed = parseDialogArguments(arguments, qtOptions());
    // --help and the like are answered without a display.
    if (parsed.request != DialogRequest::OpenDialog) {
        return answerOnTerminal(parsed, "morvex", std::cout, std::cerr);
    }
    CMorvexApp app;
    return app.run(argc > 0 ? argv[0] : "morvex", parsed);
}
