#include "platform/text.h"

#include <cstring>

#include "platform/builtin_messages.h"
#include "platform/cp932_codec.h"

// The page in a browser: no gettext and no CP932 in its C library. Messages come from the
// catalogue built in, in the language that LANG names (the browser's, as the runtime sets it);
// CP932 from the table made from the C library's CP932 on the build machine.

void setUpMessages(MessageOutput) {
    useJapaneseMessages(environmentNamesJapanese().value_or(false));
}

void setUpMessages(MessageOutput output, const std::string&) {
    setUpMessages(output);
}

std::optional<std::string> cp932ToUtf8(const std::string& bytes) {
    return decodeCp932ByTable(bytes);
}

std::optional<std::string> utf8ToCp932(const std::string& text) {
    return encodeCp932ByTable(text);
}

// The page's texts are UTF-8.
std::optional<std::string> localeToCp932(const std::string& text) {
    return utf8ToCp932(text);
}

bool localeIsAsciiOnly() {
    return false;
}

std::string systemErrorText(int error) {
    return std::strerror(error);
}
