#include "platform/atomic_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "platform/files.h"
#include "platform/interruption.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/uninitialised_array.h"

namespace {

constexpr int kCreateAttempts = 100;
constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 16;

// Attributes of a replaced file that its replacement keeps.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string folderOf(const std::string& target) {
    return target.substr(0, finalComponentStart(target));
}

uint64_t fileTime(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// When a process was created, or 0 when that cannot be found out.
uint64_t creationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) ? fileTime(created) : 0;
}

// Whether the process `pid` created at `created` still runs; true when that cannot be told.
bool stillRuns(uint64_t pid, uint64_t created) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
    }
    DWORD exitCode = 0;
    const bool runs = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE &&
                      creationTime(process) == created;
    CloseHandle(process);
    return runs;
}

// Whether `name` is a temporary of a process that, as its name tells, no longer runs. Process ids
// mean nothing to a process in another container, so this serves only as a second guard beside
// the open handle of the temporary's maker.
bool makerGone(const std::string& name) {
    const std::optional<TemporaryOwner> owner = temporaryOwner(name);
    return owner && !stillRuns(owner->pid, owner->start);
}

// Removes the temporary `path` unless a process holds it open: its maker lets no one else write
// it, so that an open for writing fails with a sharing violation while it lives. The file is
// deleted through that open handle when it closes, so nothing that took its name meanwhile is.
void removeUnlessHeld(const std::string& path) {
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), FILE_WRITE_DATA | DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
}

}  // namespace

struct AtomicFile::State {
    std::string target;
    std::string tempPath;
    int tempHandle = -1;  // the temporary's handle for removal on interruption
    // A second handle on the temporary, from its creation until it is renamed or removed, so that
    // it stays open between the close of its stream and the rename: the sign to the cleanup of
    // another process that it is in use.
    HANDLE held = INVALID_HANDLE_VALUE;
    FILE* stream = nullptr;
    WriteFailure failure;
    // The stream's buffer, left uninitialised; it outlives the stream.
    UninitialisedArray<char> buffer;

    // Records the failure, removes the temporary; false.
    bool fail(WriteFailure why) {
        failure = why;
        discard();
        return false;
    }
    bool fail(int error) { return fail({WriteFailure::Cause::System, error}); }

    bool checkTarget();
    bool openTemporary();
    bool replaceTarget();
    void forgetTemporary();
    void release();
    void discard();
};

// An existing target is replaced only when it is a file that may be written: a folder or a
// device is not swapped for a file, and a read-only file is left alone.
bool AtomicFile::State::checkTarget() {
    if (namesDevice(target)) {
        return fail({WriteFailure::Cause::NotRegularFile, 0});
    }
    const DWORD attributes = GetFileAttributesW(widePath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || fail(errnoOrIoError(error));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return fail(EISDIR);
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return fail(EACCES);
    }
    return true;
}

// A named file beside the target, remembered for removal on interruption. Others may read it but
// not write it, which tells the cleanup of another process that it is in use, and it may be
// deleted while open, so that an interruption can remove it at once.
bool AtomicFile::State::openTemporary() {
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kCreateAttempts && handle == INVALID_HANDLE_VALUE; ++attempt) {
        DWORD error = 0;
        {
            const TemporaryCreation creating;
            tempPath = temporaryNameFor(target);
            // Remembered before it exists, so that no interruption finds it unknown.
            tempHandle = rememberTemporaryFile(tempPath);
            handle = CreateFileW(widePath(tempPath).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            error = GetLastError();
        }
        if (handle == INVALID_HANDLE_VALUE) {
            forgetTemporary();
            if (error != ERROR_FILE_EXISTS) {
                return fail(errnoOrIoError(error));
            }
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return fail(EEXIST);
    }
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &held, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        const DWORD error = GetLastError();
        held = INVALID_HANDLE_VALUE;
        CloseHandle(handle);
        return fail(errnoOrIoError(error));
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        const int error = errno;
        CloseHandle(handle);
        return fail(error);
    }
    // A large buffer, so that a big drawing takes few write calls.
    buffer = makeUninitialisedArray<char>(kStreamBufferBytes);
    stream = _fdopen(fd, "wb");
    if (stream == nullptr) {
        const int error = errno;
        _close(fd);
        return fail(error);
    }
    std::setvbuf(stream, buffer.get(), _IOFBF, kStreamBufferBytes);
    return true;
}

