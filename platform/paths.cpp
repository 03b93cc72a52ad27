#include "platform/paths.h"

std::size_t finalComponentStart(std::string_view path) {
    const std::size_t root = rootPrefixLength(path);
    std::size_t start = path.size();
    while (start > root && !isPathSeparator(path[start - 1])) {
        --start;
    }
    return start;
}
