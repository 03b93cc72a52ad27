#include "platform/path_rules.h"

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool startsWithDrive(std::string_view path) {
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':';
}

// Where the component that begins at `from` ends.
std::size_t componentEnd(std::string_view path, std::size_t from) {
    while (from < path.size() && !isPathSeparator(path[from])) {
        ++from;
    }
    return from;
}

// Where "server\share" ends when it begins at `from`.
std::size_t serverShareEnd(std::string_view path, std::size_t from) {
    const std::size_t serverEnd = componentEnd(path, from);
    return serverEnd < path.size() ? componentEnd(path, serverEnd + 1) : serverEnd;
}

bool isUncMarker(std::string_view path) {
    return path.size() >= 4 && (path[0] == 'U' || path[0] == 'u') &&
           (path[1] == 'N' || path[1] == 'n') && (path[2] == 'C' || path[2] == 'c') &&
           isPathSeparator(path[3]);
}

}  // namespace

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// "C:", "\\server\share", and after "\\?\" or "\\.\" a drive, "UNC\server\share" or the one
// component that names a volume or device.
std::size_t rootPrefixLength(std::string_view path) {
    if (startsWithDrive(path)) {
        return 2;
    }
    if (path.size() < 3 || !isPathSeparator(path[0]) || !isPathSeparator(path[1]) ||
        isPathSeparator(path[2])) {
        return 0;
    }
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && isPathSeparator(path[3])) {
        constexpr std::size_t kPrefix = 4;
        const std::string_view rest = path.substr(kPrefix);
        if (startsWithDrive(rest)) {
            return kPrefix + 2;
        }
        if (isUncMarker(rest)) {
            return serverShareEnd(path, kPrefix + 4);
        }
        return componentEnd(path, kPrefix);
    }
    return serverShareEnd(path, 2);
}
