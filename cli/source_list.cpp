#include "cli/source_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Depth first in sorted order, so that a directory reached by two ways is always searched under
// the same one.
void searchDirectory(const std::string& root, SourceList& list) {
    std::set<std::pair<dev_t, ino_t>> searched;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 || !searched.insert({st.st_dev, st.st_ino}).second) {
            continue;
        }
        std::error_code ec;
        fs::directory_iterator it(dir, ec);
        if (ec) {
            list.problems.push_back({dir, "directory cannot be read: " + ec.message()});
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
            }
            it.increment(ec);
            if (ec) {
                list.problems.push_back({dir, "directory cannot be read: " + ec.message()});
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

// Whether path ends in the extension (lower case, with its dot) in any letter case.
bool hasExtension(const std::string& path, const std::string& extension) {
    const std::size_t n = extension.size();
    if (path.size() < n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (lower(path[path.size() - n + i]) != extension[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool hasCe2Extension(const std::string& path) {
    return hasExtension(path, ".ce2");
}

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
        list.problems.push_back({path, "cannot be opened: " + ec.message()});
    } else {
        list.problems.push_back({path, "neither a .ce2 file nor a directory"});
    }
    return list;
}
