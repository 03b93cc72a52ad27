#pragma once

#include <QElapsedTimer>
#include <chrono>
#include <cstddef>
#include <memory>

class QProgressDialog;
class QWidget;

// Shows how many files of a batch are done once the batch has run for a while. The batch runs on
// the user-interface thread, so each update also lets the window system repaint.
class BatchProgress {
  public:
    BatchProgress(QWidget* parent, std::size_t total,
                  std::chrono::milliseconds showAfter = std::chrono::milliseconds(1000));
    ~BatchProgress();

    void update(std::size_t done);

  private:
    QWidget* parent_;
    std::size_t total_;
    std::chrono::milliseconds showAfter_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};
