#include <windows.h>

#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>

#include "platform/path_rules.h"
#include "platform/stale_temporaries.h"
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
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
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
    uint64_t pid = 0;
    uint64_t created = 0;
    uint64_t random = 0;
    int consumed = 0;
    if (std::sscanf(name.c_str(), ".morvex-%" SCNx64 "-%" SCNx64 "-%16" SCNx64 ".tmp%n", &pid,
                    &created, &random, &consumed) != 3 ||
        static_cast<std::size_t>(consumed) != name.size()) {
        return false;
    }
    return !stillRuns(pid, created);
}

}  // namespace

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<uint64_t> counter{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const uint64_t random = static_cast<uint64_t>(now.QuadPart) ^ (counter.fetch_add(1) << 48);
    char name[80];
    std::snprintf(name, sizeof name, ".morvex-%" PRIx64 "-%" PRIx64 "-%016" PRIx64 ".tmp",
                  uint64_t{GetCurrentProcessId()}, creationTime(GetCurrentProcess()), random);
    return folderOf(target) + name;
}

void removeStaleTemporariesBeside(const std::string& target) {
    const std::string folder = folderOf(target);
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second) {
            return;
        }
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(widePath(folder + ".morvex-*.tmp").c_str(),
                                     FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
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
