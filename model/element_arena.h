#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/element.h"
#include "platform/uninitialised_array.h"

class SchElementArena;

// Disposes of an element owned through SchElementPtr: deletes one that was allocated on its own
// (every element handed over as a std::unique_ptr<SchElement>), and hands one that was built in
// an arena back to it.
class SchElementDeleter {
  public:
    SchElementDeleter() = default;
    // Ownership taken over from a std::unique_ptr<T>.
    template <typename T>
    requires std::is_convertible_v<T*, SchElement*> SchElementDeleter(std::default_delete<T>) {}
    explicit SchElementDeleter(SchElementArena* arena) : arena_(arena) {}

    void operator()(SchElement* e) const noexcept;

  private:
    SchElementArena* arena_ = nullptr;
};

using SchElementPtr = std::unique_ptr<SchElement, SchElementDeleter>;

// Memory for the elements that a document builds itself: they are constructed in place one after
// another in large blocks, so that reading a drawing costs no allocation per element and its
// elements lie in memory in their order. The arena must outlive every element built in it; its
// memory is used again once all of them are destroyed, and the space of the most recent one as
// soon as that one is destroyed (an element read and then rejected).
class SchElementArena {
  public:
    SchElementArena() = default;
    SchElementArena(const SchElementArena&) = delete;
    SchElementArena& operator=(const SchElementArena&) = delete;

    // A new element of class T made of the arguments, with its default values when there are
    // none.
    template <typename T, typename... Args>
    SchElementPtr make(Args&&... args) {
        static_assert(std::is_base_of_v<SchElement, T> && alignof(T) <= kAlignment &&
                      sizeof(T) <= kBlockBytes);
        std::byte* const place = allocate(roundUp(sizeof(T)));
        T* element = nullptr;
        try {
            element = ::new (place) T(std::forward<Args>(args)...);
        } catch (...) {
            // A text that found no memory: the space goes back.
            release(place);
            throw;
        }
        return SchElementPtr(element, SchElementDeleter(this));
    }

    // Runs the destructor of e, which was built here.
    void destroy(SchElement* e) noexcept;

    // The elements alive in the arena.
    std::size_t liveCount() const { return live_; }
    // The bytes of the blocks held.
    std::size_t reservedBytes() const { return blocks_.size() * kBlockBytes; }

  private:
    static constexpr std::size_t kAlignment = alignof(SchElement);
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

    static constexpr std::size_t roundUp(std::size_t size) {
        return (size + kAlignment - 1) / kAlignment * kAlignment;
    }

    // Space for an element of `size` bytes, a multiple of kAlignment, taken inline while the
    // current block has room.
    std::byte* allocate(std::size_t size) {
        if (static_cast<std::size_t>(end_ - next_) < size) {
            startBlock();
        }
        last_ = next_;
        next_ += size;
        ++live_;
        return last_;
    }
    // Moves on to the next block, or the first after all elements were destroyed, making it
    // when there is none yet.
    void startBlock();
    // Gives back the space of an element that is destroyed or was never built.
    void release(const std::byte* place) noexcept;

    std::vector<UninitialisedArray<std::byte>> blocks_;  // of kBlockBytes each
    std::size_t current_ = 0;                            // the block being filled
    std::byte* next_ = nullptr;  // its first free byte; null until a block is started
    std::byte* end_ = nullptr;   // its end
    std::byte* last_ = nullptr;  // the place of the most recent element while it lives
    std::size_t live_ = 0;
};

inline void SchElementDeleter::operator()(SchElement* e) const noexcept {
    if (arena_ != nullptr) {
        arena_->destroy(e);
    } else {
        delete e;
    }
}
