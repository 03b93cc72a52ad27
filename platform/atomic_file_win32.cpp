#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/atomic_file_calls.h"
#include "platform/device_path_win32.h"
#include "platform/interruption.h"
#include "platform/path_rules.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

namespace {

constexpr int kCreateAttempts = 100;

// Attributes of a replaced file that its replacement keeps.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

uint64_t randomSuffix(int attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32) ^
           (static_cast<uint64_t>(attempt) << 56);
}

std::string temporaryName(int attempt) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, randomSuffix(attempt), 16).ptr;
    return ".morvex-" + std::string(digits, end) + ".tmp";
}

void failWith(DWORD error) {
    const int number = errnoForWindowsError(error);
    errno = number != 0 ? number : EIO;
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open() {
    if (stream_ != nullptr || target_.empty()) {
        return false;
    }
    // An existing target is replaced only when it is a file that may be written: a folder or a
    // device is not swapped for a file, and a read-only file is left alone.
    if (namesDevice(target_)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(widePath(target_).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            failWith(error);
            return false;
        }
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }
    directory_ = target_.substr(0, finalComponentStart(target_));

    // Others may read the temporary but not write it, and it may be deleted while open, so that
    // an interruption can remove it at any moment.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kCreateAttempts && handle == INVALID_HANDLE_VALUE; ++attempt) {
        tempPath_ = directory_ + temporaryName(attempt);
        handle = CreateFileW(widePath(tempPath_).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        failWith(GetLastError());
        tempPath_.clear();
        return false;
    }
    rememberTemporaryFile(tempPath_);
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd_ < 0) {
        CloseHandle(handle);
        discard();
        return false;
    }

    // A large buffer: a big drawing then takes few write calls.
    buffer_.resize(kStreamBufferBytes);
    stream_ = atomic_file_calls::openStream(fd_, buffer_.data(), buffer_.size());
    if (stream_ == nullptr) {
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::commit() {
    if (stream_ == nullptr) {
        return false;
    }
    if (ferror(stream_) != 0 || fflush(stream_) != 0 || ferror(stream_) != 0) {
        discard();
        return false;
    }
    if (atomic_file_calls::syncFile(fd_) != 0) {
        discard();
        return false;
    }
    FILE* stream = std::exchange(stream_, nullptr);
    fd_ = -1;  // closed with its stream
    if (fclose(stream) != 0) {
        discard();
        return false;
    }
    const DWORD replaced = GetFileAttributesW(widePath(target_).c_str());
    if (replaced != INVALID_FILE_ATTRIBUTES && (replaced & kKeptAttributes) != 0) {
        SetFileAttributesW(widePath(tempPath_).c_str(), replaced & kKeptAttributes);
    }
    if (atomic_file_calls::renameFile(tempPath_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    forgetTemporaryFile(tempPath_);
    tempPath_.clear();
    return true;
}

void AtomicFile::discard() {
    if (stream_ != nullptr) {
        fclose(std::exchange(stream_, nullptr));  // closes fd_ too
        fd_ = -1;
    } else if (fd_ >= 0) {
        _close(std::exchange(fd_, -1));
    }
    if (!tempPath_.empty()) {
        DeleteFileW(widePath(tempPath_).c_str());
        forgetTemporaryFile(tempPath_);
        tempPath_.clear();
    }
}
