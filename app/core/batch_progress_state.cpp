#include "app/core/batch_progress_state.h"

#include <algorithm>
#include <climits>

#include "app/core/dialog_messages.h"

namespace {

int clampToInt(uint64_t n) {
    return static_cast<int>(std::min<uint64_t>(n, INT_MAX));
}

}  // namespace

BatchProgressState::BatchProgressState(std::size_t total, std::chrono::milliseconds showAfter)
    : total_(total), showAfter_(showAfter), start_(std::chrono::steady_clock::now()) {}

std::optional<ProgressShown> BatchProgressState::update(std::size_t done) {
    return show(done, 0);
}

std::optional<ProgressShown> BatchProgressState::updateFile(std::size_t done, FileStage stage,
                                                            uint64_t stageDone,
                                                            uint64_t stageTotal) {
    const int first = stage == FileStage::Writing ? kReadingSteps : 0;
    const int steps = stage == FileStage::Writing ? kWritingSteps : kReadingSteps;
    const uint64_t part = stageTotal == 0 ? 0
                                          : std::min(stageDone, stageTotal) *
                                                static_cast<uint64_t>(steps) / stageTotal;
    return show(done, first + static_cast<int>(part));
}

std::optional<ProgressShown> BatchProgressState::show(std::size_t done, int steps) {
    if (done >= total_) {
        return std::nullopt;
    }
    if (!shown_ && std::chrono::steady_clock::now() - start_ < showAfter_) {
        return std::nullopt;
    }
    shown_ = true;
    return ProgressShown{batchProgressLabel(done, total_),
                         clampToInt(uint64_t{done} * kStepsPerFile + static_cast<uint64_t>(steps)),
                         clampToInt(uint64_t{total_} * kStepsPerFile)};
}
