#pragma once

#include <string>

// Decimal texts of finite doubles as std::to_chars(first, last, value) writes them: the fewest
// significant digits that read back as the same value, in fixed or scientific notation, whichever
// is shorter (fixed on a tie). The same bytes whether or not the standard library has the
// floating-point to_chars (libc++ 14, which the WebAssembly build uses, has not).
void appendShortestDecimal(double value, std::string& out);

// The same worked out with snprintf and strtod, which every C library has; what
// appendShortestDecimal uses where to_chars is missing.
std::string shortestDecimalByPrintf(double value);
