#pragma once

#include <cstdint>
#include <string_view>

// Numbers read from text and narrowed from wide intermediates, always within the signed 32-bit
// range.

// Narrows a wide intermediate to the signed 32-bit range, saturating at either end.
constexpr int32_t clamp32(int64_t v) {
    if (v > INT32_MAX) {
        return INT32_MAX;
    }
    if (v < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(v);
}

// atoiField for every text: blanks, a plus sign, numbers of ten digits and more.
int32_t atoiFieldSlowly(std::string_view text);

// Converts text as the C atoi does: leading white space, an optional sign, then decimal digits
// up to the first other byte; 0 when there are none. A number beyond the signed 32-bit range
// saturates at its limit instead of being undefined.
inline int32_t atoiField(std::string_view text) {
    // The common field, an optional minus sign and at most nine digits, is taken inline: it
    // cannot leave the 32-bit range.
    constexpr std::size_t kSafeDigits = 9;
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t first = i;
    int32_t value = 0;
    for (unsigned digit; i < text.size() && i - first < kSafeDigits &&
                         (digit = static_cast<unsigned char>(text[i]) - unsigned{'0'}) < 10;
         ++i) {
        value = value * 10 + static_cast<int32_t>(digit);
    }
    const bool ended =
        i == text.size() || static_cast<unsigned char>(text[i]) - unsigned{'0'} >= 10;
    if (i == first || !ended) {
        return atoiFieldSlowly(text);
    }
    return first == 1 ? -value : value;
}
