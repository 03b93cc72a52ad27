#include "platform/stale_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>


namespace {

constexpr char kPrefix[] = ".morvex-";
constexpr char kSuffix[] = ".tmp";

uint64_t randomSuffix() {
    uint64_t v = 0;
    if (getrandom(&v, sizeof v, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof v)) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        v = static_cast<uint64_t>(now) ^ (static_cast<uint64_t>(getpid()) << 32);
    }
    return v;
}

// The start time of a process in clock ticks after boot (field 22 of /proc/PID/stat), or nothing
// when it does not run.
std::optional<uint64_t> processStart(uint64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) {
        return std::nullopt;
    }
    // The command name in parentheses may hold blanks: the fields counted start after it.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    uint64_t start = 0;
    return fields >> start ? std::optional<uint64_t>(start) : std::nullopt;
}

// This process's part of the names: "PID-START" in hexadecimal.
const std::string& processStamp() {
    static const std::string stamp = [] {
        const auto pid = static_cast<uint64_t>(::getpid());
        char text[48];
        std::snprintf(text, sizeof text, "%" PRIx64 "-%" PRIx64, pid, processStart(pid).value_or(0));
        return std::string(text);
    }();
    return stamp;
}

// Whether `name` is a temporary of a process that no longer runs.
bool isStale(const std::string& name) {
    uint64_t pid = 0;
    uint64_t start = 0;
    uint64_t random = 0;
    int consumed = 0;
    if (std::sscanf(name.c_str(), ".morvex-%" SCNx64 "-%" SCNx64 "-%16" SCNx64 ".tmp%n", &pid,
                    &start, &random, &consumed) != 3 ||
        static_cast<std::size_t>(consumed) != name.size()) {
        return false;
    }
    const std::optional<uint64_t> running = processStart(pid);
    return !running || *running != start;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string temporaryNameFor(const std::string& target) {
    const std::string directory = folderOf(target);
    char random[17];
    std::snprintf(random, sizeof random, "%016" PRIx64, randomSuffix());
    return directory + "/" + kPrefix + processStamp() + "-" + random + kSuffix;
}

void removeStaleTemporariesBeside(const std::string& target) {
    const std::string directory = folderOf(target);
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(directory).second) {
            return;
        }
    }
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return;
    }
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (name.rfind(kPrefix, 0) == 0 && isStale(name) &&
            ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid()) {
            ::unlinkat(dirFd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}
