#include "app/gui/batch_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

BatchProgress::BatchProgress(QWidget* parent, std::size_t total,
                             std::chrono::milliseconds showAfter)
    : parent_(parent), state_(total, showAfter) {}

BatchProgress::~BatchProgress() = default;

void BatchProgress::update(std::size_t done) {
    show(state_.update(done));
}

void BatchProgress::updateFile(std::size_t done, FileStage stage, uint64_t stageDone,
                               uint64_t stageTotal) {
    show(state_.updateFile(done, stage, stageDone, stageTotal));
}

void BatchProgress::cancel() {
    cancelled_ = true;
}

void BatchProgress::show(const std::optional<ProgressShown>& shown) {
    if (!shown) {
        return;
    }
    if (!dialog_) {
        // With Qt's own cancel button, in the user's language. Cancelled, the dialog hides
        // itself while the files under way are finished.
        dialog_ = std::make_unique<QProgressDialog>(parent_);
        dialog_->setRange(0, shown->maximum);
        QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancel(); });
        dialog_->setWindowTitle(QStringLiteral("MORVEX"));
        dialog_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setLabelText(QString::fromStdString(shown->label));
    dialog_->setValue(shown->value);
    QCoreApplication::processEvents();
}
