#include "platform/system_error.h"

#include <cstring>

std::string systemErrorText(int error) {
    // The GNU strerror_r: thread-safe, and it returns the text, which need not be in buffer.
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}
