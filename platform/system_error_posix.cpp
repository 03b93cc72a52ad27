#include "platform/system_error.h"

#include <locale.h>

#include <cstring>

#include "platform/text.h"

std::string systemErrorText(int error) {
    if (!messagesTranslated()) {
        // English, as the message it goes into: the C locale's text.
        static const locale_t english = ::newlocale(LC_ALL_MASK, "C", locale_t{});
        if (english != locale_t{}) {
            return ::strerror_l(error, english);
        }
    }
    // The GNU strerror_r: thread-safe, and it returns the text, which need not be in buffer.
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}
