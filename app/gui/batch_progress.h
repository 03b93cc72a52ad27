#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

// Shows how far a batch has got once it has run for a while: the files done, and within a long
// file how much of its source has been read. The batch runs on the user-interface thread, so each
// update also lets the window system repaint.
class BatchProgress {
  public:
    BatchProgress(QWidget* parent, std::size_t total,
                  std::chrono::milliseconds showAfter = std::chrono::milliseconds(1000));
    ~BatchProgress();

    // `done` files are finished.
    void update(std::size_t done);
    // The file after the `done` finished ones has read `bytesRead` of its `size` bytes (reading);
    // all of them, when it is being written.
    void updateFile(std::size_t done, uint64_t bytesRead, uint64_t size);

    // The bar's steps per file; reading the source takes the first kReadingSteps of them.
    static constexpr int kStepsPerFile = 100;
    static constexpr int kReadingSteps = 40;

  private:
    void show(std::size_t done, int steps);

    QWidget* parent_;
    std::size_t total_;
    std::chrono::milliseconds showAfter_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};
