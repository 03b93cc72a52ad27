#include <windows.h>

#include "platform/device_path_win32.h"
#include "platform/file_status.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

FileStatus fileStatus(const std::string& path) {
    if (namesDevice(path)) {
        return {FileKind::Other, {}};
    }
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {FileKind::Unknown, windowsErrorText(GetLastError())};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {FileKind::Directory, {}};
    }
    return {FileKind::Regular, {}};
}
