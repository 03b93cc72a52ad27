#include "platform/console.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <streambuf>

#include "platform/text.h"

namespace {

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// How many of the n bytes at text make whole UTF-8 characters: a sequence cut short at the end
// waits for the rest of its bytes.
std::size_t wholeCharacters(const char* text, std::size_t n) {
    std::size_t start = n;
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto b = static_cast<unsigned char>(text[n - back]);
        if ((b & 0xC0) != 0x80) {
            start = n - back;
            break;
        }
    }
    if (start == n) {
        return n;
    }
    const auto lead = static_cast<unsigned char>(text[start]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return n - start < length ? start : n;
}

// A stream buffer that writes UTF-8 text to a console as UTF-16.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {
        setp(buffer_, buffer_ + sizeof buffer_);
    }

  protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override {
        const auto used = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t whole = wholeCharacters(pbase(), used);
        const std::wstring text = widenUtf8(std::string(pbase(), whole));
        bool ok = true;
        for (std::size_t done = 0; done < text.size() && ok;) {
            DWORD written = 0;
            ok = WriteConsoleW(console_, text.data() + done, static_cast<DWORD>(text.size() - done),
                               &written, nullptr) &&
                 written > 0;
            done += written;
        }
        std::memmove(buffer_, buffer_ + whole, used - whole);
        setp(buffer_, buffer_ + sizeof buffer_);
        pbump(static_cast<int>(used - whole));
        return ok ? 0 : -1;
    }

  private:
    HANDLE console_;
    char buffer_[4096];
};

HANDLE handleOf(StandardStream stream) {
    return GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

ConsoleText::ConsoleText(std::ostream& stream, StandardStream which) : stream_(stream) {
    const HANDLE handle =
        GetStdHandle(which == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (isConsole(handle)) {
        stream_.flush();
        console_ = std::make_unique<ConsoleBuffer>(handle);
        previous_ = stream_.rdbuf(console_.get());
    }
}

// A console is Windows' terminal; a file, a pipe or the NUL device is not.
bool isTerminal(StandardStream stream) {
    DWORD mode = 0;
    return GetConsoleMode(handleOf(stream), &mode) != 0;
}

int terminalColumns(StandardStream stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(handleOf(stream), &info)) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.push_back(narrowToUtf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}
