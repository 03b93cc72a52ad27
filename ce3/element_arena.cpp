#include "ce3/element_arena.h"

namespace {

constexpr std::size_t roundUp(std::size_t size, std::size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

}  // namespace

void* SchElementArena::allocate(std::size_t size) {
    size = roundUp(size, kAlignment);
    while (current_ < blocks_.size() && blocks_[current_].size - used_ < size) {
        ++current_;
        used_ = 0;
    }
    if (current_ == blocks_.size()) {
        const std::size_t bytes = size > kBlockBytes ? size : kBlockBytes;
        blocks_.push_back({std::make_unique_for_overwrite<std::byte[]>(bytes), bytes});
    }
    last_ = blocks_[current_].bytes.get() + used_;
    lastSize_ = size;
    used_ += size;
    ++live_;
    return last_;
}

void SchElementArena::destroy(SchElement* e) {
    // Where the whole element begins, whatever its class.
    auto* const place = static_cast<std::byte*>(dynamic_cast<void*>(e));
    e->~SchElement();
    --live_;
    if (live_ == 0) {
        current_ = 0;
        used_ = 0;
        last_ = nullptr;
    } else if (place == last_) {
        used_ -= lastSize_;
        last_ = nullptr;
    }
}

std::size_t SchElementArena::reservedBytes() const {
    std::size_t total = 0;
    for (const Block& block : blocks_) {
        total += block.size;
    }
    return total;
}
