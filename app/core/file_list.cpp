#include "app/core/file_list.h"

#include <algorithm>

#include "app/core/conversion.h"

bool FileList::drop(const std::vector<std::string>& dropped) {
    if (dropped.empty()) {
        return false;
    }
    std::vector<std::string> kept;
    std::copy_if(dropped.begin(), dropped.end(), std::back_inserter(kept), hasCe2Extension);
    replace(std::move(kept));
    return true;
}

void FileList::choose(const std::vector<std::string>& chosen) {
    replace(chosen);
}

void FileList::replace(std::vector<std::string> paths) {
    // Stable: paths that the order holds equal keep the order they came in.
    std::stable_sort(paths.begin(), paths.end(), before_);
    paths_ = std::move(paths);
}
