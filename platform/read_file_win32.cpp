#include "platform/read_file.h"

#include <io.h>
#include <windows.h>

#include <cerrno>

#include "platform/device_path_win32.h"
#include "platform/wide_text_win32.h"

namespace {

bool isDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HANDLE handleOf(FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

RegularFile openRegularFile(const std::string& path) {
    RegularFile file;
    // Devices and pipes are refused by name, before anything opens them; a directory by its
    // attributes, since it cannot be opened as a stream.
    const std::wstring wide = widePath(path);
    if (namesDevice(path) || isDirectory(wide)) {
        file.notRegular = true;
        return file;
    }
    file.stream.reset(_wfopen(wide.c_str(), L"rb"));
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
    return FilePtr(_wfopen(widePath(path).c_str(), L"rb"));
}
