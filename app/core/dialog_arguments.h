#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The command line of the dialog programs (morvex): files and folders to list, or a question
// answered on the terminal before any window opens.

// An option of the user interface toolkit, which the program hands on to it: -NAME or --NAME,
// with its value as the next argument or after "=" when it takes one.
struct ToolkitOption {
    std::string_view name;  // without dashes: "platform"
    bool takesValue = false;
};

enum class DialogRequest {
    OpenDialog,    // open the dialog with `paths` listed
    Help,          // print the help and exit
    Version,       // print the version and exit
    UnknownOption  // say that `unknownOption` is not known and exit with a usage error
};

struct DialogArguments {
    DialogRequest request = DialogRequest::OpenDialog;
    std::string unknownOption;
    std::vector<std::string> paths;
    // The toolkit's options with their values, in their order, to be handed on to it.
    std::vector<std::string> toolkitArguments;
};

// Reads the arguments that follow the program's name. --help, --version and any other argument
// that begins with "-" (but "-" alone) before "--" are options; the first of them that is not the
// toolkit's decides the request. Everything else, and everything after "--", is a path.
DialogArguments parseDialogArguments(const std::vector<std::string>& arguments,
                                     std::span<const ToolkitOption> toolkitOptions = {});

// "PROGRAM VERSION", as every MORVEX program prints it for --version.
std::string versionText(std::string_view program);

// The exit status of a command line that asks for a usage error.
inline constexpr int kUsageErrorStatus = 2;

// Answers a request other than OpenDialog as `program` does: the help or the version on out, an
// unknown option on err, in the user's language. Returns the exit status: 0, kUsageErrorStatus
// for an unknown option, 1 when out could not be written.
int answerOnTerminal(const DialogArguments& arguments, std::string_view program, std::ostream& out,
                     std::ostream& err);
