#include "platform/messages.h"

#include <langinfo.h>
#include <libintl.h>

#include <atomic>
#include <cstring>
#include <string_view>

#include "platform/process_paths.h"

namespace {

constexpr char kDomain[] = "morvex";

// Set once, before any thread asks for a message.
std::atomic<bool> translating{false};

}  // namespace

void setUpMessages(MessageOutput output) {
    // MORVEX_CATALOGUES_FROM_PROGRAM: the installed catalogues' folder relative to the programs'.
    const std::string programDir = executableDirectory();
    setUpMessages(output,
                  programDir.empty() ? "" : programDir + "/" MORVEX_CATALOGUES_FROM_PROGRAM);
}

void setUpMessages(MessageOutput output, const std::string& catalogueDir) {
    // Without catalogues, or where the encoding could not show Japanese: the English texts.
    if (catalogueDir.empty() || (output == MessageOutput::LocaleEncoding &&
                                 std::strcmp(::nl_langinfo(CODESET), "UTF-8") != 0)) {
        translating = false;
        return;
    }
    // The C library's own texts (error causes) come in UTF-8 too, as the messages around them.
    translating = ::bindtextdomain(kDomain, catalogueDir.c_str()) != nullptr &&
                  ::bind_textdomain_codeset(kDomain, "UTF-8") != nullptr &&
                  ::bind_textdomain_codeset("libc", "UTF-8") != nullptr;
}

bool messagesTranslated() {
    return translating;
}

const char* translated(const char* english) {
    return translating ? ::dgettext(kDomain, english) : english;
}

const char* translatedPlural(const char* singular, const char* plural, unsigned long n) {
    return translating ? ::dngettext(kDomain, singular, plural, n) : n == 1 ? singular : plural;
}

std::string messageLanguage() {
    if (!translating) {
        return "";
    }
    // The catalogue's header, which is the translation of the empty text, names its language.
    const std::string header = std::string("\n") + ::dgettext(kDomain, "");
    constexpr std::string_view kField = "\nLanguage: ";
    const std::size_t field = header.find(kField);
    if (field == std::string::npos) {
        return "";
    }
    const std::size_t start = field + kField.size();
    return header.substr(start, header.find('\n', start) - start);
}
