#include "cli/source_list.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "app/core/conversion.h"
#include "platform/message_format.h"
#include "platform/messages.h"
#include "platform/same_file.h"
#include "platform/system_error.h"

namespace fs = std::filesystem;

namespace {

std::string cannotRead(const std::string& cause) {
    return formatted(translated("directory cannot be read: %s"), cause.c_str());
}

// Depth first in sorted order, so that a directory reached by two ways is always searched under
// the same one.
void searchDirectory(const std::string& root, SourceList& list) {
    std::set<FileIdentity> searched;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        // A directory that cannot be reached (its parent may be read but not searched, or its
        // path is too long) is reported like one that cannot be listed.
        const std::optional<FileIdentity> identity = fileIdentity(dir);
        if (!identity) {
            list.problems.push_back({dir, cannotRead(systemErrorText(errno))});
            continue;
        }
        if (!searched.insert(*identity).second) {
            continue;
        }
        std::error_code ec;
        fs::directory_iterator it(dir, ec);
        if (ec) {
            list.problems.push_back({dir, cannotRead(ec.message())});
            continue;
        }
        std::vector<std::string> subdirs;
        for (; it != fs::directory_iterator();) {
            std::error_code typeError;
            const std::string path = it->path().string();
            if (it->is_directory(typeError)) {
                subdirs.push_back(path);
            } else if (hasCe2Extension(path)) {
                list.files.push_back(path);
            } else if (typeError) {
                // It may be a directory: what is below it would be missed in silence.
                list.problems.push_back({path, formatted(translated("cannot be examined: %s"),
                                                         typeError.message().c_str())});
            }
            it.increment(ec);
            if (ec) {
                list.problems.push_back({dir, cannotRead(ec.message())});
                break;
            }
        }
        std::sort(subdirs.rbegin(), subdirs.rend());
        for (std::string& sub : subdirs) {
            pending.push_back(std::move(sub));
        }
    }
    std::sort(list.files.begin(), list.files.end());
}

}  // namespace

bool isCe3File(const std::string& path) {
    std::error_code ec;
    return hasExtension(path, ".ce3") && !fs::is_directory(path, ec);
}

SourceList collectSources(const std::string& path) {
    SourceList list;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        searchDirectory(path, list);
    } else if (hasCe2Extension(path)) {
        list.files.push_back(path);
    } else if (ec) {
        list.problems.push_back(
            {path, formatted(translated("cannot be opened: %s"), ec.message().c_str())});
    } else {
        list.problems.push_back({path, translated("neither a .ce2 file nor a directory")});
    }
    return list;
}
