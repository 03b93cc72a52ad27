#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/path_rules.h"
#include "platform/stale_temporaries.h"
#include "platform/temporary_names.h"
#include "platform/wide_text_win32.h"

namespace {

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

// Whether `name` is a temporary of a process that no longer runs.
bool isStale(const std::string& name) {
    const std::optional<TemporaryOwner> owner = temporaryOwner(name);
    return owner && !stillRuns(owner->pid, owner->start);
}

}  // namespace

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
    if (!firstVisitOf(folder)) {
        return;
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(widePath(folder + ".morvex-*.tmp").c_str(), FindExInfoBasic,
                                     &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = narrowToUtf8(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isStale(name)) {
            DeleteFileW(widePath(folder + name).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
