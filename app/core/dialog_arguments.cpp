#include "app/core/dialog_arguments.h"

#include <algorithm>

#include "platform/text.h"

namespace {

// The toolkit's option that the argument names ("-style", "--style" or "-style=x"), setting
// valueAttached when its value follows "="; null when it names none.
const ToolkitOption* toolkitOption(std::string_view argument,
                                   std::span<const ToolkitOption> options, bool& valueAttached) {
    std::string_view name = argument.substr(argument.rfind("--", 0) == 0 ? 2 : 1);
    const std::size_t equals = name.find('=');
    valueAttached = equals != std::string_view::npos;
    name = name.substr(0, equals);
    const auto found = std::find_if(options.begin(), options.end(), [&](const ToolkitOption& o) {
        return o.name == name && (o.takesValue || !valueAttached);
    });
    return found == options.end() ? nullptr : &*found;
}

}  // namespace

DialogArguments parseDialogArguments(const std::vector<std::string>& arguments,
                                     std::span<const ToolkitOption> toolkitOptions) {
    DialogArguments result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            result.paths.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        bool valueAttached = false;
        if (const ToolkitOption* option = toolkitOption(argument, toolkitOptions, valueAttached)) {
            result.toolkitArguments.push_back(argument);
            if (option->takesValue && !valueAttached && i + 1 < arguments.size()) {
                result.toolkitArguments.push_back(arguments[++i]);
            }
            continue;
        }
        if (result.request != DialogRequest::OpenDialog) {
            continue;  // the first option decides
        }
        if (argument == "--help") {
            result.request = DialogRequest::Help;
        } else if (argument == "--version") {
            result.request = DialogRequest::Version;
        } else {
            result.request = DialogRequest::UnknownOption;
            result.unknownOption = argument;
        }
    }
    return result;
}

std::string versionText(std::string_view program) {
    return std::string(program) + " " + MORVEX_VERSION;
}

int answerOnTerminal(const DialogArguments& arguments, std::string_view program, std::ostream& out,
                     std::ostream& err) {
    const std::string name(program);
    switch (arguments.request) {
        case DialogRequest::Help:
            out << translated(
                       "Opens the dialog that converts .ce2 drawings into .ce3 files, "
                       "listing each .ce2 file given and those found in the directories "
                       "given.")
                << "\n"
                << translated("Usage") << ": " << name << " [PATH...]\n\n"
                << translated("Options") << ":\n"
                << "  --help     " << translated("Print this help message and exit") << "\n"
                << "  --version  " << translated("Display program version information and exit")
                << "\n";
            break;
        case DialogRequest::Version:
            out << versionText(program) << "\n";
            break;
        case DialogRequest::UnknownOption:
            err << name << ": "
                << formatted(translated("unknown option: %s"), arguments.unknownOption.c_str())
                << "\n"
                << formatted(translated("Run with %s for more information."), "--help") << "\n";
            err.flush();
            return kUsageErrorStatus;
        case DialogRequest::OpenDialog:
            break;
    }
    out.flush();
    return out ? 0 : 1;
}
