#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/core/batch_progress_state.h"

// Shows how far a batch has got, once it has run for a while (BatchProgressState), in a small
// window with a bar, owned by the main dialog, which stays disabled while the window is shown.
// The batch's files are converted on threads of their own while the dialog's thread waits for
// their reports, so each update also handles the window messages that have come in, repainting
// included, and the cancel button: the files under way are finished, the others left as they
// are. The window changes at most every kRefresh: each change costs
// the window system's time, which a batch of many small files would otherwise spend on it.
class BatchProgressWindow {
  public:
    BatchProgressWindow(HWND owner, std::size_t total,
                        std::chrono::milliseconds showAfter = std::chrono::milliseconds(1000));
    BatchProgressWindow(const BatchProgressWindow&) = delete;
    BatchProgressWindow& operator=(const BatchProgressWindow&) = delete;
    ~BatchProgressWindow();

    // `done` files are finished.
    void update(std::size_t done);
    // Where the file after the `done` finished ones has got (see ConversionProgress::fileStage).
    void updateFile(std::size_t done, FileStage stage, uint64_t stageDone, uint64_t stageTotal);

    // Set once the user has cancelled the batch.
    const std::atomic<bool>& cancelled() const { return cancelled_; }

    static constexpr std::chrono::milliseconds kRefresh{50};

  private:
    void show(const std::optional<ProgressShown>& shown);
    void handleMessages();

    HWND owner_;
    BatchProgressState state_;
    HWND window_ = nullptr;
    std::chrono::steady_clock::time_point shownAt_;
    std::atomic<bool> cancelled_{false};
};
