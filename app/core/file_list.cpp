#include "app/core/file_list.h"

#include <algorithm>
#include <iterator>

#include "app/core/source_search.h"

bool FileList::drop(const std::vector<std::string>& dropped) {
    if (dropped.empty()) {
        return false;
    }
    std::vector<std::string> kept;
    for (const std::string& path : dropped) {
        std::vector<std::string> found = findSources(path).files;
        kept.insert(kept.end(), std::make_move_iterator(found.begin()),
                    std::make_move_iterator(found.end()));
    }
    replace(std::move(kept));
    return true;
}

void FileList::choose(const std::vector<std::string>& chosen) {
    std::vector<std::string> kept;
    for (const std::string& path : chosen) {
        if (isDirectory(path)) {
            std::vector<std::string> found = findSources(path).files;
            kept.insert(kept.end(), std::make_move_iterator(found.begin()),
                        std::make_move_iterator(found.end()));
        } else {
            kept.push_back(path);
        }
    }
    replace(std::move(kept));
}

void FileList::replace(std::vector<std::string> paths) {
    // Stable: paths that the order holds equal keep the order they came in.
    std::stable_sort(paths.begin(), paths.end(), before_);
    paths_ = std::move(paths);
}
