#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/preview_source.h"
#include "app/core/preview_view.h"
#include "render/primitives.h"

// What a preview job made: the drawing and a picture of it in a view, or a text saying why there
// is none.
struct PreviewPicture {
    QImage image;
    QString message;
    std::shared_ptr<const Drawing> drawing;
    PreviewView view;  // the part of the drawing the image shows
};

// Reads a .ce2 file as the conversion does and paints it, fitted, into an image of the given
// size in pixels. Meant for a worker thread: it touches no widget, and it stops painting once
// `cancelled` is set. A file larger than byteLimit is not read.
PreviewPicture renderPreview(const std::string& path, const ConversionOptions& options,
                             QSize pixels, qreal devicePixelRatio,
                             std::shared_ptr<const std::atomic<bool>> cancelled,
                             std::uintmax_t byteLimit = kPreviewByteLimit);

// Paints a drawing already read into an image of the given size, in the given view.
PreviewPicture repaintPreview(std::shared_ptr<const Drawing> drawing, const PreviewView& view,
                              QSize pixels, qreal devicePixelRatio,
                              const std::atomic<bool>& cancelled);

// Shows one .ce2 drawing, first fitted into the pane. The wheel and Ctrl with plus or minus zoom
// about the pointer, dragging pans, and a double click or Ctrl+0 fits it again. The file is read
// and each view painted on a worker thread, so a large drawing never blocks the dialog: while a
// view is being painted, the last picture is shown moved and scaled to it. While the file is
// loading the pane says so, and a file that cannot be read shows why.
class PreviewPane : public QWidget {
    Q_OBJECT

  public:
    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    // Starts showing the file; a job still running for an earlier one is abandoned.
    void showFile(const std::string& path, const ConversionOptions& options);
    // Shows nothing but the hint to select a file.
    void clear();
    // Shows the whole drawing again.
    void fit();

    // The last picture painted (null while loading or when there is none) and the text shown
    // instead.
    const QImage& picture() const { return picture_; }
    const QString& message() const { return message_; }
    // The drawing shown, null when there is none.
    std::shared_ptr<const Drawing> drawing() const { return drawing_; }
    // The part of the drawing shown now, and the part the picture shows.
    const PreviewView& view() const { return view_; }
    const PreviewView& pictureView() const { return pictureView_; }

  signals:
    // A job has finished and its picture or message is shown.
    void shown();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void abandonJob();
    // Runs `job` on a worker thread with the flag that tells it to stop; its result is shown.
    void startJob(std::function<PreviewPicture(std::shared_ptr<const std::atomic<bool>>)> job);
    void jobFinished();
    // The view changed: shown at once from the last picture, painted anew shortly.
    void viewChanged();
    void repaintView();
    // Where keyboard zoom centres: the pointer when it is over the pane, else the middle.
    ViewPoint zoomCentre() const;

    // The running job: its watcher (one per job, so that nothing of an abandoned job arrives)
    // and the flag that tells it to stop.
    std::unique_ptr<QFutureWatcher<PreviewPicture>> watcher_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::shared_ptr<const Drawing> drawing_;
    PreviewView view_;
    PreviewView pictureView_;
    QImage picture_;
    QString message_;
    QTimer repaintTimer_;
    std::optional<QPointF> dragFrom_;
};
