#include "app/gui/preview_pane.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>

#include "app/gui/drawing_painter.h"
#include "app/gui/ui_text.h"
#include "model/document.h"
#include "render/draw_document.h"

namespace {

QString hintText() {
    return uiText("Select a file in the list to see its drawing here.");
}

// How long the view rests before it is painted anew: a drag or a spun wheel paints once.
constexpr int kRepaintDelayMs = 30;

}  // namespace

PreviewPicture repaintPreview(std::shared_ptr<const Drawing> drawing, const PreviewView& view,
                              QSize pixels, qreal devicePixelRatio,
                              const std::atomic<bool>& cancelled) {
    QImage image(pixels * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintDrawing(painter, *drawing, QRectF(QPointF(0, 0), QSizeF(pixels)), view, &cancelled);
    painter.end();
    if (cancelled.load()) {
        return {};
    }
    return {image, QString(), std::move(drawing), view};
}

PreviewPicture renderPreview(const std::string& path, const ConversionOptions& options,
                             QSize pixels, qreal devicePixelRatio,
                             std::shared_ptr<const std::atomic<bool>> cancelled,
                             std::uintmax_t byteLimit) {
    std::shared_ptr<const Drawing> drawing;
    {
        SchDocument doc;
        const std::string problem = readPreviewSource(path, options, doc, byteLimit);
        if (!problem.empty()) {
            return {QImage(), QString::fromStdString(problem), nullptr, {}};
        }
        drawing = std::make_shared<const Drawing>(drawDocument(doc));
    }
    if (cancelled->load()) {
        return {};
    }
    PreviewView view;
    view.fit(previewContent(*drawing), previewPage(*drawing), pixels.width(), pixels.height());
    return repaintPreview(std::move(drawing), view, pixels, devicePixelRatio, *cancelled);
}

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent), message_(hintText()) {
    setFocusPolicy(Qt::StrongFocus);
    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(kRepaintDelayMs);
    connect(&repaintTimer_, &QTimer::timeout, this, &PreviewPane::repaintView);
}

PreviewPane::~PreviewPane() {
    // The job holds only its own copies; it finishes on its own and its result is dropped.
    abandonJob();
}

void PreviewPane::abandonJob() {
    if (cancelled_) {
        cancelled_->store(true);
        cancelled_.reset();
    }
    watcher_.reset();
}

void PreviewPane::startJob(
    std::function<PreviewPicture(std::shared_ptr<const std::atomic<bool>>)> job) {
    abandonJob();
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    watcher_ = std::make_unique<QFutureWatcher<PreviewPicture>>();
    connect(watcher_.get(), &QFutureWatcher<PreviewPicture>::finished, this,
            &PreviewPane::jobFinished);
    // The job gets copies of everything it uses, never the pane.
    watcher_->setFuture(QtConcurrent::run(
        [job = std::move(job), cancelled = std::shared_ptr<const std::atomic<bool>>(cancelled_)] {
            return job(cancelled);
        }));
}

void PreviewPane::showFile(const std::string& path, const ConversionOptions& options) {
    repaintTimer_.stop();
    drawing_.reset();
    picture_ = QImage();
    message_ = uiText("Loading...");
    update();
    startJob([path, options, pixels = size(),
              ratio = devicePixelRatioF()](std::shared_ptr<const std::atomic<bool>> cancelled) {
        return renderPreview(path, options, pixels, ratio, std::move(cancelled));
    });
}

void PreviewPane::clear() {
    abandonJob();
    repaintTimer_.stop();
    drawing_.reset();
    picture_ = QImage();
    message_ = hintText();
    update();
}

void PreviewPane::fit() {
    if (drawing_ != nullptr) {
        view_.refit();
        viewChanged();
    }
}

void PreviewPane::jobFinished() {
    const PreviewPicture result = watcher_->result();
    cancelled_.reset();
    if (drawing_ == nullptr) {
        // A file was read: its fitted view, unless the pane was resized meanwhile.
        drawing_ = result.drawing;
        view_ = result.view;
        message_ = result.message;
        if (drawing_ != nullptr && QSizeF(size()) != QSizeF(result.image.deviceIndependentSize())) {
            view_.resize(width(), height());
            repaintTimer_.start();
        }
    }
    picture_ = result.image;
    pictureView_ = result.view;
    update();
    emit shown();
}

void PreviewPane::viewChanged() {
    update();
    repaintTimer_.start();
}

void PreviewPane::repaintView() {
    if (drawing_ == nullptr) {
        return;
    }
    startJob([drawing = drawing_, view = view_, pixels = size(),
              ratio = devicePixelRatioF()](std::shared_ptr<const std::atomic<bool>> cancelled) {
        return repaintPreview(drawing, view, pixels, ratio, *cancelled);
    });
}

void PreviewPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!picture_.isNull()) {
        // The picture as the current view shows its part of the drawing.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(viewTransform(pictureView_).inverted() * viewTransform(view_));
        painter.drawImage(QPointF(0, 0), picture_);
        painter.restore();
    } else {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         message_);
    }
    painter.setPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PreviewPane::resizeEvent(QResizeEvent*) {
    view_.resize(width(), height());
    if (drawing_ != nullptr) {
        viewChanged();
    }
}

void PreviewPane::wheelEvent(QWheelEvent* event) {
    if (drawing_ == nullptr || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    view_.zoomAbout({event->position().x(), event->position().y()},
                    PreviewView::wheelFactor(event->angleDelta().y()));
    viewChanged();
}

ViewPoint PreviewPane::zoomCentre() const {
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const QPointF at = rect().contains(pointer) ? QPointF(pointer) : QRectF(rect()).center();
    return {at.x(), at.y()};
}

void PreviewPane::keyPressEvent(QKeyEvent* event) {
    if (drawing_ == nullptr || !(event->modifiers() & Qt::ControlModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            view_.zoomAbout(zoomCentre(), PreviewView::kZoomStep);
            break;
        case Qt::Key_Minus:
            view_.zoomAbout(zoomCentre(), 1 / PreviewView::kZoomStep);
            break;
        case Qt::Key_0:
            fit();
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    viewChanged();
}

void PreviewPane::mousePressEvent(QMouseEvent* event) {
    if (drawing_ == nullptr || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void PreviewPane::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF moved = event->position() - *dragFrom_;
    view_.pan(moved.x(), moved.y());
    dragFrom_ = event->position();
    viewChanged();
}

void PreviewPane::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragFrom_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragFrom_.reset();
    unsetCursor();
}

void PreviewPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (drawing_ == nullptr || event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    fit();
}
