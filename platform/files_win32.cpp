#include "platform/files.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstdlib>

#include "platform/paths.h"
#include "platform/text.h"

namespace {

bool isDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HANDLE handleOf(FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Opens path for binary reading as a C runtime stream. The runtime tells a file held by another
// program as EACCES, as it tells a file that may not be read; errno then names it EBUSY, from the
// system's own error, so that the user learns what to close.
FILE* openStream(const std::wstring& path) {
    FILE* stream = _wfopen(path.c_str(), L"rb");
    if (stream == nullptr && errno == EACCES && errnoForWindowsError(_doserrno) == EBUSY) {
        errno = EBUSY;
    }
    return stream;
}

std::nullopt_t failedWith(DWORD error) {
    const int number = errnoForWindowsError(error);
    errno = number != 0 ? number : EIO;
    return std::nullopt;
}

// The numbers of the file that path names; nothing, with errno set, when it cannot be examined.
std::optional<BY_HANDLE_FILE_INFORMATION> fileInformation(const std::string& path) {
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
    return info;
}

}  // namespace

bool heldByAnotherProgram(const std::string& path) {
    const HANDLE handle = CreateFileW(widePath(path).c_str(), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

RegularFile openRegularFile(const std::string& path) {
    RegularFile file;
    // Devices and pipes are refused by name, before anything opens them; a directory by its
    // attributes, since it cannot be opened as a stream.
    const std::wstring wide = widePath(path);
    if (namesDevice(path) || isDirectory(wide)) {
        file.notRegular = true;
        return file;
    }
    file.stream.reset(openStream(wide));
    if (!file.stream) {
        file.error = errno;
        return file;
    }
    const HANDLE handle = handleOf(file.stream.get());
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        file.stream.reset();
        file.notRegular = true;
        return file;
    }
    if (!GetFileSizeEx(handle, &size)) {
        file.stream.reset();
        file.error = EIO;
        return file;
    }
    file.size = static_cast<uint64_t>(size.QuadPart);
    return file;
}

FilePtr openFileForReading(const std::string& path) {
    // A directory cannot be opened as a stream here.
    return FilePtr(openStream(widePath(path)));
}

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

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = fileInformation(path);
    if (!info) {
        return std::nullopt;
    }
    return FileIdentity{info->dwVolumeSerialNumber,
                        (uint64_t{info->nFileIndexHigh} << 32) | info->nFileIndexLow};
}
FileLook lookAtFile(const std::string& path) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = fileInformation(path);
    if (!info) {
        return {};
    }
    return {
        true,
        {info->dwVolumeSerialNumber, (uint64_t{info->nFileIndexHigh} << 32) | info->nFileIndexLow},
        (uint64_t{info->nFileSizeHigh} << 32) | info->nFileSizeLow,
        static_cast<int64_t>((uint64_t{info->ftLastWriteTime.dwHighDateTime} << 32) |
                             info->ftLastWriteTime.dwLowDateTime)};
}

std::string comparedName(const std::string& name) {
    std::wstring wide = widenUtf8(name);
    if (!wide.empty()) {
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    }
    return narrowToUtf8(wide);
}

std::optional<std::string> symbolicLinkTarget(const std::string&) {
    return std::nullopt;  // the system follows links itself when a file is opened
}
