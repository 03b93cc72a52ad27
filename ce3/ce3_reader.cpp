#include "ce3/ce3_reader.h"

#include <cstdlib>
#include <cstring>

namespace {

// The two bytes after a percent sign, converted exactly as strtoul in base 16 converts them
// (leading white space, a sign, an optional 0x, stopping at the first non-digit or a NUL).
char decodeEscape(int first, int second) {
    const char digits[3] = {static_cast<char>(first), static_cast<char>(second), '\0'};
    return static_cast<char>(std::strtoul(digits, nullptr, 16) & 0xFF);
}

}  // namespace

Ce3Reader::Ce3Reader(const char* text) : text_(text), lineNumber_(1) {
    block_.end = text != nullptr ? std::strlen(text) : 0;
}

Ce3Reader::Ce3Reader(std::string_view bytes) : text_(bytes.data()), lineNumber_(1) {
    block_.end = bytes.size();
}

bool Ce3Reader::refill() {
    if (stream_ == nullptr) {
        return false;
    }
    block_.pos = 0;
    block_.end = std::fread(block_.data.data(), 1, block_.data.size(), stream_);
    return block_.end > 0;
}

int Ce3Reader::nextByte() {
    if (block_.pos == block_.end && !refill()) {
        return -1;
    }
    return static_cast<unsigned char>(bytes()[block_.pos++]);
}

int Ce3Reader::readToken(std::string& token) {
    std::string_view view;
    const int line = nextToken(view);
    token.assign(view);
    return line;
}

int Ce3Reader::readAnyToken(std::string_view& token) {
    token = {};
    for (;;) {
        if (block_.pos == block_.end && !refill()) {
            return -1;
        }
        const auto c = static_cast<unsigned char>(bytes()[block_.pos]);
        if (!kBlank[c]) {
            break;
        }
        if (c == '\n') {
            countLine();
        }
        ++block_.pos;
    }
    const int start = lineNumber_;
    const char* const begin = bytes() + block_.pos;
    const std::size_t available = block_.end - block_.pos;
    const std::size_t n = plainRun(begin, available < kMaxTokenBytes ? available : kMaxTokenBytes);
    if (n < available && isCe3Delimiter(static_cast<unsigned char>(begin[n]))) {
        // The whole token lies in the block, unescaped: no copy.
        token = std::string_view(begin, n);
        block_.pos += n + 1;
        if (begin[n] == '\n') {
            countLine();
        }
        return start;
    }
    if (n == available && stream_ == nullptr) {
        // An in-memory text ends here, and so does its last token.
        token = std::string_view(begin, n);
        block_.pos += n;
        return start;
    }
    assembled_.assign(begin, n);
    block_.pos += n;
    return assembleToken(token, n, start);
}

int Ce3Reader::assembleToken(std::string_view& token, std::size_t count, int start) {
    for (;;) {
        const std::size_t room = kMaxTokenBytes - count;
        const std::size_t available = block_.end - block_.pos;
        const std::size_t n = plainRun(bytes() + block_.pos, available < room ? available : room);
        assembled_.append(bytes() + block_.pos, n);
        block_.pos += n;
        count += n;
        token = assembled_;
        if (block_.pos == block_.end) {
            if (!refill()) {
                return start;  // the token ends with the input; the next call returns -1
            }
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes()[block_.pos++]);
        if (isCe3Delimiter(c)) {
            if (c == '\n') {
                countLine();
            }
            return start;
        }
        if (count >= kMaxTokenBytes) {
            return start;  // c is dropped; the next call starts after it
        }
        // c is a percent sign: both bytes after it are taken, whatever the first is.
        const int first = nextByte();
        const int second = nextByte();
        if (first < 0 || second < 0 || isCe3Delimiter(first) || isCe3Delimiter(second)) {
            return -1;
        }
        assembled_.push_back(decodeEscape(first, second));
        ++count;
    }
}

int Ce3Reader::skipUntil(std::string_view closer) {
    std::string_view token;
    for (;;) {
        if (nextToken(token) < 0) {
            return -1;
        }
        if (token == closer) {
            return 0;
        }
    }
}
