#include "ce3/ce3_reader.h"

#include <cstdlib>

namespace {

bool isDelimiter(int c) {
    return c == ',' || c == '\n' || c == '\r';
}

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Counts a line feed; past 2^31 - 1 lines the count stays at its limit instead of overflowing.
void countLine(int32_t& lineNumber) {
    if (lineNumber < INT32_MAX) {
        ++lineNumber;
    }
}

// The two bytes after a percent sign, converted exactly as strtoul in base 16 converts them
// (leading white space, a sign, an optional 0x, stopping at the first non-digit or a NUL).
int decodeEscape(int first, int second) {
    const char digits[3] = {static_cast<char>(first), static_cast<char>(second), '\0'};
    return static_cast<int>(std::strtoul(digits, nullptr, 16) & 0xFF);
}

}  // namespace

int Ce3Reader::nextByte() {
    if (stream_ != nullptr) {
        return getc_unlocked(stream_);
    }
    if (textPos_ == nullptr || *textPos_ == '\0') {
        return -1;
    }
    return static_cast<unsigned char>(*textPos_++);
}

int Ce3Reader::readToken(std::string& token) {
    token.clear();
    int c = nextByte();
    if (c < 0) {
        return -1;
    }
    while (isBlank(c)) {
        if (c == '\n') {
            countLine(lineNumber_);
        }
        c = nextByte();
        if (c < 0) {
            return -1;
        }
    }
    const int start = lineNumber_;
    std::size_t count = 0;
    for (;;) {
        if (isDelimiter(c)) {
            if (c == '\n') {
                countLine(lineNumber_);
            }
            return start;
        }
        if (count >= kMaxTokenBytes) {
            return start;  // c is dropped; the next call starts after it
        }
        if (c < 0) {
            return start;
        }
        if (c == '%') {
            const int first = nextByte();
            const int second = nextByte();
            if (first < 0 || second < 0 || isDelimiter(first) || isDelimiter(second)) {
                return -1;
            }
            c = decodeEscape(first, second);
        }
        token.push_back(static_cast<char>(c));
        ++count;
        c = nextByte();
    }
}

int Ce3Reader::skipUntil(const std::string& closer) {
    std::string token;
    for (;;) {
        if (readToken(token) < 0) {
            return -1;
        }
        if (token == closer) {
            return 0;
        }
    }
}
