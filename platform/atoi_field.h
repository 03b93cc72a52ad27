#pragma once

#include <cstdint>
#include <string_view>

// Converts text as the C atoi does: leading white space, an optional sign, then decimal digits
// up to the first other byte; 0 when there are none. A number beyond the signed 32-bit range
// saturates at its limit instead of being undefined.
int32_t atoiField(std::string_view text);
