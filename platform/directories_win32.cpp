#include "platform/directories.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/paths.h"
#include "platform/text.h"

namespace {

// "dir\name"; no separator after one that ends dir, nor after a bare drive ("C:" + "x" is x in
// that drive's current directory).
std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty() || isPathSeparator(dir.back()) || (dir.size() == 2 && dir[1] == ':')) {
        return dir + name;
    }
    return dir + "\\" + name;
}

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// "dir\name" for the settings file: no separator after one that ends dir.
std::string settingsPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || isPathSeparator(dir.back())) {
        return dir + name;
    }
    return dir + "\\" + name;
}

// "C:\x" or a UNC path; not "C:x", "\x" or "x", which depend on a current directory.
bool isAbsolute(const std::string& path) {
    const std::size_t root = rootPrefixLength(path);
    return root > 2 || (root == 2 && path.size() > 2 && isPathSeparator(path[2]));
}

// Whether this user may make a file in `dir`: tried with a hidden temporary file, gone once closed.
bool canCreateFileIn(const std::string& dir) {
    const std::string probe =
        settingsPath(dir, ".morvex-" + std::to_string(GetCurrentProcessId()) + ".tmp");
    const HANDLE file = CreateFileW(
        widePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_EXISTS;  // made there by someone before
    }
    CloseHandle(file);
    return true;
}

bool isExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

// Folders take the access of the folder they are made in; `access` matters on POSIX systems only.
bool makeParentDirectories(const std::string& path, FolderAccess) {
    const std::size_t root = rootPrefixLength(path);
    for (std::size_t i = root + 1; i < path.size(); ++i) {
        if (!isPathSeparator(path[i]) || isPathSeparator(path[i - 1])) {
            continue;
        }
        const std::wstring dir = widePath(path.substr(0, i));
        const DWORD attributes = GetFileAttributesW(dir.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            const int number = errnoForWindowsError(GetLastError());
            errno = number != 0 ? number : EACCES;
            return false;
        }
    }
    return true;
}

DirectoryListing listDirectory(const std::string& dir) {
    DirectoryListing listing;
    WIN32_FIND_DATAW entry{};
    const FindHandle find(FindFirstFileExW(widePath(join(dir, "*")).c_str(), FindExInfoBasic,
                                           &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {  // a drive's empty root has not even "." in it
            listing.error = windowsErrorText(error);
        }
        return listing;
    }
    do {
        if (isDotEntry(entry.cFileName)) {
            continue;
        }
        std::string path = join(dir, narrowToUtf8(entry.cFileName));
        ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? listing.directories
                                                                  : listing.others)
            .push_back(std::move(path));
    } while (FindNextFileW(find.get(), &entry));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        listing.error = windowsErrorText(error);
    }
    return listing;
}

PathArgument expandPathArgument(const std::string& argument) {
    const std::size_t nameStart = finalComponentStart(argument);
    if (argument.find_first_of("*?", nameStart) == std::string::npos) {
        return {.pattern = false, .paths = {argument}, .error = {}};
    }
    PathArgument expanded{.pattern = true, .paths = {}, .error = {}};
    WIN32_FIND_DATAW entry{};
    const FindHandle find(FindFirstFileExW(widePath(argument).c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0));
    if (find.get() == INVALID_HANDLE_VALUE) {
        if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
            expanded.error = windowsErrorText(error);
        }
        return expanded;
    }
    const std::string folder = argument.substr(0, nameStart);
    do {
        if (!isDotEntry(entry.cFileName)) {
            expanded.paths.push_back(folder + narrowToUtf8(entry.cFileName));
        }
    } while (FindNextFileW(find.get(), &entry));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        expanded.error = windowsErrorText(error);
    }
    std::sort(expanded.paths.begin(), expanded.paths.end());
    return expanded;
}

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

SettingsLocations processSettingsLocations() {
    SettingsLocations where{currentDirectory(), executableDirectory(), "", "", ""};
    std::wstring appData(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetEnvironmentVariableW(L"APPDATA", appData.data(), static_cast<DWORD>(appData.size()));
        if (n < appData.size()) {
            appData.resize(n);  // 0 when unset
            break;
        }
        appData.resize(n);  // the size needed, its terminator included
    }
    where.appData = narrowToUtf8(appData);
    where.executableDirWritable = canCreateFileIn(where.executableDir);
    return where;
}

std::string findSettingsFile(const SettingsLocations& where, const std::string& fileName) {
    if (!where.currentDir.empty()) {
        const std::string here = settingsPath(where.currentDir, fileName);
        if (isExistingFile(here)) {
            return here;
        }
    }
    const std::string beside = settingsPath(where.executableDir, fileName);
    // A relative APPDATA would depend on the current directory: ignored.
    if (isExistingFile(beside) || !isAbsolute(where.appData)) {
        return beside;
    }
    const std::string own = settingsPath(settingsPath(where.appData, "MORVEX"), fileName);
    return isExistingFile(own) || !where.executableDirWritable ? own : beside;
}
