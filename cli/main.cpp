#include <CLI/CLI.hpp>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/dialog_arguments.h"
#include "app/core/output_folder.h"
#include "app/core/settings_check.h"
#include "cli/batch.h"
#include "cli/progress_line.h"
#include "cli/report_output.h"
#include "platform/console.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/interruption.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/write_check.h"

namespace {

constexpr int kUsageError = 2;

// Decimal digits that make a number of at least 1.
std::string checkJobs(const std::string& text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || text.find_first_not_of('0') == std::string::npos) {
        return formatted(
            translated("the number of files to convert at once must be a whole number of at "
                       "least 1: %s"),
            text.c_str());
    }
    return "";
}

bool isAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Converts a given face to CP932 in place; false, with a message on standard error, when CP932
// cannot hold it or the locale cannot read it.
bool encodeFace(const char* option, std::optional<std::string>& face) {
    if (!face) {
        return true;
    }
    std::optional<std::string> encoded = localeToCp932(*face);
    if (!encoded) {
        std::cerr << "morvex-cli: " << option << ": "
                  << formatted(localeIsAsciiOnly() && !isAscii(*face)
                                   ? translated("\"%s\" cannot be read: the locale is C/POSIX, "
                                                "whose encoding holds only ASCII; set LC_ALL or "
                                                "LANG to a UTF-8 locale such as C.UTF-8")
                                   : translated("\"%s\" cannot be written in the CP932 encoding "
                                                "of drawings"),
                               face->c_str())
                  << '\n';
        return false;
    }
    face = std::move(encoded);
    return true;
}

// A settings file named by the user must be one; false, with a message, when it is not.
bool checkSettingsFile(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    const std::string problem = settingsFileProblem(path);
    if (!problem.empty()) {
        std::cerr << "morvex-cli: --settings: " << path << ": " << problem << '\n';
    }
    return problem.empty();
}

// The output folder, when one is given, exists as a folder once this returns true (in a dry run:
// could be created); false, with a message, when it is something else or cannot be created.
bool prepareOutputDir(const std::string& dir, bool dryRun) {
    const std::string problem = prepareOutputFolder(dir, dryRun);
    if (!problem.empty()) {
        std::cerr << "morvex-cli: --output-dir: " << dir << ": " << problem << '\n';
    }
    return problem.empty();
}

// Says on standard error that standard output could not be written, and why.
void reportUnwrittenOutput(int error) {
    std::cerr << "morvex-cli: "
              << (error != 0 ? formatted(translated("standard output cannot be written: %s"),
                                         systemErrorText(error).c_str())
                             : translated("standard output cannot be written"))
              << '\n';
}

// Whatever was written to out reached standard output; otherwise says why not.
int checkedOutput(ReportOutput& report, std::ostream& out, int status) {
    out.flush();
    if (report.failed() || out.bad()) {
        reportUnwrittenOutput(report.error());
        return status == 0 ? 1 : status;
    }
    return status;
}

// "unknown option: --foo --bar".
std::string unknownOptionText(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) {
        joined += (joined.empty() ? "" : " ") + argument;
    }
    return formatted(translated("unknown option: %s"), joined.c_str());
}

// A usage error of the command-line parser in our own words and the user's language. The checks
// of option values give theirs already. The parser checks for a missing PATH before it looks at
// what it could not place, so an unknown option is said first: it is the mistake to mend.
std::string usageErrorText(const CLI::App& app, const CLI::Error& e) {
    const std::string what = e.what();
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr && what.rfind("PATH ", 0) == 0) {
        if (app.remaining_size() > 0) {
            return unknownOptionText(app.remaining());
        }
        return translated("no PATH given: name .ce2 files or directories to convert");
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        return unknownOptionText(app.remaining());
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        // "--settings: 1 required FILE missing": the option comes before the colon.
        return formatted(translated("%s needs a value"), what.substr(0, what.find(':')).c_str());
    }
    return what;
}

