#include "app/core/source_search.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <utility>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

std::string cannotRead(const std::string& cause) {
    return formatted(translated("directory cannot be read: %s"), cause.c_str());
}

// Depth first in sorted order, so that a directory reached by two ways is always searched under
// the same one.
void searchDirectory(const std::string& root, FoundSources& found) {
    std::set<FileIdentity> searched;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        // A directory that cannot be reached (its parent may be read but not searched, or its
        // path is too long) is reported like one that cannot be listed.
        const std::optional<FileIdentity> identity = fileIdentity(dir);
        if (!identity) {
            found.problems.push_back({dir, cannotRead(systemErrorText(errno))});
            continue;
        }
        if (!searched.insert(*identity).second) {
            continue;
        }
        DirectoryListing listing = listDirectory(dir);
        for (std::string& path : listing.others) {
            if (hasCe2Extension(path)) {
                found.files.push_back(std::move(path));
            }
        }
        for (DirectoryEntryProblem& entry : listing.unexamined) {
            if (hasCe2Extension(entry.path)) {
                found.files.push_back(std::move(entry.path));
            } else {
                // It may be a directory: what is below it would be missed in silence.
                found.problems.push_back(
                    {entry.path,
                     formatted(translated("cannot be examined: %s"), entry.error.c_str())});
            }
        }
        if (!listing.error.empty()) {
            found.problems.push_back({dir, cannotRead(listing.error)});
        }
        std::sort(listing.directories.rbegin(), listing.directories.rend());
        for (std::string& sub : listing.directories) {
            pending.push_back(std::move(sub));
        }
    }
    std::sort(found.files.begin(), found.files.end());
}

}  // namespace

FoundSources findSources(const std::string& path) {
    FoundSources found;
    const FileStatus status = fileStatus(path);
    if (status.kind == FileKind::Directory) {
        searchDirectory(path, found);
    } else if (hasCe2Extension(path)) {
        found.files.push_back(path);
    } else if (status.kind == FileKind::Unknown) {
        found.problems.push_back(
            {path, formatted(translated("cannot be opened: %s"), status.error.c_str())});
    } else {
        found.problems.push_back({path, translated("neither a .ce2 file nor a directory")});
    }
    return found;
}

bool isDirectory(const std::string& path) {
    return fileStatus(path).kind == FileKind::Directory;
}
