#include "platform/cp932.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

namespace {

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
