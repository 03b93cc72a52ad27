// Runs a program while a file is held open as some editors hold what they have open, sharing
// nothing with other programs: hold_file FILE PROGRAM [ARGUMENT...]. Exits with the program's
// exit status; 125, with a message, when the file cannot be held or the program not started.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/text.h"

namespace {

constexpr int kNotRun = 125;

// An argument as the C runtime of the program started splits it again: quoted when it is empty or
// holds a blank. The tests' arguments hold no quotes.
std::wstring quoted(const std::string& argument) {
    const std::wstring wide = widenUtf8(argument);
    if (!wide.empty() && wide.find_first_of(L" \t") == std::wstring::npos) {
        return wide;
    }
    return L"\"" + wide + L"\"";
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = programArguments(argc, argv);
    if (arguments.size() < 3) {
        std::fputs("usage: hold_file FILE PROGRAM [ARGUMENT...]\n", stderr);
        return kNotRun;
    }
    const HANDLE held = CreateFileW(widenUtf8(arguments[1]).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_file: %s cannot be held: %s\n", arguments[1].c_str(),
                     windowsErrorText(GetLastError()).c_str());
        return kNotRun;
    }
    std::wstring commandLine;
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        commandLine += (i > 2 ? L" " : L"") + quoted(arguments[i]);
    }
    // The program writes to this one's standard output and error.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "hold_file: %s cannot be started: %s\n", arguments[2].c_str(),
                     windowsErrorText(GetLastError()).c_str());
        CloseHandle(held);
        return kNotRun;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = kNotRun;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(held);
    return static_cast<int>(status);
}
