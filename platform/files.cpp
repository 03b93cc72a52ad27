#include "platform/files.h"

#include <algorithm>

#include "platform/paths.h"

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit on following symbolic links

// The folder part of path without the separators that end it, a root kept whole.
std::string folderOf(const std::string& path, std::size_t nameStart) {
    const std::size_t root = rootPrefixLength(path);
    std::size_t end = nameStart;
    while (end > root && isPathSeparator(path[end - 1])) {
        --end;
    }
    if (end == 0) {
        return nameStart == 0 ? "." : path.substr(0, nameStart);
    }
    return path.substr(0, std::max(end, root));
}

}  // namespace

std::optional<FileKey> fileKey(const std::string& path) {
    std::string resolved = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        if (const std::optional<FileIdentity> identity = fileIdentity(resolved)) {
            return FileKey{*identity, {}};
        }
        std::optional<std::string> next = symbolicLinkTarget(resolved);
        if (!next) {
            break;
        }
        resolved = std::move(*next);
    }
    const std::size_t nameStart = finalComponentStart(resolved);
    const std::string name = resolved.substr(nameStart);
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;  // a folder that does not exist, named by its own path
    }
    std::optional<FileKey> key = fileKey(folderOf(resolved, nameStart));
    if (key) {
        // Appended piece by piece: GCC 12 for Windows warns falsely on a concatenation here.
        if (!key->below.empty()) {
            key->below += '/';
        }
        key->below += comparedName(name);
    }
    return key;
}
