#include "render/display_text.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "platform/text.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

void appendCodePoint3(unsigned cp, std::string& out) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// Appends decoded UTF-8 with its control characters replaced by their pictures.
void appendVisible(const std::string& utf8, std::string& out) {
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20) {
            appendCodePoint3(0x2400 + c, out);
        } else if (c == 0x7F) {
            appendCodePoint3(0x2421, out);
        } else {
            out += ch;
        }
    }
}

// Decodes one character at a time, so that a byte sequence that does not decode spoils only its
// own character. Each distinct character is converted once per call.
class CharacterDecoder {
  public:
    std::string decode(const std::string& bytes) {
        std::string out;
        out.reserve(bytes.size() * 3);
        std::size_t i = 0;
        while (i < bytes.size()) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b < 0x80) {
                appendVisible(std::string(1, static_cast<char>(b)), out);
                ++i;
            } else if (!isLeadByte(b)) {
                appendUnit(bytes.substr(i, 1), b, out);
                ++i;
            } else if (i + 1 == bytes.size()) {
                out += kReplacement;  // a lead byte without its trail byte
                ++i;
            } else {
                const auto trail = static_cast<unsigned char>(bytes[i + 1]);
                const auto key = static_cast<uint16_t>(b << 8 | trail);
                if (appendUnit(bytes.substr(i, 2), key, out) || trail >= 0x80) {
                    i += 2;
                } else {
                    ++i;  // an ASCII byte after a lead byte that failed is read again on its own
                }
            }
        }
        return out;
    }

  private:
    // Appends the unit decoded, or U+FFFD when it does not decode; true when it decoded.
    bool appendUnit(const std::string& unit, uint16_t key, std::string& out) {
        auto known = decoded_.find(key);
        if (known == decoded_.end()) {
            known = decoded_.emplace(key, cp932ToUtf8(unit)).first;
        }
        if (!known->second) {
            out += kReplacement;
            return false;
        }
        appendVisible(*known->second, out);
        return true;
    }

    std::unordered_map<uint16_t, std::optional<std::string>> decoded_;
};

}  // namespace

std::string displayText(const std::string& cp932) {
    if (const auto whole = cp932ToUtf8(cp932)) {
        std::string out;
        out.reserve(whole->size());
        appendVisible(*whole, out);
        return out;
    }
    return CharacterDecoder().decode(cp932);
}
