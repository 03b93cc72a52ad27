#include "platform/write_check.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

// The checks follow AtomicFile::open and commit (atomic_file_win32.cpp) and makeParentDirectories
// (directories_win32.cpp) step by step. Long paths are written in their \\?\ form (widePath), so
// only the length of a single name is limited, by the volume.

namespace {

// What the volume that holds `path` allows.
struct Volume {
    bool readOnly = false;
    std::size_t longestName = SIZE_MAX;  // in UTF-16 units
};

Volume volumeOf(const std::string& path) {
    Volume volume;
    const std::wstring wide = widePath(path.empty() ? "." : path);
    std::wstring root(wide.size() + MAX_PATH, L'\0');
    if (!GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        return volume;
    }
    DWORD longest = 0;
    DWORD flags = 0;
    if (GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, &longest, &flags, nullptr, 0)) {
        volume.readOnly = (flags & FILE_READ_ONLY_VOLUME) != 0;
        volume.longestName = longest > 0 ? longest : SIZE_MAX;
    }
    return volume;
}

std::string finalName(const std::string& path) {
    return path.substr(finalComponentStart(path));
}

bool nameTooLong(const std::string& name, const Volume& volume) {
    return widenUtf8(name).size() > volume.longestName;
}

// What makeParentDirectories would do with the folders above a path.
struct FolderPlan {
    int error = 0;         // the errno it would fail with; 0 when it would not
    bool creates = false;  // whether it would create the target's folder, and so the last ones
    Volume volume;         // where they would be created
};

// Each folder above `path` in turn, as makeParentDirectories takes them. Once one is created, those
// below it are new and empty, where only the length of a name can stand in the way.
FolderPlan planFolders(const std::string& path) {
    FolderPlan plan;
    const std::size_t root = rootPrefixLength(path);
    for (std::size_t i = root + 1; i < path.size(); ++i) {
        if (!isPathSeparator(path[i]) || isPathSeparator(path[i - 1])) {
            continue;
        }
        const std::string folder = path.substr(0, i);
        if (plan.creates) {
            if (nameTooLong(finalName(folder), plan.volume)) {
                plan.error = ENAMETOOLONG;
                return plan;
            }
            continue;
        }
        // A file of that name makes CreateDirectoryW say it exists, which is taken as there.
        if (GetFileAttributesW(widePath(folder).c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        // The folder above is missing or no folder: creating this one fails alike.
        if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
            const int number = errnoForWindowsError(error);
            plan.error = number != 0 ? number : EACCES;
            return plan;
        }
        plan.volume = volumeOf(folder);
        if (plan.volume.readOnly) {
            plan.error = EACCES;  // ERROR_WRITE_PROTECT
            return plan;
        }
        plan.creates = true;
    }
    return plan;
}

WriteFailure failureInNewFolder(const std::string& target, const FolderPlan& plan) {
    const std::string name = finalName(target);
    if (namesDevice(target)) {
        return {WriteFailure::Cause::NotRegularFile, 0};
    }
    if (name.empty()) {
        return WriteFailure::system(EISDIR);
    }
    if (nameTooLong(name, plan.volume)) {
        return WriteFailure::system(ENAMETOOLONG);
    }
    return {};
}

WriteFailure failureInFolder(const std::string& target) {
    // An existing target: a file that is not read-only.
    if (namesDevice(target)) {
        return {WriteFailure::Cause::NotRegularFile, 0};
    }
    const DWORD attributes = GetFileAttributesW(widePath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
            return WriteFailure::system(errnoOrIoError(error));
        }
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return WriteFailure::system(EISDIR);
    } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return WriteFailure::system(EACCES);
    } else if (heldByAnotherProgram(target)) {
        return WriteFailure::system(EBUSY);  // the rename over it would be refused
    }
    // The temporary, created beside the target.
    const std::string folder = target.substr(0, finalComponentStart(target));
    if (GetFileAttributesW(widePath(folder.empty() ? "." : folder).c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
        return WriteFailure::system(errnoOrIoError(GetLastError()));
    }
    if (volumeOf(folder).readOnly) {
        return WriteFailure::system(EACCES);  // ERROR_WRITE_PROTECT
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
