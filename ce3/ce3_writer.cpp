#include "ce3/ce3_writer.h"

#include <cstring>

namespace {

bool needsEscape(unsigned char b) {
    return (b >= 0x01 && b <= 0x20) || b == '%' || b == ',';
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

int Ce3Writer::putChar(int c) {
    if (stream_ != nullptr) {
        return putc_unlocked(c, stream_);
    }
    if (text_ != nullptr) {
        const auto byte = static_cast<unsigned char>(c);
        text_->push_back(static_cast<char>(byte));
        return byte;
    }
    return -1;
}

int Ce3Writer::writeToken(const char* s) {
    if (atLineStart_) {
        atLineStart_ = false;
    } else if (putChar(',') < 0) {
        return -1;
    }
    for (const char* p = s; *p != '\0'; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        if (needsEscape(b)) {
            if (putChar('%') < 0 || putChar(kHexDigits[b >> 4]) < 0 ||
                putChar(kHexDigits[b & 0xF]) < 0) {
                return -1;
            }
        } else if (putChar(b) < 0) {
            return -1;
        }
    }
    return 0;
}

int Ce3Writer::writeToken(const std::string& s) {
    return writeToken(s.c_str());
}

int Ce3Writer::endLine() {
    atLineStart_ = true;
    if (putChar('\r') < 0 || putChar('\n') < 0) {
        return -1;
    }
    return 0;
}

int Ce3Writer::writeIntField(const std::string& key, int value) {
    return writeToken(key + ":" + std::to_string(value));
}

int Ce3Writer::writeStringField(const std::string& key, const std::string& value) {
    return writeToken(key + ":" + value);
}
