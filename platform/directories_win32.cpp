#include "platform/directories.h"

#include <windows.h>

#include <cerrno>

#include "platform/path_rules.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

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
