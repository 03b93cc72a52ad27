#include "platform/mapped_file.h"

#include <utility>

FileBytes::FileBytes(FileBytes&& other) noexcept
    : buffer_(std::move(other.buffer_)),
      size_(std::exchange(other.size_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappedBytes_(std::exchange(other.mappedBytes_, 0)),
      watch_(std::exchange(other.watch_, -1)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        releaseMapping();
        buffer_ = std::move(other.buffer_);
        size_ = std::exchange(other.size_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
        watch_ = std::exchange(other.watch_, -1);
    }
    return *this;
}

FileBytes::~FileBytes() {
    releaseMapping();
}
