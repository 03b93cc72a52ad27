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

// While it exists, the UTF-8 text written to `stream` shows as written on the console that the
// standard stream `which` goes to. On Windows a console is given the text as Unicode, whatever
// its code page; a file or pipe still gets the UTF-8 bytes. On POSIX systems the terminal takes
// the bytes as they are, and the stream is left alone.
class ConsoleText {
  public:
    ConsoleText(std::ostream& stream, StandardStream which);
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;
    ~ConsoleText();

  private:
    std::ostream& stream_;
    std::unique_ptr<std::streambuf> console_;  // null when the stream is left alone
    std::streambuf* previous_ = nullptr;
};

// The program's command-line arguments, the program's name first. On POSIX systems they are argv
// as given; on Windows they come from the wide command line as UTF-8, so that names the ANSI code
// page cannot hold arrive whole.
std::vector<std::string> programArguments(int argc, char** argv);
