#include "bench/source_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

bool hasCe2Extension(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".ce2";
}

}  // namespace

bool addSources(const std::string& path, std::vector<std::string>& sources) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        sources.push_back(path);
        return true;
    }
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
        if (entry.is_regular_file(ec) && hasCe2Extension(entry.path().filename().string())) {
            found.push_back(entry.path().string());
        }
    }
    if (ec) {
        return false;
    }
    std::sort(found.begin(), found.end());
    sources.insert(sources.end(), found.begin(), found.end());
    return true;
}
