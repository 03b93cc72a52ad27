#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

// Arrays of bytes or numbers whose elements are left uninitialised, for large buffers that are
// written before they are read: zeroing them would cost a pass over memory for nothing. The same
// everywhere, whether the standard library offers std::make_unique_for_overwrite or not (libc++
// 14, which the WebAssembly build uses, does not).

// Returns the memory of an array made by makeUninitialisedArray to the allocator.
template <typename T>
struct UninitialisedArrayDeleter {
    std::size_t size = 0;
    void operator()(T* array) const { std::allocator<T>().deallocate(array, size); }
};

template <typename T>
using UninitialisedArray = std::unique_ptr<T[], UninitialisedArrayDeleter<T>>;

// An array of n elements of T with indeterminate values; throws std::bad_alloc as new does.
template <typename T>
UninitialisedArray<T> makeUninitialisedArray(std::size_t n) {
    static_assert(std::is_trivially_default_constructible_v<T> &&
                  std::is_trivially_destructible_v<T>);
    return UninitialisedArray<T>(std::allocator<T>().allocate(n), UninitialisedArrayDeleter<T>{n});
}
