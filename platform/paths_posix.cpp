#include "platform/paths.h"

bool isPathSeparator(char c) {
    return c == '/';
}

std::size_t rootPrefixLength(std::string_view) {
    return 0;
}
