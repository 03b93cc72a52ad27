#include "platform/directories.h"

#include <windows.h>

#include "platform/path_rules.h"
#include "platform/wide_text_win32.h"

bool makeParentDirectories(const std::string& path) {
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
            return false;
        }
    }
    return true;
}
