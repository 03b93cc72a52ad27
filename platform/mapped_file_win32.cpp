#include "platform/mapped_file.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/paths.h"
#include "platform/text.h"

namespace {

// Closes a handle when it goes out of scope.
struct Handle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
            CloseHandle(handle);
        }
    }
};

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens a regular file for reading, as openRegularFile does: devices and pipes are refused by name
// and folders by their attributes, before anything opens them. Its size in *size.
bool openRegular(const std::string& path, MappedFile& file, Handle& opened, std::size_t& size) {
    const std::wstring wide = widePath(path);
    if (namesDevice(path) || isFolder(wide)) {
        file.notRegular = true;
        return false;
    }
    // Shared as the C library's streams share a file they read.
    opened.handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        file.openError = errnoOrIoError(GetLastError());
        return false;
    }
    if (GetFileType(opened.handle) != FILE_TYPE_DISK) {
        file.notRegular = true;
        return false;
    }
    LARGE_INTEGER bytes{};
    if (!GetFileSizeEx(opened.handle, &bytes)) {
        file.openError = EIO;
        return false;
    }
    if (static_cast<uint64_t>(bytes.QuadPart) > SIZE_MAX) {
        file.openError = EFBIG;
        return false;
    }
    size = static_cast<std::size_t>(bytes.QuadPart);
    return true;
}

// Maps `size` bytes of the open file read-only; null when the system cannot (the file is shorter
// by now, for one), and the file is to be read instead. The system refuses to shorten a file while
// a view of it is mapped, so the bytes stay the file's.
const char* mapView(HANDLE file, std::size_t size) {
    const auto bytes = static_cast<uint64_t>(size);
    Handle section;
    section.handle =
        CreateFileMappingW(file, nullptr, PAGE_READONLY, static_cast<DWORD>(bytes >> 32),
                           static_cast<DWORD>(bytes), nullptr);
    if (section.handle == nullptr) {
        return nullptr;
    }
    // The view keeps the mapping alive once its handle is closed.
    return static_cast<const char*>(MapViewOfFile(section.handle, FILE_MAP_READ, 0, 0, size));
}

// Reads up to `size` bytes of the open file into a buffer of their own; the bytes there are
// before an error or an end that came sooner.
UninitialisedArray<char> readInto(HANDLE file, std::size_t size, std::size_t& done, int& error) {
    UninitialisedArray<char> buffer;
    try {
        buffer = makeUninitialisedArray<char>(size);
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return buffer;
    }
    while (done < size) {
        constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
        const std::size_t want = size - done < kMostAtOnce ? size - done : kMostAtOnce;
        DWORD n = 0;
        if (!ReadFile(file, buffer.get() + done, static_cast<DWORD>(want), &n, nullptr)) {
            error = errnoOrIoError(GetLastError());
            break;
        }
        if (n == 0) {
            break;  // shortened since it was examined
        }
        done += n;
    }
    return buffer;
}

}  // namespace

void FileBytes::releaseMapping() {
    if (mapping_ != nullptr) {
        UnmapViewOfFile(mapping_);
        mapping_ = nullptr;
    }
}

bool FileBytes::cut() const {
    return false;
}

MappedFile readRegularFile(const std::string& path) {
    MappedFile file;
    Handle opened;
    std::size_t size = 0;
    if (openRegular(path, file, opened, size) && size > 0) {
        file.bytes.buffer_ = readInto(opened.handle, size, file.bytes.size_, file.readError);
    }
    return file;
}

MappedFile mapRegularFile(const std::string& path) {
    MappedFile file;
    Handle opened;
    std::size_t size = 0;
    if (!openRegular(path, file, opened, size) || size == 0) {
        return file;
    }
    FileBytes& bytes = file.bytes;
    if (size >= kMappedFileMinBytes && (bytes.mapping_ = mapView(opened.handle, size)) != nullptr) {
        bytes.size_ = bytes.mappedBytes_ = size;
    } else {
        bytes.buffer_ = readInto(opened.handle, size, bytes.size_, file.readError);
    }
    return file;
}
