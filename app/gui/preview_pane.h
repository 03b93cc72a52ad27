#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "ce2/ce2_reader.h"

// What a preview job made: the drawing as a picture, or a text saying why there is none.
struct PreviewPicture {
    QImage image;
    QString message;
};

// Files above this size are not previewed: their drawing would take gigabytes of memory.
inline constexpr std::uintmax_t kPreviewByteLimit = std::uintmax_t{32} << 20;

// Reads a .ce2 file as the conversion does and paints it into an image of the given size in
// pixels. Meant for a worker thread: it touches no widget, and it stops painting once
// `cancelled` is set. A file larger than byteLimit is not read.
PreviewPicture renderPreview(const std::string& path, const ConversionOptions& options,
                             QSize pixels, qreal devicePixelRatio,
                             std::shared_ptr<const std::atomic<bool>> cancelled,
                             std::uintmax_t byteLimit = kPreviewByteLimit);

// Shows one .ce2 drawing, scaled to fit. The file is read and painted on a worker thread, so a
// large drawing never blocks the dialog; while it is loading the pane says so, and a file that
// cannot be read shows why.
class PreviewPane : public QWidget {
    Q_OBJECT

  public:
    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    // Starts showing the file; a job still running for an earlier one is abandoned.
    void showFile(const std::string& path, const ConversionOptions& options);
    // Shows nothing but the hint to select a file.
    void clear();

    // The picture shown (null while loading or when there is none) and the text shown instead.
    const QImage& picture() const { return picture_; }
    const QString& message() const { return message_; }

  signals:
    // A job has finished and its picture or message is shown.
    void shown();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void abandonJob();
    void jobFinished();

    // The running job: its watcher (one per job, so that nothing of an abandoned job arrives)
    // and the flag that tells it to stop.
    std::unique_ptr<QFutureWatcher<PreviewPicture>> watcher_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    QImage picture_;
    QString message_;
};
