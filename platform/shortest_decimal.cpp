#include "platform/shortest_decimal.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

std::string shortestDecimalByPrintf(double value) {
    // The fewest digits that read back: "%.*e" rounds correctly, so the first precision that reads
    // back gives the digits closest to the value.
    char text[40];
    for (int precision = 0;; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision, value);
        if (precision >= 16 || std::strtod(text, nullptr) == value) {
            break;
        }
    }
    // text is [-]D[.DDD]e(+|-)XX: its digits and the decimal exponent of the first one.
    std::string sign;
    std::string digits;
    const char* p = text;
    if (*p == '-') {
        sign = "-";
        ++p;
    }
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            digits += *p;
        }
    }
    const long exponent = std::strtol(p + 1, nullptr, 10);
    const auto count = static_cast<long>(digits.size());

    std::string scientific = sign + digits.substr(0, 1);
    if (count > 1) {
        scientific += '.';
        scientific.append(digits, 1);
    }
    scientific += p;  // the exponent as printf writes it, with at least two digits

    std::string fixed = sign;
    if (exponent >= count - 1) {
        // A whole number is written in full, as "%.0f" does, not as its digits padded with zeros:
        // the two differ beyond 2^53.
        char whole[320];
        std::snprintf(whole, sizeof whole, "%.0f", value);
        fixed = whole;
    } else if (exponent >= 0) {
        const auto point = static_cast<std::size_t>(exponent + 1);
        fixed.append(digits, 0, point);
        fixed += '.';
        fixed.append(digits, point);
    } else {
        fixed += "0.";
        fixed.append(static_cast<std::size_t>(-exponent - 1), '0');
        fixed += digits;
    }
    return fixed.size() <= scientific.size() ? fixed : scientific;
}

void appendShortestDecimal(double value, std::string& out) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
#else
    out += shortestDecimalByPrintf(value);
#endif
}
