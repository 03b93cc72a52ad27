#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

#include "platform/terminal.h"

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
