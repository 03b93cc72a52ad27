#include "app/gui/batch_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

namespace {

int clampToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

}  // namespace

BatchProgress::BatchProgress(QWidget* parent, std::size_t total,
                             std::chrono::milliseconds showAfter)
    : parent_(parent), total_(total), showAfter_(showAfter) {
    clock_.start();
}

BatchProgress::~BatchProgress() = default;

void BatchProgress::update(std::size_t done) {
    if (done >= total_) {
        return;
    }
    if (!dialog_) {
        if (clock_.elapsed() < showAfter_.count()) {
            return;
        }
        // No cancel button: a batch runs to its end.
        dialog_ =
            std::make_unique<QProgressDialog>(QString(), QString(), 0, clampToInt(total_), parent_);
        dialog_->setWindowTitle(QStringLiteral("MORVEX"));
        dialog_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setLabelText(QStringLiteral("変換中: %1 / %2 ファイル").arg(done).arg(total_));
    dialog_->setValue(clampToInt(done));
    QCoreApplication::processEvents();
}
