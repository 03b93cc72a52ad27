#include "app/gui/preview_pane.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <filesystem>
#include <system_error>

#include "app/core/conversion.h"
#include "app/core/conversion_text.h"
#include "app/gui/drawing_painter.h"
#include "app/gui/ui_text.h"
#include "model/document.h"
#include "render/draw_document.h"

namespace {

QString hintText() {
    return uiText("Select a file in the list to see its drawing here.");
}

}  // namespace

PreviewPicture renderPreview(const std::string& path, const ConversionOptions& options,
                             QSize pixels, qreal devicePixelRatio,
                             std::shared_ptr<const std::atomic<bool>> cancelled,
                             std::uintmax_t byteLimit) {
    std::error_code sizeUnknown;  // not a regular file: reading says why
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown && bytes > byteLimit) {
        return {QImage(), uiText("Too large to show (%1 MiB; files up to %2 MiB are shown)")
                              .arg(bytes >> 20)
                              .arg(byteLimit >> 20)};
    }
    FileReport report;
    report.source = path;
    Drawing drawing;
    {
        SchDocument doc;
        if (!readCe2Source(path, options, doc, report)) {
            return {QImage(), uiText("Cannot be shown:\n%1")
                                  .arg(QString::fromStdString(describeOutcome(report)))};
        }
        drawing = drawDocument(doc);
    }
    if (cancelled->load()) {
        return {};
    }
    QImage image(pixels * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintDrawing(painter, drawing, QRectF(QPointF(0, 0), QSizeF(pixels)), cancelled.get());
    painter.end();
    return {image, QString()};
}

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent), message_(hintText()) {}

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

void PreviewPane::showFile(const std::string& path, const ConversionOptions& options) {
    abandonJob();
    picture_ = QImage();
    message_ = uiText("Loading...");
    update();
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    watcher_ = std::make_unique<QFutureWatcher<PreviewPicture>>();
    connect(watcher_.get(), &QFutureWatcher<PreviewPicture>::finished, this,
            &PreviewPane::jobFinished);
    // The job gets copies of everything it uses, never the pane.
    watcher_->setFuture(
        QtConcurrent::run([path, options, pixels = size(), ratio = devicePixelRatioF(),
                           cancelled = std::shared_ptr<const std::atomic<bool>>(cancelled_)] {
            return renderPreview(path, options, pixels, ratio, cancelled);
        }));
}

void PreviewPane::clear() {
    abandonJob();
    picture_ = QImage();
    message_ = hintText();
    update();
}

void PreviewPane::jobFinished() {
    const PreviewPicture result = watcher_->result();
    cancelled_.reset();
    picture_ = result.image;
    message_ = result.message;
    update();
    emit shown();
}

void PreviewPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!picture_.isNull()) {
        painter.drawImage(QPointF(0, 0), picture_);
    } else {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         message_);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
