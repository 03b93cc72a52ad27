#include "platform/cp932_codec.h"

#include <algorithm>
#include <cstdint>

#include "platform/cp932_table.h"

namespace {

// The character of a code, by the table; nothing when CP932 does not decode it.
std::optional<char32_t> decodeCode(unsigned code) {
    const auto found =
        std::lower_bound(kCp932Decoding.begin(), kCp932Decoding.end(), code,
                         [](const Cp932Mapping& m, unsigned c) { return m.code < c; });
    if (found == kCp932Decoding.end() || found->code != code) {
        return std::nullopt;
    }
    return found->character;
}

std::optional<unsigned> encodeCharacter(char32_t c) {
    const auto found = std::lower_bound(
        kCp932Encoding.begin(), kCp932Encoding.end(), c,
        [](const Cp932Mapping& m, char32_t character) { return m.character < character; });
    if (found == kCp932Encoding.end() || found->character != c) {
        return std::nullopt;
    }
    return found->code;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next character of strict UTF-8 at text[i], advancing i; nothing for bytes that are not
// UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
std::optional<char32_t> nextUtf8(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - i < length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = c << 6 | (byte(i + k) & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    i += length;
    return c;
}

}  // namespace

std::optional<std::string> decodeCp932ByTable(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::optional<char32_t> c = decodeCode(b);
        if (c) {
            ++i;
        } else if (i + 1 < bytes.size()) {
            c = decodeCode(b * 256u + static_cast<unsigned char>(bytes[i + 1]));
            i += 2;
        }
        if (!c) {
            return std::nullopt;
        }
        appendUtf8(*c, out);
    }
    return out;
}

std::optional<std::string> encodeCp932ByTable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = nextUtf8(text, i);
        const std::optional<unsigned> code = c ? encodeCharacter(*c) : std::nullopt;
        if (!code) {
            return std::nullopt;
        }
        if (*code > 0xFF) {
            out += static_cast<char>(*code >> 8);
        }
        out += static_cast<char>(*code & 0xFF);
    }
    return out;
}
