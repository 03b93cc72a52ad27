#include <filesystem>
#include <system_error>

#include "platform/directory_listing.h"

namespace fs = std::filesystem;

DirectoryListing listDirectory(const std::string& dir) {
    DirectoryListing listing;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        listing.error = ec.message();
        return listing;
    }
    for (; it != fs::directory_iterator();) {
        std::error_code typeError;
        std::string path = it->path().string();
        if (it->is_directory(typeError)) {
            listing.directories.push_back(std::move(path));
        } else if (typeError) {
            listing.unexamined.push_back({std::move(path), typeError.message()});
        } else {
            listing.others.push_back(std::move(path));
        }
        it.increment(ec);
        if (ec) {
            listing.error = ec.message();
            break;
        }
    }
    return listing;
}
