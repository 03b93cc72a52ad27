#include "app/core/file_list.h"

#include <algorithm>

#include "app/core/source_search.h"

void FileList::addFound(const std::string& given, std::vector<Found>& found) {
    for (std::string& path : findSources(given).files) {
        found.push_back({std::move(path), given});
    }
}

bool FileList::drop(const std::vector<std::string>& dropped) {
    if (dropped.empty()) {
        return false;
    }
    std::vector<Found> found;
    for (const std::string& path : dropped) {
        addFound(path, found);
    }
    replace(std::move(found));
    return true;
}

void FileList::choose(const std::vector<std::string>& chosen) {
    std::vector<Found> found;
    for (const std::string& path : chosen) {
        if (isDirectory(path)) {
            addFound(path, found);
        } else {
            found.push_back({path, path});
        }
    }
    replace(std::move(found));
}

void FileList::replace(std::vector<Found> found) {
    // Stable: paths that the order holds equal keep the order they came in.
    std::stable_sort(found.begin(), found.end(),
                     [this](const Found& a, const Found& b) { return before_(a.path, b.path); });
    paths_.clear();
    roots_.clear();
    for (Found& file : found) {
        paths_.push_back(std::move(file.path));
        roots_.push_back(std::move(file.root));
    }
}
