#include "platform/numbers.h"

namespace {

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int32_t atoiFieldSlowly(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate toward the sign's limit; once past the 32-bit range further digits change nothing.
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= int64_t{INT32_MAX} + 1) {
            value = value * 10 + (text[i] - '0');
        }
    }
    return clamp32(negative ? -value : value);
}
