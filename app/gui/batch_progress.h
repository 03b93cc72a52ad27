#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/core/conversion.h"

class QProgressDialog;
class QWidget;

// Shows how far a batch has got once it has run for a while: the files done, and within a long
// file (the first one not done) how far it has got. The batch's files are converted on threads of
// their own while the user-interface thread waits for their reports, so each update also lets the
// window system repaint.
class BatchProgress {
  public:
    BatchProgress(QWidget* parent, std::size_t total,
                  std::chrono::milliseconds showAfter = std::chrono::milliseconds(1000));
    ~BatchProgress();

    // `done` files are finished.
    void update(std::size_t done);
    // Where the file after the `done` finished ones has got (see ConversionProgress::fileStage).
    void updateFile(std::size_t done, FileStage stage, uint64_t stageDone, uint64_t stageTotal);

    // The bar's steps per file, shared by its stages as a large drawing shares its time: reading
    // the source about a quarter, writing the output somewhat more, reading it back the rest.
    static constexpr int kStepsPerFile = 100;
    static constexpr int kReadingSteps = 25;
    static constexpr int kWritingSteps = 30;

  private:
    void show(std::size_t done, int steps);

    QWidget* parent_;
    std::size_t total_;
    std::chrono::milliseconds showAfter_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};
