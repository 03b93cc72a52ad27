#pragma once

#include <string>

// A CP932 text of a drawing as UTF-8 for display. Bytes that do not decode show as U+FFFD, and
// control characters (bytes below 0x20 and 0x7F) as their visible pictures (U+2400 to U+2421),
// so the result holds only characters that XML allows.
std::string displayText(const std::string& cp932);
