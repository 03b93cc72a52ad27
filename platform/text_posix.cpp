#include "platform/text.h"

#include <iconv.h>
#include <langinfo.h>
#include <libintl.h>
#include <locale.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/directories.h"

namespace {

constexpr char kDomain[] = "morvex";

// Set once, before any thread asks for a message.
std::atomic<bool> translating{false};

constexpr char kCp932[] = "CP932";

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (valid()) {
            ::iconv_close(cd_);
        }
    }

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole text converted; empty when any character cannot be converted or the input
    // ends inside a character.
    std::optional<std::string> convert(const std::string& text) {
        std::string out(text.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        std::size_t used = 0;
        // A final call with no input flushes any shift state.
        for (bool flushing = false;;) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = flushing ? ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                                           : ::iconv(cd_, &in, &inLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) {
                if (flushing) {
                    break;
                }
                flushing = true;
            } else if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else {
                return std::nullopt;
            }
        }
        out.resize(used);
        return out;
    }

  private:
    iconv_t cd_;
};

std::optional<std::string> convert(const std::string& text, const char* to, const char* from) {
    Converter converter(to, from);
    if (!converter.valid()) {
        return std::nullopt;
    }
    return converter.convert(text);
}

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

std::optional<std::string> cp932ToUtf8(const std::string& bytes) {
    return convert(bytes, "UTF-8", kCp932);
}

std::optional<std::string> utf8ToCp932(const std::string& text) {
    return convert(text, kCp932, "UTF-8");
}

std::optional<std::string> localeToCp932(const std::string& text) {
    return convert(text, kCp932, ::nl_langinfo(CODESET));
}

bool localeIsAsciiOnly() {
    return std::strcmp(::nl_langinfo(CODESET), "ANSI_X3.4-1968") == 0;
}

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
