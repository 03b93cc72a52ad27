#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "app/core/conversion.h"

// A line on a terminal that tells how far the conversion of a long file has got (with several
// files at once, the first one not reported yet): shown once the file has taken about a second,
// rewritten in place, and cleared before anything else is printed.
// It never grows wider than the terminal, so that rewriting it never leaves lines behind.
class ProgressLine {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressLine(std::ostream& out, int columns, Clock clock = &std::chrono::steady_clock::now,
                 std::chrono::milliseconds delay = std::chrono::seconds(1));

    // Where the file at `index` of the batch has got (see ConversionProgress::fileStage); a new
    // index starts the file's time.
    void update(std::size_t index, const BatchFile& file, FileStage stage, uint64_t done,
                uint64_t total);
    // Removes the line, if one is shown.
    void clear();

  private:
    void show(const std::string& text);

    std::ostream& out_;
    std::size_t width_;  // bytes a line may take
    Clock clock_;
    std::chrono::milliseconds delay_;
    std::size_t index_ = SIZE_MAX;
    std::chrono::steady_clock::time_point fileStart_{};
    std::string shown_;
};

// "x.ce2: reading 42%", "x.ce2: writing x.ce3 42%".
std::string progressText(const BatchFile& file, FileStage stage, uint64_t done, uint64_t total);
