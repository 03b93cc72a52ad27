#include <windows.h>

#include <shellapi.h>

#include "platform/program_arguments.h"
#include "platform/wide_text_win32.h"

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
