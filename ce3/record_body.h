#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "ce3/ce3_reader.h"

// Whether a field whose colon is its last byte (an empty value) is taken.
enum class EmptyValue { Ignore, Accept };

// Reads a record body after its opening token, up to and including a closing token.
// Nested blocks ("+NAME" ... "-NAME") are skipped whole without nesting; a field token is split
// at its first colon and passed to onField(key, value) unless the colon is its first byte, or its
// last byte under EmptyValue::Ignore. Tokens without a colon are ignored.
// Returns true when the closing token met equals `closer` and every key of `required` was passed
// to onField at least once; false when a required key is missing, another closing token comes,
// or the input ends (or breaks) before a closer or inside a skipped block.
template <typename OnField>
bool readRecordBody(Ce3Reader& reader, std::string_view closer, EmptyValue emptyValue,
                    std::initializer_list<std::string_view> required, OnField&& onField) {
    // Bit i stands for required key i until a field with that key comes.
    unsigned missing = (1u << required.size()) - 1;
    std::string token;
    for (;;) {
        if (reader.readToken(token) < 0) {
            return false;
        }
        if (!token.empty() && token[0] == '-') {
            return token == closer && missing == 0;
        }
        if (!token.empty() && token[0] == '+') {
            token[0] = '-';
            if (reader.skipUntil(token) < 0) {
                return false;
            }
            continue;
        }
        // Keys are short: a plain loop finds the colon sooner than a library search.
        std::size_t colon = 0;
        while (colon < token.size() && token[colon] != ':') {
            ++colon;
        }
        if (colon == token.size() || colon == 0) {
            continue;
        }
        if (colon + 1 == token.size() && emptyValue == EmptyValue::Ignore) {
            continue;
        }
        const std::string_view view(token);
        const std::string_view key = view.substr(0, colon);
        if (missing != 0) {
            unsigned bit = 1;
            for (const std::string_view name : required) {
                if (key == name) {
                    missing &= ~bit;
                }
                bit <<= 1;
            }
        }
        onField(key, view.substr(colon + 1));
    }
}

// A text value as a C string holds it: the bytes before the first NUL.
inline std::string cText(std::string_view value) {
    return std::string(value.substr(0, value.find('\0')));
}
