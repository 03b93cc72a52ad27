#include "kicad/kicad_sexpr.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace {

// FNV-1a over the name and the position, from one of two offsets: 128 bits in all.
uint64_t hashOf(std::string_view name, uint64_t element, uint64_t part, uint64_t offset) {
    constexpr uint64_t kPrime = 0x100000001b3ULL;
    uint64_t h = offset;
    const auto add = [&h](unsigned char byte) {
        h ^= byte;
        h *= kPrime;
    };
    for (const char c : name) {
        add(static_cast<unsigned char>(c));
    }
    add(0);
    for (const uint64_t value : {element, part}) {
        for (int shift = 0; shift < 64; shift += 8) {
            add(static_cast<unsigned char>(value >> shift));
        }
    }
    return h;
}

}  // namespace

std::string kicadNumber(int64_t units) {
    // units * 0.254 mm = units * 254 thousandths.
    const uint64_t magnitude =
        units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
    const uint64_t thousandths = magnitude * 254;
    std::array<char, 32> text{};
    char* end = text.data();
    if (units < 0) {
        *end++ = '-';
    }
    end = std::to_chars(end, text.data() + text.size(), thousandths / 1000).ptr;
    if (uint64_t fraction = thousandths % 1000; fraction != 0) {
        *end++ = '.';
        for (uint64_t digit = 100; fraction != 0; digit /= 10) {
            *end++ = static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    return std::string(text.data(), end);
}

std::string kicadString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string KicadUuids::operator()(uint64_t element, uint64_t part) const {
    const uint64_t high = hashOf(name_, element, part, 0xcbf29ce484222325ULL);
    const uint64_t low = hashOf(name_, element, part, 0x84222325cbf29ce4ULL);
    // Version 8 (made by the writer's own rule) and the RFC 9562 variant.
    const uint64_t versioned = (high & ~uint64_t{0xF000}) | 0x8000;
    const uint64_t varied = (low & ~(uint64_t{3} << 62)) | (uint64_t{2} << 62);
    std::array<char, 37> text{};
    std::snprintf(text.data(), text.size(), "%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(versioned >> 32),
                  static_cast<unsigned>((versioned >> 16) & 0xFFFF),
                  static_cast<unsigned>(versioned & 0xFFFF), static_cast<unsigned>(varied >> 48),
                  static_cast<unsigned long long>(varied & 0xFFFFFFFFFFFFULL));
    return std::string(text.data());
}