// Whether the character `code` takes two columns on a terminal: the wide East Asian ranges.
bool isWideCharacter(char32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

// The columns that a UTF-8 text takes on a terminal.
std::size_t terminalWidth(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        columns += isWideCharacter(code) ? 2 : 1;
        i += length;
    }
    return columns;
}

// The parser's help, its left column filled up to the descriptions by the columns its text takes
// rather than by its bytes: a translated word ("必須") takes two columns per character but three
// bytes.
class HelpFormatter final : public CLI::Formatter {
  public:
    std::string make_option(const CLI::Option* option, bool isPositional) const override {
        std::string line = "  " + make_option_name(option, isPositional) + make_option_opts(option);
        const std::size_t width = get_column_width();
        const std::size_t taken = terminalWidth(line);
        const std::string description = make_option_desc(option);
        if (taken >= width && !description.empty()) {
            line += "\n" + std::string(width, ' ');
        } else if (taken < width) {
            line.append(width - taken, ' ');
        }
        for (const char c : description) {
            line += c;
            if (c == '\n') {
                line.append(width, ' ');
            }
        }
        return line + "\n";
    }
};

// The help's own words in the user's language; option names, value names and the marks that the
// columns are aligned by stay as they are.
void translateHelp(CLI::App& app) {
    app.formatter(std::make_shared<HelpFormatter>());
    const auto formatter = app.get_formatter();
    formatter->label("Usage", translated("Usage"));
    formatter->label("Positionals", translated("Positionals"));
    // "Usage: morvex-cli [OPTIONS] PATH..." and "PATH ... REQUIRED".
    formatter->label("OPTIONS", translated("OPTIONS"));
    formatter->label("REQUIRED", translated("REQUIRED"));
    app.option_defaults()->group(translated("Options"));
    app.set_help_flag("-h,--help", translated("Print this help message and exit"));
    app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
        return "morvex-cli: " + usageErrorText(*failed, e) + "\n" +
               formatted(translated("Run with %s for more information."), "--help") + "\n";
    });
}

// The arguments as the parser takes them: "-?" and, on Windows, "/?", which Windows programs answer
// with their help, stand for --help. Where "/" is the only separator, "/?" names a file in the root
// folder and stays a path. They are left out of the help's own list, which names the options that
// every system's users know.
std::vector<std::string> parserArguments(int argc, char** argv) {
    const bool slashQuestionIsHelp = isPathSeparator('\\');  // a system with Windows paths
    std::vector<std::string> arguments = programArguments(argc, argv);
    for (std::string& argument : arguments) {
        if (argument == "-?" || (argument == "/?" && slashQuestionIsHelp)) {
            argument = "--help";
        }
    }
    return arguments;
}

