#include "platform/symbolic_links_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit on following symbolic links

// The kernel's protected-symlink rule: a link in a sticky, world-writable directory is followed
// only when it belongs to the directory's owner or to the process's user.
bool mayFollow(const std::string& linkPath, const struct stat& link) {
    struct stat dir {};
    if (::stat(directoryOf(linkPath).c_str(), &dir) != 0) {
        return true;  // the link itself was found there; what follows fails on its own
    }
    const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == dir.st_uid || link.st_uid == ::geteuid();
}

}  // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

Resolved resolveLinks(std::string path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            return {std::move(path), {}, {}, errno};
        }
        if (!S_ISLNK(st.st_mode)) {
            return {std::move(path), {}, st, 0};
        }
        if (!mayFollow(path, st)) {
            return {{}, {WriteFailure::Cause::ProtectedLink, 0}};
        }
        char next[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), next, sizeof next);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof next)) {
            return {{}, WriteFailure::system(n < 0 ? errno : ENAMETOOLONG)};
        }
        const std::string dest(next, static_cast<std::size_t>(n));
        path = dest[0] == '/' ? dest : directoryOf(path) + "/" + dest;
    }
    return {{}, WriteFailure::system(ELOOP)};
}
