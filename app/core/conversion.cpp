#include "app/core/conversion.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_pool.h"
#include "app/core/conversion_steps.h"
#include "app/core/earlier_output_comparison.h"
#include "app/core/kicad_file.h"
#include "app/core/run_plan.h"
#include "app/core/shared_files.h"
#include "model/document.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/write_check.h"

namespace {

// Opens a regular file for binary reading; when it cannot, the outcome and cause go into report.
RegularFile openSource(const std::string& path, FileReport& report) {
    RegularFile file = openRegularFile(path);
    if (file.notRegular) {
        report.outcome = FileOutcome::NotRegularFile;
    } else if (!file.stream) {
        report.outcome = FileOutcome::CannotOpen;
        report.openError = file.error;
    }
    return file;
}

// Where the conversion of a file leaves the sync of its output's folder after the rename (see
// FolderSyncs), and what it left there.
struct FolderSync {
    FolderSyncs& syncs;
    std::optional<FolderSyncs::Pending> pending;
};

// A source file of a run and its output file, as the run's plan says.
class FileEnds final : public ConversionEnds {
  public:
    FileEnds(const RunPlan& plan, std::size_t index, const ConversionOptions& options,
             const DrawingHooks& hooks, const StageSink& stage, FolderSync* folderSync)
        : plan_(plan),
          index_(index),
          file_(plan.files().batch[index]),
          options_(options),
          hooks_(hooks),
          stage_(stage),
          folderSync_(folderSync) {}

    bool read(SchDocument& doc, FileReport& report) override {
        const Ce2Progress reading = [&](uint64_t bytesRead) {
            stage_(FileStage::Reading, bytesRead, report.sourceSize);
        };
        return readCe2Source(file_.source, options_, doc, report, stage_ ? reading : Ce2Progress());
    }

    std::optional<KeptOutput> keptOutput() override { return plan_.kept(index_); }

    bool write(SchDocument& doc, FileReport& report) override {
        const BatchRules& rules = plan_.rules();
        if (rules.dryRun) {
            // Whatever can be seen without writing is said as the write would say it.
            report.writeFailure = predictWriteFailure(file_.output, rules.makeOutputFolders);
            if (report.writeFailure.cause == WriteFailure::Cause::None) {
                return true;
            }
            report.outcome = FileOutcome::CannotWrite;
            return false;
        }
        if (rules.makeOutputFolders && !makeParentDirectories(file_.output, FolderAccess::Shared)) {
            report.outcome = FileOutcome::CannotWrite;
            report.writeFailure = {WriteFailure::Cause::System, errno};
            return false;
        }
        const uint64_t elements = doc.elements.size();
        SchWriteHooks hooks;
        if (stage_) {
            hooks.counted = [&](uint64_t done) { stage_(FileStage::Writing, done, elements); };
        }
        std::optional<EarlierOutputComparison> earlier;
        if (plan_.checksOnReplace(index_)) {
            earlier.emplace(file_.output);
            hooks.handedOn = [&](std::string_view block) { earlier->compare(block); };
        }
        hooks.mayReplace = [&] {
            return plan_.mayReplaceOutput(index_, report, earlier && earlier->finish());
        };
        SchSaveOutcome saved;
        std::optional<FolderSyncs::Deferral> deferral;
        if (folderSync_ != nullptr) {
            deferral.emplace(folderSync_->syncs);
        }
        if (doc.write(file_.output.c_str(), &saved, hooks) == 0) {
            if (deferral) {
                folderSync_->pending = deferral->pending();
            }
            return true;
        }
        // A last look that found the output changed, or one to keep, has set the outcome already.
        if (saved.failure.cause == WriteFailure::Cause::NotReplaced) {
            return false;
        }
        // An earlier output that was to be checked on replacing is checked now: one to keep is why
        // nothing was written, as when it is found before writing.
        if (earlier) {
            earlier->finish();
            if (const std::optional<KeptOutput> kept = checkEarlierOutput(file_.output)) {
                reportKeptOutput(*kept, report);
                return false;
            }
        }
        report.outcome = FileOutcome::CannotWrite;
        report.writeFailure = saved.failure;
        return false;
    }

    std::optional<DrawingReport> draw(const SchDocument& doc) override {
        if (const std::string& refused = plan_.svgRefused(index_); !refused.empty()) {
            return DrawingReport{false, refused};
        }
        if (!hooks_.svg) {
            return std::nullopt;
        }
        return hooks_.svg(doc, file_);
    }

    std::optional<DrawingReport> writeKicad(const SchDocument& doc) override {
        if (file_.kicad.empty() || !hooks_.kicad) {
            return std::nullopt;
        }
        if (const std::optional<DrawingReport>& refused = plan_.kicadRefused(index_)) {
            return refused;
        }
        const KicadSchematic made =
            hooks_.kicad(doc, file_.kicad.substr(finalComponentStart(file_.kicad)));
        return writeKicadFile(file_.kicad, made, plan_.rules(), [&](DrawingReport& report) {
            return plan_.mayReplaceKicad(index_, report);
        });
    }

