#include <CLI/CLI.hpp>

#include <clocale>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "platform/console.h"
#include "platform/cp932.h"
#include "platform/file_status.h"
#include "platform/program_arguments.h"
#include "platform/terminal.h"

namespace {

constexpr int kUsageError = 2;

// An optional sign and decimal digits: the point sizes that the settings file could hold.
std::string checkPoints(const std::string& text) {
    std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (i == text.size()) {
        return "a size in points must be a whole number: " + text;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return "a size in points must be a whole number: " + text;
        }
    }
    return "";
}

// As CLI11's ExistingFile checks, with the system's own paths (on Windows, UTF-8 names).
std::string checkExistingFile(const std::string& path) {
    const FileKind kind = fileStatus(path).kind;
    if (kind == FileKind::Unknown) {
        return "File does not exist: " + path;
    }
    if (kind == FileKind::Directory) {
        return "File is actually a directory: " + path;
    }
    return "";
}

// Converts a given face to CP932 in place; false, with a message on standard error, when CP932
// cannot hold it.
bool encodeFace(const char* option, std::optional<std::string>& face) {
    if (!face) {
        return true;
    }
    std::optional<std::string> encoded = localeToCp932(*face);
    if (!encoded) {
        std::cerr << "morvex-cli: " << option << ": \"" << *face
                  << "\" cannot be written in the CP932 encoding of drawings\n";
        return false;
    }
    face = std::move(encoded);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Standard output gets its buffer now rather than with the first report line: by then a large
    // drawing has just been freed, and allocating the buffer would make the allocator sweep every
    // one of its elements.
    static char outBuffer[BUFSIZ];
    std::setvbuf(stdout, outBuffer, isTerminal(StandardStream::Output) ? _IOLBF : _IOFBF,
                 sizeof outBuffer);
    showUtf8OnConsoles();

    BatchRequest request;
    CLI::App app(
        "Converts .ce2 drawings into .ce3 files beside them. A directory is searched "
        "for .ce2 files, also in its subdirectories.",
        "morvex-cli");
    app.set_version_flag("--version", std::string("morvex-cli ") + MORVEX_VERSION);
    app.add_option("PATH", request.paths,
                   "A .ce2 file or a directory (with --svg, also a .ce3 file)")
        ->required()
        ->type_name("");
    app.add_option("--large-face", request.largeFace, "Face of large comments for this run");
    app.add_option("--large-size", request.largeSize, "Size of large comments, in points")
        ->type_name("POINTS")
        ->check(CLI::Validator(checkPoints, ""));
    app.add_option("--small-face", request.smallFace, "Face of other comments for this run");
    app.add_option("--small-size", request.smallSize, "Size of other comments, in points")
        ->type_name("POINTS")
        ->check(CLI::Validator(checkPoints, ""));
    app.add_option("--settings", request.settingsFile,
                   "Settings file to read instead of MORVEX.INI")
        ->type_name("FILE")
        ->check(CLI::Validator(checkExistingFile, ""));
    app.add_flag("-q,--quiet", request.quiet, "Leave out the completion message");
    app.add_flag("--svg", request.svg,
                 "Also draw each converted drawing as NAME.svg beside NAME.ce3; a .ce3 PATH is "
                 "drawn to NAME.svg without converting anything");
    const std::vector<std::string> arguments = programArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments) {
        argumentTexts.push_back(argument.c_str());
    }
    try {
        app.parse(static_cast<int>(argumentTexts.size()), argumentTexts.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kUsageError;
    }
    if (!encodeFace("--large-face", request.largeFace) ||
        !encodeFace("--small-face", request.smallFace)) {
        return kUsageError;
    }
    return runBatch(request, std::cout, std::cerr);
}
