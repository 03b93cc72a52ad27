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

// A stream buffer that takes UTF-8 text and passes it on whole characters at a time.
class Utf8Buffer : public std::streambuf {
  public:
    Utf8Buffer() { setp(buffer_, buffer_ + sizeof buffer_); }

  protected:
    // Writes the text, which is whole characters; false when it could not.
    virtual bool write(const std::string& text) = 0;

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
        const bool ok = write(std::string(pbase(), whole));
        std::memmove(buffer_, buffer_ + whole, used - whole);
        setp(buffer_, buffer_ + sizeof buffer_);
        pbump(static_cast<int>(used - whole));
        return ok ? 0 : -1;
    }

  private:
    char buffer_[4096];
};

// Writes UTF-8 text to a console as UTF-16.
class ConsoleBuffer : public Utf8Buffer {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

  protected:
    bool write(const std::string& utf8) override {
        const std::wstring text = widenUtf8(utf8);
        for (std::size_t done = 0; done < text.size();) {
            DWORD written = 0;
            if (!WriteConsoleW(console_, text.data() + done, static_cast<DWORD>(text.size() - done),
                               &written, nullptr) ||
                written == 0) {
                return false;
            }
            done += written;
        }
        return true;
    }

  private:
    HANDLE console_;
};

// The text in the code page, each character that it cannot hold (not even by a best fit, which
// would write another character) as "?".
std::string inCodePage(UINT codePage, const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, "?", nullptr);
    if (n <= 0) {  // a code page that takes no flags nor a default character
        flags = 0;
        n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    }
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), n,
                        flags != 0 ? "?" : nullptr, nullptr);
    return bytes;
}

// Writes UTF-8 text through another stream buffer in a code page.
class CodePageBuffer : public Utf8Buffer {
  public:
    CodePageBuffer(std::streambuf* target, UINT codePage) : target_(target), codePage_(codePage) {}

  protected:
    bool write(const std::string& utf8) override {
        const std::string bytes = inCodePage(codePage_, widenUtf8(utf8));
        const auto size = static_cast<std::streamsize>(bytes.size());
        return target_->sputn(bytes.data(), size) == size && target_->pubsync() == 0;
    }

  private:
    std::streambuf* target_;
    UINT codePage_;
};

// The code page of text that a program sends to a file or pipe: the console's, else (without a
// console, when GetConsoleOutputCP gives 0) the system's OEM code page, which consoles start with.
UINT redirectedCodePage() {
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

HANDLE handleOf(StandardStream stream) {
    return GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

ConsoleText::ConsoleText(std::ostream& stream, StandardStream which, RedirectedText redirected)
    : stream_(stream) {
    const HANDLE handle = handleOf(which);
    stream_.flush();
    if (isConsole(handle)) {
        console_ = std::make_unique<ConsoleBuffer>(handle);
    } else if (const UINT codePage = redirectedCodePage();
               redirected == RedirectedText::CodePage && codePage != CP_UTF8) {
        console_ = std::make_unique<CodePageBuffer>(stream_.rdbuf(), codePage);
    } else {
        return;
    }
    previous_ = stream_.rdbuf(console_.get());
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

void holdClosingConsole(const std::string& prompt) {
    DWORD processes[2];
    const HANDLE error = handleOf(StandardStream::Error);
    if (GetConsoleProcessList(processes, 2) != 1 || !isConsole(error)) {
        return;
    }
    const HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::wstring text = widenUtf8("\n" + prompt);
    DWORD written = 0;
    WriteConsoleW(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    // Until a key goes down (one pressed while the program ran counts too); the mouse, focus and
    // key releases do not count.
    INPUT_RECORD record{};
    DWORD read = 0;
    while (ReadConsoleInputW(input, &record, 1, &read) && read == 1 &&
           !(record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown)) {
    }
    CloseHandle(input);
}

void attachParentConsole() {
    // A redirected stream has a handle of a file, pipe or character device from the start.
    const auto redirected = [](StandardStream stream) {
        const HANDLE handle = handleOf(stream);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
               GetFileType(handle) != FILE_TYPE_UNKNOWN;
    };
    const bool outputRedirected = redirected(StandardStream::Output);
    const bool errorRedirected = redirected(StandardStream::Error);
    if ((outputRedirected && errorRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    // Reading is needed too: GetConsoleMode, which tells a console, asks for it.
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return;
    }
    // The handle stays open for the rest of the run, as the standard streams' handles do.
    if (!outputRedirected) {
        SetStdHandle(STD_OUTPUT_HANDLE, console);
    }
    if (!errorRedirected) {
        SetStdHandle(STD_ERROR_HANDLE, console);
    }
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
