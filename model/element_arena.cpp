#include "model/element_arena.h"

#include "platform/uninitialised_array.h"

void SchElementArena::startBlock() {
    const std::size_t block = next_ != nullptr ? current_ + 1 : current_;
    if (block == blocks_.size()) {
        blocks_.push_back(makeUninitialisedArray<std::byte>(kBlockBytes));
    }
    current_ = block;
    next_ = blocks_[block].get();
    end_ = next_ + kBlockBytes;
}

void SchElementArena::destroy(SchElement* e) noexcept {
    // An element begins where its SchElement part does (a single base at offset 0). Were it
    // otherwise, the test in release would fail and only the reuse of its space would be lost.
    const auto* const place = reinterpret_cast<const std::byte*>(e);
    e->~SchElement();
    release(place);
}

void SchElementArena::release(const std::byte* place) noexcept {
    --live_;
    if (live_ == 0) {
        current_ = 0;
        next_ = nullptr;
        end_ = nullptr;
        last_ = nullptr;
    } else if (place == last_) {
        next_ = last_;
        last_ = nullptr;
    }
}
