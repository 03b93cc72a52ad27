#include "ce3/ce3_reader.h"

#include <array>
#include <cstdlib>
#include <cstring>

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

// Bytes that end a run of plain token bytes: the delimiters and the percent sign.
constexpr std::array<bool, 256> makeSpecialTable() {
    std::array<bool, 256> table{};
    table[','] = true;
    table['\n'] = true;
    table['\r'] = true;
    table['%'] = true;
    return table;
}

constexpr std::array<bool, 256> kSpecial = makeSpecialTable();

// The token loop over a block of bytes: the stream's read-ahead data, refilled as it runs out, or
// an in-memory text, which is one block that never refills. Runs of plain bytes are taken from the
// block at once.
class BlockTokenizer {
  public:
    BlockTokenizer(FILE* stream, const char* text, Ce3Reader::Block& block)
        : stream_(stream), bytes_(stream != nullptr ? block.data.data() : text), b_(block) {}

    int readToken(std::string& token, int32_t& lineNumber) {
        token.clear();
        for (;;) {
            if (b_.pos == b_.end && !refill()) {
                return -1;
            }
            const auto c = static_cast<unsigned char>(bytes_[b_.pos]);
            if (!isBlank(c)) {
                break;
            }
            if (c == '\n') {
                countLine(lineNumber);
            }
            ++b_.pos;
        }
        const int start = lineNumber;
        std::size_t count = 0;
        for (;;) {
            count += takeRun(token, Ce3Reader::kMaxTokenBytes - count);
            if (b_.pos == b_.end) {
                if (!refill()) {
                    return start;
                }
                continue;
            }
            const auto c = static_cast<unsigned char>(bytes_[b_.pos++]);
            if (isDelimiter(c)) {
                if (c == '\n') {
                    countLine(lineNumber);
                }
                return start;
            }
            if (count >= Ce3Reader::kMaxTokenBytes) {
                return start;  // c is dropped; the next call starts after it
            }
            // c is a percent sign.
            const int first = next();
            const int second = next();
            if (first < 0 || second < 0 || isDelimiter(first) || isDelimiter(second)) {
                return -1;
            }
            token.push_back(static_cast<char>(decodeEscape(first, second)));
            ++count;
        }
    }

  private:
    bool refill() {
        if (stream_ == nullptr) {
            return false;
        }
        b_.pos = 0;
        b_.end = std::fread(b_.data.data(), 1, b_.data.size(), stream_);
        return b_.end > 0;
    }

    int next() {
        if (b_.pos == b_.end && !refill()) {
            return -1;
        }
        return static_cast<unsigned char>(bytes_[b_.pos++]);
    }

    // Appends the plain bytes that come next in the block, at most `room`; returns their count.
    std::size_t takeRun(std::string& token, std::size_t room) {
        const char* const begin = bytes_ + b_.pos;
        const std::size_t available = b_.end - b_.pos;
        const char* const limit = begin + (available < room ? available : room);
        const char* p = begin;
        while (p != limit && !kSpecial[static_cast<unsigned char>(*p)]) {
            ++p;
        }
        const auto n = static_cast<std::size_t>(p - begin);
        token.append(begin, n);
        b_.pos += n;
        return n;
    }

    FILE* stream_;
    const char* bytes_;
    Ce3Reader::Block& b_;
};

}  // namespace

Ce3Reader::Ce3Reader(const char* text) : text_(text), lineNumber_(1) {
    block_.end = text != nullptr ? std::strlen(text) : 0;
}

int Ce3Reader::readToken(std::string& token) {
    return BlockTokenizer(stream_, text_, block_).readToken(token, lineNumber_);
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
