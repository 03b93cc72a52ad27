#include "platform/stale_temporaries.h"
#include "platform/temporary_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

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

// Whether `name` is a temporary of a process that no longer runs.
bool isStale(const std::string& name) {
    const std::optional<TemporaryOwner> owner = temporaryOwner(name);
    if (!owner) {
        return false;
    }
    const std::optional<uint64_t> running = processStart(owner->pid);
    return !running || *running != owner->start;
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
    static const auto pid = static_cast<uint64_t>(::getpid());
    static const uint64_t start = processStart(pid).value_or(0);
    return folderOf(target) + "/" + temporaryFileName(pid, start, randomSuffix());
}

void removeStaleTemporariesBeside(const std::string& target) {
    const std::string directory = folderOf(target);
    if (!firstVisitOf(directory)) {
        return;
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
        if (isStale(name) && ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
            ::unlinkat(dirFd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}
