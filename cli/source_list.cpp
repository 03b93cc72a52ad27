#include "cli/source_list.h"

#include <algorithm>
#include <set>
#include <utility>

#include "app/core/conversion.h"
#include "platform/directory_listing.h"
#include "platform/file_status.h"
#include "platform/same_file.h"

namespace {

// Depth first in sorted order, so that a directory reached by two ways is always searched under
// the same one.
void searchDirectory(const std::string& root, SourceList& list) {
    std::set<FileIdentity> searched;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        const std::optional<FileIdentity> identity = fileIdentity(dir);
        if (!identity || !searched.insert(*identity).second) {
            continue;
        }
        DirectoryListing listing = listDirectory(dir);
        if (!listing.error.empty()) {
            list.problems.push_back({dir, "directory cannot be read: " + listing.error});
        }
        for (std::string& path : listing.others) {
            if (hasCe2Extension(path)) {
                list.files.push_back(std::move(path));
            }
        }
        std::sort(listing.directories.rbegin(), listing.directories.rend());
        for (std::string& sub : listing.directories) {
            pending.push_back(std::move(sub));
        }
    }
    std::sort(list.files.begin(), list.files.end());
}

}  // namespace

bool isCe3File(const std::string& path) {
    return hasExtension(path, ".ce3") && fileStatus(path).kind != FileKind::Directory;
}

SourceList collectSources(const std::string& path) {
    SourceList list;
    const FileStatus status = fileStatus(path);
    if (status.kind == FileKind::Directory) {
        searchDirectory(path, list);
    } else if (hasCe2Extension(path)) {
        list.files.push_back(path);
    } else if (status.kind == FileKind::Unknown) {
        list.problems.push_back({path, "cannot be opened: " + status.error});
    } else {
        list.problems.push_back({path, "neither a .ce2 file nor a directory"});
    }
    return list;
}
