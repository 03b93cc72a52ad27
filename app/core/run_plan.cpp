#include "app/core/run_plan.h"

#include <utility>

#include "app/core/conversion_text.h"

namespace {

// The key of a path, or, when not even a folder above it can be found, one that only the same
// path shares.
FileKey keyOf(const std::string& path) {
    return fileKey(path).value_or(FileKey{{}, "\n" + path});
}

}  // namespace

RunPlan::RunPlan(RunFiles files, const BatchRules& rules)
    : files_(std::move(files)), rules_(rules) {
    const std::size_t count = files_.batch.size();
    refused_.resize(count);
    kept_.resize(count);
    checksOnReplace_.resize(count);
    firstLooks_.resize(count);
    svgRefused_.resize(count);
    drawingRefused_.resize(files_.drawings.size());
    kicadRefused_.resize(count);
    drawingKicadRefused_.resize(files_.drawings.size());
    kicadLooks_.resize(count + files_.drawings.size());
    sourceKeys_.reserve(count);
    for (const BatchFile& file : files_.batch) {
        sourceKeys_.push_back(keyOf(file.source));
        read_.try_emplace(sourceKeys_.back(),
                          Known{RunFileRole::Source, file.source, {}, sourceKeys_.back()});
    }
    for (const PlannedDrawing& drawing : files_.drawings) {
        const FileKey key = keyOf(drawing.ce3);
        read_.try_emplace(key, Known{RunFileRole::Drawing, drawing.ce3, {}, key});
    }
    if (!files_.settings.empty()) {
        const FileKey key = keyOf(files_.settings);
        read_.try_emplace(key, Known{RunFileRole::Settings, files_.settings, {}, key});
    }
    // The files written, in the order the run writes them: a drawing after the files of the
    // batch that come before it.
    std::size_t next = 0;
    for (std::size_t j = 0; j < files_.drawings.size(); ++j) {
        for (; next < files_.drawings[j].after && next < count; ++next) {
            planBatchFile(next);
        }
        const PlannedDrawing& drawing = files_.drawings[j];
        const FileKey key = keyOf(drawing.ce3);
        if (!drawing.svg.empty()) {
            drawingRefused_[j] = planSvg(drawing.svg, drawing.ce3, key);
        }
        if (!drawing.kicad.empty()) {
            drawingKicadRefused_[j] =
                planKicad(drawing.kicad, drawing.ce3, key, kicadLooks_[count + j]);
        }
    }
    for (; next < count; ++next) {
        planBatchFile(next);
    }
    planReport();
}

// What the file `key` already is to the run, when `writing` may not replace it: a file the run
// reads (a source or the settings; a drawing only for an SVG, since a conversion may write the
// .ce3 file that the run draws), or a file written before from another source or in another role.
std::optional<RunFileClash> RunPlan::clashOf(const FileKey& key, const Known& writing) const {
    if (const auto read = read_.find(key); read != read_.end()) {
        const Known& known = read->second;
        const bool drawnOverByItsConversion =
            known.role == RunFileRole::Drawing && writing.role == RunFileRole::Output;
        if (!drawnOverByItsConversion) {
            return RunFileClash{known.role, known.path, {}};
        }
    }
    if (const auto earlier = written_.find(key); earlier != written_.end()) {
        const Known& known = earlier->second;
        // The same source listed twice writes the same files twice: the second equals the first.
        const bool sameSource =
            known.source == writing.source || known.sourceKey == writing.sourceKey;
        if (known.role != writing.role || !sameSource) {
            return RunFileClash{known.role, known.path, known.source};
        }
    }
    return std::nullopt;
}

void RunPlan::planBatchFile(std::size_t i) {
    const BatchFile& file = files_.batch[i];
    const FileKey outputKey = keyOf(file.output);
    const Known output{RunFileRole::Output, file.output, file.source, sourceKeys_[i]};
    std::optional<FileReport> refusal;
    const auto refuse = [&](FileOutcome outcome) {
        FileReport& report = refusal.emplace();
        report.source = file.source;
        report.output = file.output;
        report.outcome = outcome;
        return &report;
    };
    if (file.output == file.source || outputKey == sourceKeys_[i]) {
        refuse(FileOutcome::WouldOverwriteSource);
    } else if (const std::optional<RunFileClash> clash = clashOf(outputKey, output)) {
        if (clash->role == RunFileRole::Output || clash->role == RunFileRole::Svg ||
            clash->role == RunFileRole::Kicad) {
            refuse(FileOutcome::WouldReplaceEarlierOutput)->earlierSource = clash->source;
        } else {
            refuse(FileOutcome::WouldOverwriteRunFile)->clash = *clash;
        }
    }
    if (refusal) {
        refused_[i] = std::move(refusal);
        return;
    }
    written_.try_emplace(outputKey, output);
    firstLooks_[i] = lookAtFile(file.output);
    EarlierOutput earlier = lookAtEarlierOutput(file, rules_);
    if (earlier.contentsDecide && rules_.dryRun) {
        kept_[i] = checkEarlierOutput(file.output);
    } else {
        kept_[i] = std::move(earlier.kept);
        checksOnReplace_[i] = earlier.contentsDecide ? 1 : 0;
    }
    if (!file.svg.empty()) {
        svgRefused_[i] = planSvg(file.svg, file.source, sourceKeys_[i]);
    }
    if (!file.kicad.empty()) {
        kicadRefused_[i] = planKicad(file.kicad, file.source, sourceKeys_[i], kicadLooks_[i]);
    }
}

