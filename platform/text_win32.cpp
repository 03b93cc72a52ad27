#include "platform/text.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/builtin_messages.h"

namespace {

constexpr UINT kCp932 = 932;

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Single bytes that CP932 leaves unassigned, although Windows' table reads some of them as
// U+0080 or private-use characters. Refused, as on POSIX systems.
bool isUnassignedByte(unsigned char b) {
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

bool writesUnassignedByte(wchar_t c) {
    return c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3);
}

// Characters of the JIS reading of CP932 that Windows' table leaves out but that CP932 writes
// with the codes of their Microsoft forms (the wave dash U+301C as 81 60, the yen sign as 5C, ...),
// as glibc's CP932 does on POSIX systems: a text gives the same bytes everywhere.
struct JisForm {
    wchar_t character;
    const char* bytes;
};
constexpr JisForm kJisForms[] = {
    {0x00A2, "\x81\x91"}, {0x00A3, "\x81\x92"}, {0x00A5, "\x5C"},
    {0x00AC, "\x81\xCA"}, {0x2014, "\x81\x5C"}, {0x2016, "\x81\x61"},
    {0x203E, "\x7E"},     {0x2212, "\x81\x7C"}, {0x301C, "\x81\x60"},
};

const char* jisFormOf(wchar_t c) {
    for (const JisForm& form : kJisForms) {
        if (form.character == c) {
            return form.bytes;
        }
    }
    return nullptr;
}

std::optional<std::wstring> decode(UINT codePage, const std::string& bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    const int size = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    return wide;
}

// A run of characters in CP932, refusing any that would need a best fit.
bool appendCp932(const wchar_t* run, std::size_t length, std::string& out) {
    if (length == 0) {
        return true;
    }
    const int size = static_cast<int>(length);
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, run, size, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) {
        return false;
    }
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, run, size, out.data() + at, n, nullptr,
                        &usedDefault);
    return !usedDefault;
}

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

// Whether the user reads Japanese: as the variables that gettext reads say when any is set (as
// under Wine, or in a POSIX shell), otherwise as the user's UI language does.
bool userReadsJapanese() {
    return environmentNamesJapanese().value_or(PRIMARYLANGID(GetUserDefaultUILanguage()) ==
                                               LANG_JAPANESE);
}

}  // namespace

// The catalogue is built in: the console and the dialog take Unicode, and a file or pipe gets
// the text in a code page that holds what it can (platform/console.h), so the output's encoding
// does not matter.
void setUpMessages(MessageOutput) {
    useJapaneseMessages(userReadsJapanese());
}

void setUpMessages(MessageOutput output, const std::string&) {
    setUpMessages(output);
}

std::optional<std::string> cp932ToUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(b)) {
            ++i;  // its trail byte; a missing or wrong one fails the decoding below
        } else if (isUnassignedByte(b)) {
            return std::nullopt;
        }
    }
    const auto wide = decode(kCp932, bytes);
    if (!wide) {
        return std::nullopt;
    }
    return narrowToUtf8(*wide);
}

std::optional<std::string> utf8ToCp932(const std::string& text) {
    const auto wide = decode(CP_UTF8, text);
    if (!wide) {
        return std::nullopt;
    }
    const std::wstring& w = *wide;
    std::string out;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char* jisForm = jisFormOf(w[i]);
        if (jisForm == nullptr && !writesUnassignedByte(w[i])) {
            continue;
        }
        if (jisForm == nullptr || !appendCp932(w.data() + runStart, i - runStart, out)) {
            return std::nullopt;
        }
        out += jisForm;
        runStart = i + 1;
    }
    if (!appendCp932(w.data() + runStart, w.size() - runStart, out)) {
        return std::nullopt;
    }
    return out;
}

// Arguments arrive as UTF-8, converted from the wide command line.
std::optional<std::string> localeToCp932(const std::string& text) {
    return utf8ToCp932(text);
}

// The command line is Unicode: nothing on it is out of reach of a narrow locale.
bool localeIsAsciiOnly() {
    return false;
}

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

int errnoForWindowsError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        // Held open or locked by another program: a cause the user can remove, told as such.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return 0;
    }
}

int errnoOrIoError(unsigned long error) {
    const int number = errnoForWindowsError(error);
    return number != 0 ? number : EIO;
}

std::string windowsErrorText(unsigned long error) {
    if (const int number = errnoForWindowsError(error); number != 0) {
        return systemErrorText(number);
    }
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", n);
    LocalFree(buffer);
    // The system's messages end in a full stop and a line end, which a report line has no use for.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "error " + std::to_string(error);
    }
    return narrowToUtf8(text);
}

namespace {

// In Japanese, the causes that Windows errors are told as (errnoForWindowsError) and that the C
// runtime's file functions set, looked up by the GNU C library's words, so that reports read as on
// POSIX systems.
const char* japaneseErrorTextOf(int error) {
    switch (error) {
        case ENOENT:
            return translated("No such file or directory");
        case EACCES:
            return translated("Permission denied");
        case ENOMEM:
            return translated("Cannot allocate memory");
        case EEXIST:
            return translated("File exists");
        case ENOSPC:
            return translated("No space left on device");
        case ENOTDIR:
            return translated("Not a directory");
        case EISDIR:
            return translated("Is a directory");
        case ENAMETOOLONG:
            return translated("File name too long");
        case EINVAL:
            return translated("Invalid argument");
        case EIO:
            return translated("Input/output error");
        default:
            return nullptr;
    }
}

}  // namespace

// The C runtime's own texts in English; for the common causes they read as on POSIX systems. A
// file in use by another program, which the runtime would call a busy device, is named as Windows
// users know it.
std::string systemErrorText(int error) {
    if (error == EBUSY) {
        return translated("in use by another program");
    }
    const char* text = messagesTranslated() ? japaneseErrorTextOf(error) : nullptr;
    return text != nullptr ? text : std::strerror(error);
}
