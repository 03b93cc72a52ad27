#include "platform/wide_text_win32.h"

#include <windows.h>

#include <climits>

namespace {

// The classic path limit less the room CreateDirectoryW keeps for an 8.3 file name.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

int lengthOf(std::size_t n) {
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

std::wstring fullPath(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return {};
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

bool startsWithExtendedPrefix(const std::wstring& path) {
    return path.size() >= 4 && (path[0] == L'\\' && path[1] == L'\\') &&
           (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

}  // namespace

std::wstring widenUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = lengthOf(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string narrowToUtf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = lengthOf(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

std::wstring widePath(const std::string& path) {
    std::wstring wide = widenUtf8(path);
    if (startsWithExtendedPrefix(wide)) {
        return wide;
    }
    // A short relative path may still be long once the current directory is put before it.
    const std::wstring full = fullPath(wide);
    if (full.empty() || startsWithExtendedPrefix(full)) {
        return wide;
    }
    if (full.size() < kClassicPathLimit) {
        return wide.size() < kClassicPathLimit ? wide : full;
    }
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}
