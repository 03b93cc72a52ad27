#include "app/core/conversion.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_pool.h"
#include "app/core/kept_outputs.h"
#include "app/core/output_collisions.h"
#include "app/core/shared_files.h"
#include "model/document.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/uninitialised_array.h"
#include "platform/write_check.h"

namespace {

constexpr std::size_t kSourceBufferBytes = std::size_t{1} << 16;

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

// Reads, writes and reports one file; may throw std::bad_alloc, with what was done in report.
void convertInto(FileReport& report, const ConversionOptions& options, const BatchRules& rules,
                 const std::optional<KeptOutput>& kept, const DrawingHook& drawingHook,
                 const StageSink& stage) {
    SchDocument doc;
    const Ce2Progress reading = [&](uint64_t bytesRead) {
        stage(FileStage::Reading, bytesRead, report.sourceSize);
    };
    if (!readCe2Source(report.source, options, doc, report, stage ? reading : Ce2Progress())) {
        return;
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return;
    }
    countSheetElements(doc, report);
    if (kept) {
        report.outcome = kept->outcome;
        report.outputReadError = kept->readError;
        report.writeFailure = kept->writeFailure;
        return;
    }
    // A dry run writes nothing but reports what stands in the way of the write, as the run would.
    if (rules.dryRun) {
        report.writeFailure = predictWriteFailure(report.output, rules.makeOutputFolders);
        report.outcome = report.writeFailure.cause == WriteFailure::Cause::None
                             ? FileOutcome::Converted
                             : FileOutcome::CannotWrite;
        return;
    }
    if (rules.makeOutputFolders && !makeParentDirectories(report.output, FolderAccess::Shared)) {
        report.outcome = FileOutcome::CannotWrite;
        report.writeFailure = {WriteFailure::Cause::System, errno};
        return;
    }
    const uint64_t elements = doc.elements.size();
    std::function<void(uint64_t)> writing;
    if (stage) {
        writing = [&](uint64_t done) { stage(FileStage::Writing, done, elements); };
    }
    SchSaveOutcome saved;
    const int result = doc.write(report.output.c_str(), &saved, writing);
    report.outcome = result == 0 ? FileOutcome::Converted : FileOutcome::CannotWrite;
    report.writeFailure = saved.failure;
    if (report.outcome == FileOutcome::Converted && drawingHook) {
        try {
            report.drawing = drawingHook(doc, report.output);
        } catch (const std::bad_alloc&) {
            report.drawing = DrawingReport{false, translated("not enough memory")};
        }
    }
}

FileReport convertFile(const BatchFile& file, const ConversionOptions& options,
                       const BatchRules& rules, const std::optional<KeptOutput>& kept,
                       const DrawingHook& drawingHook, const StageSink& stage) {
    FileReport report;
    report.source = file.source;
    report.output = file.output;
    try {
        convertInto(report, options, rules, kept, drawingHook, stage);
    } catch (const std::bad_alloc&) {
        // The document and everything read are freed by now; nothing was written, as memory
        // that runs out while the drawing hook runs is told in report.drawing.
        report.outcome = FileOutcome::NotEnoughMemory;
    }
    return report;
}

// What is decided before anything is written: the reports of the files that would overwrite
// their source or the output of an earlier file, and the outputs to be left alone, which are
// reported once their source has been read.
struct BatchDecisions {
    std::vector<std::optional<FileReport>> refused;
    std::vector<std::optional<KeptOutput>> kept;
};

BatchDecisions decideBeforeWriting(const std::vector<BatchFile>& files, const BatchRules& rules) {
    const std::vector<std::optional<std::size_t>> collisions = findOutputCollisions(files);
    BatchDecisions decided{std::vector<std::optional<FileReport>>(files.size()),
                           std::vector<std::optional<KeptOutput>>(files.size())};
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!overwritesItsSource(files[i]) && !collisions[i]) {
            decided.kept[i] = findKeptOutput(files[i], rules);
            continue;
        }
        FileReport& report = decided.refused[i].emplace();
        report.source = files[i].source;
        report.output = files[i].output;
        if (collisions[i]) {
            report.outcome = FileOutcome::WouldReplaceEarlierOutput;
            report.earlierSource = files[*collisions[i]].source;
        } else {
            report.outcome = FileOutcome::WouldOverwriteSource;
        }
    }
    return decided;
}

}  // namespace

bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report, const Ce2Progress& progress) {
    // A large buffer, so that a big drawing takes few read calls. It is freed here, while the
    // document holds its elements: freed after them, it would make the allocator sweep every one
    // of them.
    const auto buffer = makeUninitialisedArray<char>(kSourceBufferBytes);
    const RegularFile file = openSource(source, report);
    if (!file.stream) {
        return false;
    }
    report.sourceSize = file.size;
    if (progress) {
        progress(0);
    }
    std::setvbuf(file.stream.get(), buffer.get(), _IOFBF, kSourceBufferBytes);
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

std::vector<FileReport> convertFiles(const std::vector<BatchFile>& files,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress,
                                     const DrawingHook& drawingHook, std::size_t jobs,
                                     const BatchRules& rules) {
    const BatchDecisions decided = decideBeforeWriting(files, rules);
    const ListedConversion convert = [&](std::size_t i, const StageSink& stage) {
        if (decided.refused[i]) {
            return *decided.refused[i];
        }
        if (progress.cancelled != nullptr && progress.cancelled->load()) {
            FileReport report;
            report.source = files[i].source;
            report.output = files[i].output;
            report.outcome = FileOutcome::Cancelled;
            return report;
        }
        return convertFile(files[i], options, rules, decided.kept[i], drawingHook, stage);
    };
    jobs = std::min({jobs, files.size(), kMaxConversionJobs});
    if (jobs > 1) {
        std::vector<bool> untouched(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            untouched[i] = decided.refused[i].has_value();
        }
        PoolPlan plan{files.size(), jobs, findSharedFiles(files, untouched), convert};
        if (std::optional<std::vector<FileReport>> reports = convertOnPool(plan, progress)) {
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
        reports.push_back(convert(i, stage));
        if (progress.fileDone) {
            progress.fileDone(reports.back(), reports.size(), files.size());
        }
    }
    return reports;
}

std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress,
                                     const DrawingHook& drawingHook, std::size_t jobs) {
    return convertFiles(filesBesideSources(sources), options, progress, drawingHook, jobs);
}