  private:
    const RunPlan& plan_;
    std::size_t index_;
    const BatchFile& file_;
    const ConversionOptions& options_;
    const DrawingHooks& hooks_;
    const StageSink& stage_;
    FolderSync* folderSync_;
};

FileReport convertFile(const RunPlan& plan, std::size_t index, const ConversionOptions& options,
                       const DrawingHooks& hooks, const StageSink& stage, FolderSync* folderSync) {
    FileReport report;
    report.source = plan.files().batch[index].source;
    report.output = plan.files().batch[index].output;
    try {
        FileEnds ends(plan, index, options, hooks, stage, folderSync);
        convertDrawing(ends, report);
    } catch (const std::bad_alloc&) {
        // The document and everything read are freed by now; nothing was written, as memory
        // that runs out while the drawing hooks run is told in report.drawing or report.kicad.
        report.outcome = FileOutcome::NotEnoughMemory;
    }
    return report;
}

}  // namespace

bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report, const Ce2Progress& progress) {
    const RegularFile file = openSource(source, report);
    if (!file.stream) {
        return false;
    }
    report.sourceSize = file.size;
    if (progress) {
        progress(0);
    }
    report.elementsRead = readCe2File(file.stream.get(), doc, options, &report.reading, progress);
    return true;
}

void countSheetElements(const SchDocument& doc, FileReport& report) {
    for (const auto& e : doc.elements) {
        if (!e || e->link != nullptr) {
            continue;
        }
        switch (doc.saveFate(*e)) {
            case SchDocument::SaveFate::Written:
                ++report.elementsWritten;
                break;
            case SchDocument::SaveFate::OutsideSheet:
                ++report.elementsOutside;
                break;
            case SchDocument::SaveFate::EmptyText:
                ++report.emptyTexts;
                break;
        }
    }
}

bool isReadableRegularFile(const std::string& path, FileReport& report) {
    return openSource(path, report).stream != nullptr;
}

std::size_t defaultConversionJobs() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxConversionJobs);
}

std::vector<FileReport> convertFiles(const RunPlan& plan, const ConversionOptions& options,
                                     const ConversionProgress& progress, const DrawingHooks& hooks,
                                     std::size_t jobs) {
    const std::vector<BatchFile>& files = plan.files().batch;
    // With several files at once, a file with nothing made of it but its output is done once the
    // output has its name: the sync of the output's folder waits until its report is due, and is
    // made then on the calling thread while the threads go on. One sync serves every file renamed
    // into the folder before it began, and each report is still given only once its file is
    // durable.
    jobs = std::min({jobs, files.size(), kMaxConversionJobs});
    const bool shareFolderSyncs = jobs > 1 && FolderSyncs::leavesSyncsPending() &&
                                  !plan.rules().dryRun && !hooks.svg && !hooks.kicad;
    FolderSyncs syncs;
    std::vector<FolderSync> folderSyncs(shareFolderSyncs ? files.size() : 0, FolderSync{syncs, {}});
    const ListedConversion convert = [&](std::size_t i, const StageSink& stage) {
        FolderSync* const folderSync = shareFolderSyncs ? &folderSyncs[i] : nullptr;
        return plan.refused(i) ? *plan.refused(i)
                               : convertFile(plan, i, options, hooks, stage, folderSync);
    };
    // A failed sync fails each file it was to make durable, as a save's own failed sync does.
    const auto settle = [&](std::size_t i, FileReport& report) {
        if (!shareFolderSyncs || !folderSyncs[i].pending) {
            return;
        }
        const WriteFailure failure = syncs.settle(*folderSyncs[i].pending);
        if (failure.cause != WriteFailure::Cause::None) {
            report.outcome = FileOutcome::CannotWrite;
            report.writeFailure = failure;
        }
    };
    const ListedCancellation cancel = [&](std::size_t i) {
        if (plan.refused(i)) {
            return *plan.refused(i);
        }
        FileReport report;
        report.source = files[i].source;
        report.output = files[i].output;
        report.outcome = FileOutcome::Cancelled;
        return report;
    };
    if (jobs > 1) {
        std::vector<bool> untouched(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            untouched[i] = plan.refused(i).has_value();
        }
        const PoolPlan pool{files.size(),
                            std::max<std::size_t>(jobs, 1),
                            findSharedFiles(files, untouched),
                            convert,
                            cancel,
                            settle};
        if (std::optional<std::vector<FileReport>> reports = convertOnPool(pool, progress)) {
            return std::move(*reports);
        }
    }
    std::vector<FileReport> reports;
    reports.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (progress.fileStarting) {
            progress.fileStarting(i);
        }
        StageSink stage;
        if (progress.fileStage) {
            stage = [&progress, i](FileStage at, uint64_t done, uint64_t total) {
                progress.fileStage(i, at, done, total);
            };
        }
        const bool cancelled = progress.cancelled != nullptr && progress.cancelled->load();
        reports.push_back(cancelled ? cancel(i) : convert(i, stage));
        settle(i, reports.back());
        if (progress.fileDone) {
            progress.fileDone(reports.back(), reports.size(), files.size());
        }
    }
    return reports;
}

std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress, const DrawingHooks& hooks,
                                     std::size_t jobs, const std::string& settings) {
    const RunPlan plan({filesBesideSources(sources), {}, settings, {}}, BatchRules{});
    return convertFiles(plan, options, progress, hooks, jobs);
}
