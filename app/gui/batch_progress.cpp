#include "app/gui/batch_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

#include "app/gui/ui_text.h"

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

void BatchProgress::updateFile(std::size_t done, FileStage stage, uint64_t stageDone,
                               uint64_t stageTotal) {
    int first = 0;
    int steps = kReadingSteps;
    if (stage == FileStage::Writing) {
        first = kReadingSteps;
        steps = kWritingSteps;
    } else if (stage == FileStage::ReadingBack) {
        first = kReadingSteps + kWritingSteps;
        steps = kStepsPerFile - first;
    }
    const uint64_t part = stageTotal == 0 ? 0
                                          : std::min(stageDone, stageTotal) *
                                                static_cast<uint64_t>(steps) / stageTotal;
    show(done, first + static_cast<int>(part));
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
    dialog_->setLabelText(uiText("Converting: %1 of %2 files").arg(done).arg(total_));
    dialog_->setValue(clampToInt(uint64_t{done} * kStepsPerFile + static_cast<uint64_t>(steps)));
    QCoreApplication::processEvents();
}
