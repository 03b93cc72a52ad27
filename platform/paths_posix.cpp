#include "platform/paths.h"

bool isPathSeparator(char c) {
    return c == '/';
}

char pathSeparator() {
    return '/';
}

std::size_t rootPrefixLength(std::string_view) {
    return 0;
}
