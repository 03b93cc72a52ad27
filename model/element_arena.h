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

    void operator()(SchElement* e) const;

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

    // A new element of class T with its default values.
    template <typename T>
    SchElementPtr make() {
        static_assert(std::is_base_of_v<SchElement, T> && alignof(T) <= kAlignment &&
                      sizeof(T) <= kBlockBytes);
        void* place = allocate(sizeof(T));
        return SchElementPtr(::new (place) T(), SchElementDeleter(this));
    }

    // Runs the destructor of e, which was built here.
    void destroy(SchElement* e);

    // The elements alive in the arena.
    std::size_t liveCount() const { return live_; }
    // The bytes of the blocks held.
    std::size_t reservedBytes() const { return blocks_.size() * kBlockBytes; }

  private:
    static constexpr std::size_t kAlignment = alignof(SchElement);
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

    void* allocate(std::size_t size);

    std::vector<UninitialisedArray<std::byte>> blocks_;  // of kBlockBytes each
    std::size_t current_ = 0;                            // the block being filled
    std::size_t used_ = 0;                               // bytes taken from it
    std::byte* last_ = nullptr;
    std::size_t lastSize_ = 0;
    std::size_t live_ = 0;
};

inline void SchElementDeleter::operator()(SchElement* e) const {
    if (arena_ != nullptr) {
        arena_->destroy(e);
    } else {
        delete e;
    }
}
