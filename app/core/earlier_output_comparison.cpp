#include "app/core/earlier_output_comparison.h"

#include <cstdio>
#include <cstring>

EarlierOutputComparison::EarlierOutputComparison(const std::string& output)
    : earlier_(openRegularFile(output)), same_(earlier_.stream != nullptr) {
    if (same_) {
        // Read in the blocks compared, straight into our buffer.
        std::setvbuf(earlier_.stream.get(), nullptr, _IONBF, 0);
    }
}

void EarlierOutputComparison::compare(std::string_view block) {
    if (!same_ || !earlier_.stream || block.empty()) {
        return;
    }
    if (buffer_.get_deleter().size < block.size()) {
        buffer_ = makeUninitialisedArray<char>(block.size());
    }
    const std::size_t got = readBytesUnlocked(buffer_.get(), block.size(), earlier_.stream.get());
    same_ = got == block.size() && std::memcmp(buffer_.get(), block.data(), got) == 0;
}

bool EarlierOutputComparison::finish() {
    if (same_) {
        char past = 0;
        same_ = readBytesUnlocked(&past, 1, earlier_.stream.get()) == 0 &&
                std::ferror(earlier_.stream.get()) == 0;
    }
    earlier_.stream.reset();
    return same_;
}
