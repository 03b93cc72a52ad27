#include <windows.h>

#include <cerrno>

#include "platform/device_path_win32.h"
#include "platform/same_file.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

namespace {

std::nullopt_t failedWith(DWORD error) {
    const int number = errnoForWindowsError(error);
    errno = number != 0 ? number : EIO;
    return std::nullopt;
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    if (namesDevice(path)) {
        errno = ENOENT;  // a device is not a file that could have an identity
        return std::nullopt;
    }
    // Opened for no access at all, only to ask for its numbers; a folder needs backup semantics.
    const HANDLE handle = CreateFileW(widePath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failedWith(GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (!known) {
        return failedWith(error);
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}
