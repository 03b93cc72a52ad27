#include "platform/write_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/symbolic_links_posix.h"

// The checks follow AtomicFile::open and commit (atomic_file_posix.cpp) and makeParentDirectories
// (directories_posix.cpp) step by step. Where the kernel checks several things in one call, they
// are asked in its order: the length of the whole path first, then the folders on the way (search
// permission, existence, names too long), then a read-only file system, then write permission.

namespace {

// 0 when the process may do `mode` (W_OK, X_OK) on `path` as the system decides for its effective
// user, root included; the system's error number otherwise.
int accessError(const std::string& path, int mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0 ? 0 : errno;
}

// What creating an entry in the existing folder `folder` would fail with, as mkdir and an open
// that creates check it: a read-only file system before the folder's permissions.
int creationError(const std::string& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0) {
        return EROFS;
    }
    return accessError(folder, W_OK | X_OK);
}

// The longest name that the file system of `folder` takes; no limit when it tells none.
std::size_t longestName(const std::string& folder) {
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : SIZE_MAX;
}

// The system takes paths of fewer than PATH_MAX bytes: the limit counts the terminating NUL.
bool pathTooLong(const std::string& path) {
    return path.size() >= PATH_MAX;
}

std::string finalName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Names that, in a folder just created, name that folder or the one above it, which exist.
bool namesAFolder(const std::string& name) {
    return name.empty() || name == "." || name == "..";
}

// What makeParentDirectories would do with the folders above a path.
struct FolderPlan {
    int error = 0;         // the errno it would fail with; 0 when it would not
    bool creates = false;  // whether it would create the target's folder, and so the last ones
    std::size_t longestName = SIZE_MAX;  // of the file system where they would be created
};

// Each folder above `path` in turn, as makeParentDirectories takes them: one that exists is left
// as it is, a missing one created. Once one is created, those below it are new and empty folders
// of the process's own, where only the length of a name or of the path can stand in the way.
FolderPlan planFolders(const std::string& path) {
    FolderPlan plan;
    std::string above = !path.empty() && path[0] == '/' ? "/" : ".";
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (plan.creates) {
            const std::string name = finalName(folder);
            if (pathTooLong(folder) || (!namesAFolder(name) && name.size() > plan.longestName)) {
                plan.error = ENAMETOOLONG;
                return plan;
            }
            continue;
        }
        // mkdir takes a name that is there as there, even a symbolic link that leads nowhere.
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 || ::lstat(folder.c_str(), &st) == 0) {
            above = folder;
            continue;
        }
        if (errno != ENOENT) {
            plan.error = errno;
            return plan;
        }
        plan.error = creationError(above);
        if (plan.error != 0) {
            return plan;
        }
        plan.creates = true;
        plan.longestName = longestName(above);
    }
    return plan;
}

// A target in a folder that the run would create: a new file, unless its name is too long or
// names the folder itself.
WriteFailure failureInNewFolder(const std::string& target, const FolderPlan& plan) {
    const std::string name = finalName(target);
    if (pathTooLong(target)) {
        return WriteFailure::system(ENAMETOOLONG);
    }
    if (namesAFolder(name)) {
        return WriteFailure::system(EISDIR);
    }
    if (name.size() > plan.longestName) {
        return WriteFailure::system(ENAMETOOLONG);
    }
    return {};
}

// A target in a folder that exists, or that the run would not create.
WriteFailure failureInFolder(const std::string& path) {
    const Resolved resolved = resolveLinks(path);
    if (resolved.path.empty()) {
        return resolved.failure;
    }
    const std::string& target = resolved.path;
    // An existing target: a regular file that the process may write.
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        return WriteFailure::system(errno);
    }
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            return WriteFailure::system(EISDIR);
        }
        if (!S_ISREG(st.st_mode)) {
            return {WriteFailure::Cause::NotRegularFile, 0};
        }
        if (const int error = accessError(target, W_OK); error != 0) {
            return WriteFailure::system(error);
        }
    }
    // The temporary, created in the target's folder.
    const std::string folder = directoryOf(target);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0) {
        return WriteFailure::system(errno);
    }
    if (const int error = creationError(folder); error != 0) {
        return WriteFailure::system(error);
    }
    if (!exists) {
        return {};  // the temporary is linked under the target's name
    }
    // An existing target is replaced from a hidden name beside it, by a rename, which a sticky
    // folder allows only the owner of the file or of the folder.
    if (pathTooLong(temporaryNameFor(target))) {
        return WriteFailure::system(ENAMETOOLONG);
    }
    const uid_t user = ::geteuid();
    if ((dir.st_mode & S_ISVTX) != 0 && user != 0 && st.st_uid != user && dir.st_uid != user) {
        return WriteFailure::system(EPERM);
    }
    return {};
}

}  // namespace

WriteFailure predictWriteFailure(const std::string& path, bool makeFolders) {
    FolderPlan plan;
    if (makeFolders) {
        plan = planFolders(path);
        if (plan.error != 0) {
            return WriteFailure::system(plan.error);
        }
    }
    if (path.empty()) {
        return WriteFailure::system(ENOENT);
    }
    return plan.creates ? failureInNewFolder(path, plan) : failureInFolder(path);
}

int predictParentDirectories(const std::string& path) {
    return planFolders(path).error;
}
