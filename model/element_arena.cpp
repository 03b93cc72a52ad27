#include "model/element_arena.h"

#include "platform/uninitialised_array.h"

namespace {

constexpr std::size_t roundUp(std::size_t size, std::size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

}  // namespace

void* SchElementArena::allocate(std::size_t size) {
    size = roundUp(size, kAlignment);
    if (kBlockBytes - used_ < size) {
        ++current_;
        used_ = 0;
    }
    if (current_ == blocks_.size()) {
        blocks_.push_back(makeUninitialisedArray<std::byte>(kBlockBytes));
    }
    last_ = blocks_[current_].get() + used_;
    lastSize_ = size;
    used_ += size;
    ++live_;
    return last_;
}

void SchElementArena::destroy(SchElement* e) {
    // An element begins where its SchElement part does (a single base at offset 0). Were it
    // otherwise, the test below would fail and only the reuse of its space would be lost.
    const auto* const place = reinterpret_cast<const std::byte*>(e);
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
