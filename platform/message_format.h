#pragma once

#include <string>

// The text that std::snprintf makes of format and the arguments. Translated formats may take
// their arguments in another order ("%2$s ... %1$s").
[[gnu::format(printf, 1, 2)]] std::string formatted(const char* format, ...);
