#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/core/batch_progress_state.h"

class QProgressDialog;
class QWidget;

// Shows how far a batch has got, once it has run for a while (BatchProgressState), in a progress
// dialog. The batch's files are converted on threads of their own while the user-interface thread
// waits for their reports, so each update also lets the window system repaint, and its cancel
// button be pressed: the files under way are finished, the others left as they are.
class BatchProgress {
  public:
    BatchProgress(QWidget* parent, std::size_t total,
                  std::chrono::milliseconds showAfter = std::chrono::milliseconds(1000));
    ~BatchProgress();

    // `done` files are finished.
    void update(std::size_t done);
    // Where the file after the `done` finished ones has got (see ConversionProgress::fileStage).
    void updateFile(std::size_t done, FileStage stage, uint64_t stageDone, uint64_t stageTotal);

    // Set once the user has cancelled the batch.
    const std::atomic<bool>& cancelled() const { return cancelled_; }
    // As the cancel button does.
    void cancel();

    // The bar's steps per file and those of a file's stages.
    static constexpr int kStepsPerFile = BatchProgressState::kStepsPerFile;
    static constexpr int kReadingSteps = BatchProgressState::kReadingSteps;
    static constexpr int kWritingSteps = BatchProgressState::kWritingSteps;

  private:
    void show(const std::optional<ProgressShown>& shown);

    QWidget* parent_;
    BatchProgressState state_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::atomic<bool> cancelled_{false};
};
