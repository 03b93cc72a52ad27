#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

// The console or terminal that a run of a program talks to, and its command line.

// The standard streams of the process as the user sees them.
enum class StandardStream { Output, Error };

// Whether the stream goes to a terminal.
bool isTerminal(StandardStream stream);

// The width of the terminal that the stream goes to, in columns; 0 when unknown.
int terminalColumns(StandardStream stream);

// How text that goes to a file or pipe instead of a console is written on Windows: in the code
// page that Windows programs write there (the console's output code page, else the OEM code
// page), each character that it cannot hold as "?", or in UTF-8.
enum class RedirectedText { CodePage, Utf8 };

// While it exists, the UTF-8 text written to `stream` shows as written on the console that the
// standard stream `which` goes to. On Windows a console is given the text as Unicode, whatever
// its code page; a file or pipe gets it as `redirected` says. On POSIX systems the terminal, file
// or pipe takes the UTF-8 bytes as they are, and the stream is left alone.
class ConsoleText {
  public:
    ConsoleText(std::ostream& stream, StandardStream which,
                RedirectedText redirected = RedirectedText::CodePage);
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;
    ~ConsoleText();

  private:
    std::ostream& stream_;
    std::unique_ptr<std::streambuf> console_;  // null when the stream is left alone
    std::streambuf* previous_ = nullptr;
};

// When the console would close as the program exits, shows `prompt` on it and waits until a key
// is pressed there, so that what the program wrote can be read. That is on Windows, when the
// program is the only one attached to its console and the console shows its standard error, as
// when Explorer started it rather than a Command Prompt. Elsewhere the terminal belongs to the
// shell or the terminal emulator, which outlive the program, and this does nothing.
void holdClosingConsole(const std::string& prompt);

// Gives a program without a console of its own (a Windows GUI program) the console of the command
// prompt that started it, for the standard streams that are not redirected to a file or pipe, so
// that what it writes there shows as a console program's output would. Does nothing when there is
// no such console, when both streams are redirected, or on POSIX systems, where the streams go
// to the terminal already.
void attachParentConsole();

// The program's command-line arguments, the program's name first. On POSIX systems they are argv
// as given; on Windows they come from the wide command line as UTF-8, so that names the ANSI code
// page cannot hold arrive whole.
std::vector<std::string> programArguments(int argc, char** argv);
