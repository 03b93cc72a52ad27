#include "app/gui/batch_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

namespace {

int clampToInt(uint64_t n) {
    return static_cast<int>(std::min<uint64_t>(n, INT_MAX));
}

}  // namespace

BatchProgress::BatchProgress(QWidget* parent, std::size_t total,
                             std::chrono::milliseconds showAfter)
    : parent_(parent), total_(total), showAfter_(showAfter) {
    clock_.start();
}

BatchProgress::~BatchProgress() = default;

void BatchProgress::update(std::size_t done) {
    show(done, 0);
}

void BatchProgress::updateFile(std::size_t done, uint64_t bytesRead, uint64_t size) {
    const uint64_t read = size == 0 ? 0 : std::min(bytesRead, size) * kReadingSteps / size;
    show(done, static_cast<int>(read));
}

void BatchProgress::show(std::size_t done, int steps) {
    if (done >= total_) {
        return;
    }
    if (!dialog_) {
        if (clock_.elapsed() < showAfter_.count()) {
            return;
        }
        // No cancel button: a batch runs to its end.
        dialog_ = std::make_unique<QProgressDialog>(
            QString(), QString(), 0, clampToInt(uint64_t{total_} * kStepsPerFile), parent_);
        dialog_->setWindowTitle(QStringLiteral("MORVEX"));
        dialog_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setLabelText(QStringLiteral("変換中: %1 / %2 ファイル").arg(done).arg(total_));
    dialog_->setValue(clampToInt(uint64_t{done} * kStepsPerFile + static_cast<uint64_t>(steps)));
    QCoreApplication::processEvents();
}
