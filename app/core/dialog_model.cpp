#include "app/core/dialog_model.h"

#include "app/core/output_folder.h"
#include "app/core/profile_file.h"
#include "app/core/run_plan.h"
#include "app/core/settings.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

// The output folder the settings keep, shown as UTF-8; none when it is no CP932 text.
std::string storedOutputFolder(const ProfileFile& settings) {
    return cp932ToUtf8(settings.readString(kOutputSection, kOutputFolderKey, "")).value_or("");
}

bool isFile(const std::string& path) {
    return fileStatus(path).kind == FileKind::Regular;
}

}  // namespace

DialogModel::DialogModel(ProfileFile& settings, PathOrder before)
    : settings_(settings),
      files_(std::move(before)),
      outputFolder_(storedOutputFolder(settings)),
      fonts_(settings) {}

bool DialogModel::drop(const std::vector<std::string>& dropped) {
    return !converting_ && files_.drop(dropped);
}

void DialogModel::choose(const std::vector<std::string>& chosen) {
    if (!converting_) {
        files_.choose(chosen);
    }
}

SettingsConfirmation DialogModel::confirmFont(FontRow row, const std::string& family, int points) {
    const bool existed = isFile(settings_.path());
    SettingsConfirmation confirmed = fonts_.confirm(row, family, points);
    if (confirmed.outcome == SettingsConfirmation::Outcome::Saved && !existed) {
        confirmed = {SettingsConfirmation::Outcome::SavedInNewFile,
                     settingsMadeMessage(settings_.path())};
    }
    return confirmed;
}

SettingsConfirmation DialogModel::chooseOutputFolder(const std::string& folder) {
    using Outcome = SettingsConfirmation::Outcome;
    const std::optional<std::string> bytes = utf8ToCp932(folder);
    if (!bytes) {
        return {Outcome::Refused, outputFolderNotCp932Message(folder)};
    }
    outputFolder_ = folder;
    const bool existed = isFile(settings_.path());
    std::string cause;
    if (!settings_.writeString(kOutputSection, kOutputFolderKey, *bytes, &cause)) {
        return {Outcome::NotSaved, settingsNotSavedMessage(settings_.path(), cause)};
    }
    if (!existed) {
        return {Outcome::SavedInNewFile, settingsMadeMessage(settings_.path())};
    }
    return {};
}

std::string DialogModel::title() const {
    return dialogTitle(files_.paths().size(), outputFolder_);
}

BatchStart DialogModel::convert(const ConversionProgress& progress) {
    BatchStart start;
    if (converting_ || files_.paths().empty()) {
        return start;
    }
    if (std::string problem = prepareOutputFolder(outputFolder_, false); !problem.empty()) {
        start.refusal = outputFolderRefusedMessage(outputFolder_, problem);
        return start;
    }
    converting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{converting_};
    RunFiles files;
    for (std::size_t i = 0; i < files_.paths().size(); ++i) {
        const std::string& source = files_.paths()[i];
        files.batch.push_back({source, outputPathFor(source, files_.roots()[i], outputFolder_)});
    }
    files.settings = settings_.path();
    const RunPlan plan(files, BatchRules{.makeOutputFolders = !outputFolder_.empty()});
    // On as many threads as there are processors; the progress hears of them on this one.
    std::vector<FileReport> reports = convertFiles(plan, fonts_.options(), progress);
    start.result.emplace(std::move(reports), std::move(files));
    return start;
}
