#include "platform/process_paths.h"

#include <windows.h>

#include "platform/path_rules.h"
#include "platform/wide_text_win32.h"

std::string currentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        return "";
    }
    std::wstring dir(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, dir.data());
    if (n == 0 || n >= size) {
        return "";
    }
    dir.resize(n);
    return narrowToUtf8(dir);
}

std::string executableDirectory() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0) {
            return "";
        }
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);  // cut short: the path is longer than the buffer
    }
    const std::string path = narrowToUtf8(exe);
    std::size_t end = finalComponentStart(path);
    // "C:\x.exe" keeps its root's separator: "C:\", not the drive-relative "C:".
    if (end > rootPrefixLength(path) + 1) {
        --end;
    }
    return path.substr(0, end);
}
