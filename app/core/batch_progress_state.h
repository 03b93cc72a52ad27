#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/core/conversion.h"

// What a batch's progress shows once the batch has run for a while: the files done, and within a
// long file how far its stages have got, as steps of a bar.
struct ProgressShown {
    std::string label;  // UTF-8
    int value = 0;
    int maximum = 0;
};

class BatchProgressState {
  public:
    // The bar's steps per file, shared by its stages as a large drawing shares its time: reading
    // the source somewhat less than half, writing the output the rest.
    static constexpr int kStepsPerFile = 100;
    static constexpr int kReadingSteps = 45;
    static constexpr int kWritingSteps = kStepsPerFile - kReadingSteps;

    BatchProgressState(std::size_t total, std::chrono::milliseconds showAfter);

    // `done` files are finished. Nothing while the batch is younger than showAfter (until
    // something was shown) or once every file is done.
    std::optional<ProgressShown> update(std::size_t done);
    // Where the file after the `done` finished ones has got (see ConversionProgress::fileStage).
    std::optional<ProgressShown> updateFile(std::size_t done, FileStage stage, uint64_t stageDone,
                                            uint64_t stageTotal);

  private:
    std::optional<ProgressShown> show(std::size_t done, int steps);

    std::size_t total_;
    std::chrono::milliseconds showAfter_;
    std::chrono::steady_clock::time_point start_;
    bool shown_ = false;
};

// The callbacks of a batch that keep a progress view up to date: the view has update(done),
// updateFile(index, stage, done, total) and cancelled() (the flag its cancel button sets), as
// the dialogs' progress windows do.
template <class ProgressView>
ConversionProgress progressCallbacksFor(ProgressView& view) {
    ConversionProgress callbacks;
    callbacks.fileDone = [&view](const FileReport&, std::size_t done, std::size_t) {
        view.update(done);
    };
    callbacks.fileStage = [&view](std::size_t index, FileStage stage, uint64_t done,
                                  uint64_t total) { view.updateFile(index, stage, done, total); };
    callbacks.cancelled = &view.cancelled();
    return callbacks;
}