int run(int argc, char** argv) {
    // Standard output gets its buffer now rather than with the first report line: by then a large
    // drawing has just been freed, and allocating the buffer would make the allocator sweep every
    // one of its elements.
    static char outBuffer[BUFSIZ];
    std::setvbuf(stdout, outBuffer, isTerminal(StandardStream::Output) ? _IOLBF : _IOFBF,
                 sizeof outBuffer);

    // Reports go through a buffer that keeps the cause of a failed write.
    ReportOutput report(stdout);
    std::ostream out(&report);
    // Set up once the options are known: on a console the reports go to it as Unicode, to a file
    // or pipe in its code page or, with --utf8, in UTF-8.
    std::optional<ConsoleText> outText;
    std::optional<ConsoleText> errText;
    bool utf8 = false;

    BatchRequest request;
    CLI::App app(translated("Converts .ce2 drawings into .ce3 files beside them. A directory is "
                            "searched for .ce2 files, also in its subdirectories."),
                 "morvex-cli");
    translateHelp(app);
    // A path may begin with "/": the parser's Windows-style options (/x) are off on every system.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", versionText("morvex-cli"),
                         translated("Display program version information and exit"));
    app.add_option(
           "PATH", request.paths,
           translated("A .ce2 file or a directory (with --svg or --kicad, also a .ce3 file)"))
        ->required()
        ->type_name("");
    app.add_option("--large-face", request.largeFace,
                   translated("Face of large comments for this run"));
    app.add_option("--large-size", request.largeSize,
                   translated("Size of large comments, in points"))
        ->type_name("POINTS")
        ->check(CLI::Validator(describePointsProblem, ""));
    app.add_option("--small-face", request.smallFace,
                   translated("Face of other comments for this run"));
    app.add_option("--small-size", request.smallSize,
                   translated("Size of other comments, in points"))
        ->type_name("POINTS")
        ->check(CLI::Validator(describePointsProblem, ""));
    app.add_option("--settings", request.settingsFile,
                   translated("Settings file to read instead of MORVEX.INI"))
        ->type_name("FILE");
    app.add_flag("-q,--quiet", request.quiet, translated("Leave out the completion message"));
    app.add_flag("--svg", request.svg,
                 translated("Also draw each converted drawing as NAME.svg beside NAME.ce3; a .ce3 "
                            "PATH is drawn to NAME.svg without converting anything"));
    app.add_flag("--kicad", request.kicad,
                 translated("Also write each converted drawing as NAME.kicad_sch (KiCad 6 and "
                            "later) beside NAME.ce3; a .ce3 PATH is written to NAME.kicad_sch "
                            "without converting anything"));
    request.jobs = defaultConversionJobs();
    app.add_option("-j,--jobs", request.jobs,
                   formatted(translated("Files to convert at once, up to %u (default: the number "
                                        "of processors, %u); the reports keep the order of the "
                                        "files"),
                             static_cast<unsigned>(kMaxConversionJobs),
                             static_cast<unsigned>(request.jobs)))
        ->type_name("N")
        ->check(CLI::Validator(checkJobs, ""));
    app.add_flag("--overwrite", request.overwrite,
                 translated("Replace a .ce3 file even when it holds more than a conversion writes "
                            "(a drawing saved by the editor, with its library information)"));
    app.add_option("--output-dir", request.outputDir,
                   translated("Write each .ce3 file under DIR instead of beside its source, at the "
                              "source's path below the PATH it was found under"))
        ->type_name("DIR");
    app.add_flag("--dry-run", request.dryRun,
                 translated("Read every source and report what a run would do, writing nothing"));
    app.add_option("--report", request.reportCsv,
                   translated("Also keep one row per file in FILE, as CSV for spreadsheets"))
        ->type_name("FILE");
    app.add_flag("--utf8", utf8,
                 translated("Write reports that go to a file or pipe in UTF-8 instead of the "
                            "console's code page (on Windows; elsewhere they are UTF-8 already)"));
    const std::vector<std::string> arguments = parserArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments) {
        argumentTexts.push_back(argument.c_str());
    }
    const auto setUpText = [&] {
        const RedirectedText redirected = utf8 ? RedirectedText::Utf8 : RedirectedText::CodePage;
        outText.emplace(out, StandardStream::Output, redirected);
        errText.emplace(std::cerr, StandardStream::Error, redirected);
    };
    try {
        app.parse(static_cast<int>(argumentTexts.size()), argumentTexts.data());
    } catch (const CLI::ParseError& e) {
        // --utf8 counts when the parser got to it.
        setUpText();
        return checkedOutput(report, out, app.exit(e, out, std::cerr) == 0 ? 0 : kUsageError);
    }
    setUpText();
    if (!encodeFace("--large-face", request.largeFace) ||
        !encodeFace("--small-face", request.smallFace) ||
        !checkSettingsFile(request.settingsFile) ||
        !prepareOutputDir(request.outputDir, request.dryRun)) {
        return kUsageError;
    }

    std::optional<ProgressLine> progress;
    if (!request.quiet && isTerminal(StandardStream::Error)) {
        progress.emplace(std::cerr, terminalColumns(StandardStream::Error));
    }
    return checkedOutput(report, out,
                         runBatch(request, out, std::cerr, progress ? &*progress : nullptr));
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptionHandlers();
    std::setlocale(LC_ALL, "");
    setUpMessages(MessageOutput::LocaleEncoding);
    const int status = run(argc, argv);
    holdClosingConsole(translated("Press any key to close this window."));
    return status;
}
