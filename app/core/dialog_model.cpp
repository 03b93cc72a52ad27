#include "app/core/dialog_model.h"
#include "app/core/profile_file.h"

DialogModel::DialogModel(ProfileFile& settings, PathOrder before)
    : settings_(settings), files_(std::move(before)), fonts_(settings) {}

bool DialogModel::drop(const std::vector<std::string>& dropped) {
    return !converting_ && files_.drop(dropped);
}

void DialogModel::choose(const std::vector<std::string>& chosen) {
    if (!converting_) {
        files_.choose(chosen);
    }
}

FontConfirmation DialogModel::confirmFont(FontRow row, const std::string& family, int points) {
    return fonts_.confirm(row, family, points);
}

std::optional<BatchOutcome> DialogModel::convert(const ConversionProgress& progress) {
    if (converting_ || files_.paths().empty()) {
        return std::nullopt;
    }
    converting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{converting_};
    BatchOutcome outcome;
    // On as many threads as there are processors; the progress hears of them on this one.
    outcome.reports = convertFiles(files_.paths(), fonts_.options(), progress, {},
                                   defaultConversionJobs(), settings_.path());
    outcome.message = batchMessage(outcome.reports, kListedFiles);
    outcome.severity = batchSeverity(tallyBatch(outcome.reports));
    return outcome;
}