std::string RunPlan::planSvg(const std::string& svg, const std::string& source,
                             const FileKey& sourceKey) {
    const FileKey key = keyOf(svg);
    const Known drawing{RunFileRole::Svg, svg, source, sourceKey};
    if (const std::optional<RunFileClash> clash = clashOf(key, drawing)) {
        return describeRunFileClash(*clash);
    }
    written_.try_emplace(key, drawing);
    return {};
}

std::optional<DrawingReport> RunPlan::planKicad(const std::string& kicad, const std::string& source,
                                                const FileKey& sourceKey, FileLook& look) {
    const FileKey key = keyOf(kicad);
    const Known schematic{RunFileRole::Kicad, kicad, source, sourceKey};
    if (const std::optional<RunFileClash> clash = clashOf(key, schematic)) {
        return DrawingReport{false, describeRunFileClash(*clash)};
    }
    written_.try_emplace(key, schematic);
    look = lookAtFile(kicad);
    return findKeptKicad(kicad, rules_);
}

void RunPlan::planReport() {
    if (files_.report.empty()) {
        return;
    }
    const FileKey key = keyOf(files_.report);
    const Known report{RunFileRole::Report, files_.report, {}, key};
    if (const std::optional<RunFileClash> clash = clashOf(key, report)) {
        reportProblem_ = describeRunFileClash(*clash);
    }
}

bool RunPlan::mayReplaceOutput(std::size_t i, FileReport& report, bool sameAsWritten) const {
    const BatchFile& file = files_.batch[i];
    if (lookAtFile(file.output) == firstLooks_[i]) {
        if (!checksOnReplace_[i] || sameAsWritten) {
            return true;
        }
        if (const std::optional<KeptOutput> kept = checkEarlierOutput(file.output)) {
            reportKeptOutput(*kept, report);
            return false;
        }
        return true;
    }
    // Changed since it was first seen (a drawing saved in the editor meanwhile, or a link put in
    // its place): decided again, as if seen for the first time.
    const FileKey outputKey = keyOf(file.output);
    if (outputKey == sourceKeys_[i]) {
        report.outcome = FileOutcome::WouldOverwriteSource;
        return false;
    }
    if (const auto read = read_.find(outputKey);
        read != read_.end() && read->second.role != RunFileRole::Drawing) {
        report.outcome = FileOutcome::WouldOverwriteRunFile;
        report.clash = {read->second.role, read->second.path, {}};
        return false;
    }
    if (const std::optional<KeptOutput> kept = findKeptOutput(file, rules_)) {
        reportKeptOutput(*kept, report);
        return false;
    }
    return true;
}

bool RunPlan::mayReplaceKicad(std::size_t i, DrawingReport& report) const {
    return mayReplaceKicadFile(files_.batch[i].kicad, kicadLooks_[i], report);
}

bool RunPlan::mayReplaceDrawingKicad(std::size_t j, DrawingReport& report) const {
    return mayReplaceKicadFile(files_.drawings[j].kicad, kicadLooks_[files_.batch.size() + j],
                               report);
}

bool RunPlan::mayReplaceKicadFile(const std::string& kicad, const FileLook& look,
                                  DrawingReport& report) const {
    if (lookAtFile(kicad) == look) {
        return true;
    }
    // Changed since it was first seen: decided again, as if seen for the first time. Unlike an
    // output, a KiCad file may not be a drawing of the run either.
    if (const auto read = read_.find(keyOf(kicad)); read != read_.end()) {
        report = {false, describeRunFileClash({read->second.role, read->second.path, {}})};
        return false;
    }
    if (std::optional<DrawingReport> kept = findKeptKicad(kicad, rules_)) {
        report = std::move(*kept);
        return false;
    }
    return true;
}