// The replaced file's hidden and system attributes go to its replacement, which then takes the
// target's name in one step. The second handle on it allows that, and is closed after.
bool AtomicFile::State::replaceTarget() {
    const std::wstring wideTemp = widePath(tempPath);
    const DWORD replaced = GetFileAttributesW(widePath(target).c_str());
    if (replaced != INVALID_FILE_ATTRIBUTES && (replaced & kKeptAttributes) != 0) {
        SetFileAttributesW(wideTemp.c_str(), replaced & kKeptAttributes);
    }
    if (!MoveFileExW(wideTemp.c_str(), widePath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED && heldByAnotherProgram(target)) {
            return fail(EBUSY);
        }
        return fail(errnoOrIoError(error));
    }
    forgetTemporary();
    release();
    return true;
}

void AtomicFile::State::forgetTemporary() {
    forgetTemporaryFile(std::exchange(tempHandle, -1));
    tempPath.clear();
}

void AtomicFile::State::release() {
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
    }
}

// The temporary is deleted while the second handle still holds it, and goes when that closes.
void AtomicFile::State::discard() {
    if (stream != nullptr) {
        std::fclose(std::exchange(stream, nullptr));
    }
    if (!tempPath.empty()) {
        DeleteFileW(widePath(tempPath).c_str());
        forgetTemporary();
    }
    release();
}

AtomicFile::AtomicFile(std::string target) : state_(std::make_unique<State>()) {
    state_->target = std::move(target);
}

AtomicFile::~AtomicFile() {
    state_->discard();
}

FILE* AtomicFile::stream() const {
    return state_->stream;
}

const WriteFailure& AtomicFile::failure() const {
    return state_->failure;
}

bool AtomicFile::open() {
    State& s = *state_;
    if (s.stream != nullptr) {
        return false;
    }
    if (s.target.empty()) {
        return s.fail(ENOENT);
    }
    if (!s.checkTarget()) {
        return false;
    }
    if (firstVisitOf(folderOf(s.target))) {
        removeStaleTemporariesBeside(s.target);
    }
    return s.openTemporary();
}

bool AtomicFile::commit(const std::function<bool()>& mayReplace) {
    State& s = *state_;
    if (s.stream == nullptr) {
        return false;
    }
    // A failed write leaves its cause in errno, and every later write fails again alike.
    if (std::fflush(s.stream) != 0 || std::ferror(s.stream) != 0) {
        return s.fail(errno != 0 ? errno : EIO);
    }
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(s.stream))))) {
        return s.fail(errnoOrIoError(GetLastError()));
    }
    if (std::fclose(std::exchange(s.stream, nullptr)) != 0) {
        return s.fail(errno);
    }
    if (mayReplace && !mayReplace()) {
        return s.fail({WriteFailure::Cause::NotReplaced, 0});
    }
    return s.replaceTarget();
}

// A replacement is durable once MoveFileExW has returned (MOVEFILE_WRITE_THROUGH): no folder sync
// is ever left pending.
bool FolderSyncs::leavesSyncsPending() {
    return false;
}

WriteFailure FolderSyncs::syncFolder(const std::string&) {
    return {};
}

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<uint64_t> counter{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const uint64_t random = static_cast<uint64_t>(now.QuadPart) ^ (counter.fetch_add(1) << 48);
    return folderOf(target) +
           temporaryFileName(GetCurrentProcessId(), creationTime(GetCurrentProcess()), random);
}

void removeStaleTemporariesBeside(const std::string& target) {
    const std::string folder = folderOf(target);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(widePath(folder + ".morvex-*.tmp").c_str(), FindExInfoBasic,
                                     &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = narrowToUtf8(found.cFileName);
        constexpr DWORD kNotFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((found.dwFileAttributes & kNotFile) == 0 && makerGone(name)) {
            removeUnlessHeld(folder + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
