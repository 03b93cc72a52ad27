#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file_calls.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

namespace {

int failedWith(DWORD error) {
    const int number = errnoForWindowsError(error);
    errno = number != 0 ? number : EIO;
    return -1;
}

}  // namespace

namespace atomic_file_calls {

FILE* openStream(int fd, char* buffer, std::size_t size) {
    FILE* stream = ::_fdopen(fd, "wb");
    if (stream != nullptr) {
        std::setvbuf(stream, buffer, _IOFBF, size);
    }
    return stream;
}

int syncFile(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return FlushFileBuffers(handle) ? 0 : failedWith(GetLastError());
}

int renameFile(const char* from, const char* to) {
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : failedWith(GetLastError());
}

// The rename is written through; a folder has nothing of its own to sync.
int syncDirectory(int) {
    return 0;
}

}  // namespace atomic_file_calls
