#include "cli/batch.h"

#include <map>
#include <optional>
#include <ostream>
#include <variant>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/font_fields.h"
#include "app/core/kicad_file.h"
#include "app/core/output_folder.h"
#include "app/core/profile_bytes.h"
#include "app/core/profile_file.h"
#include "app/core/report_file.h"
#include "app/core/run_plan.h"
#include "app/core/settings.h"
#include "app/core/settings_check.h"
#include "app/core/source_search.h"
#include "cli/progress_line.h"
#include "cli/svg_output.h"
#include "kicad/kicad_schematic.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

// True when path ends in ".ce3" in any letter case and is not a directory: a drawing to draw.
bool isCe3File(const std::string& path) {
    return hasExtension(path, ".ce3") && !isDirectory(path);
}

ConversionOptions optionsFor(const BatchRequest& request, const SettingsInUse& settings,
                             std::ostream& err) {
    if (!settings.notice.empty()) {
        err << "morvex-cli: " << settings.notice << '\n';
    }
    const ProfileFile file(settings.path);
    const StoredFont large = readStoredFont(file, FontRow::Large);
    const StoredFont small = readStoredFont(file, FontRow::Small);
    return makeConversionOptions(request.largeFace.value_or(large.faceBytes),
                                 request.largeSize.value_or(std::to_string(large.points)),
                                 request.smallFace.value_or(small.faceBytes),
                                 request.smallSize.value_or(std::to_string(small.points)));
}

// What the run does, in the order of its paths: report a path that gives nothing to convert,
// draw a .ce3 file, or convert the next source of the batch.
struct DrawStep {
    std::size_t drawing;  // its index among the plan's drawings
};
struct ConvertStep {};
struct EmptyFolderStep {  // a folder with no .ce2 file below it
    std::string path;
};
struct NoMatchStep {  // a wildcard pattern that matches nothing
    std::string pattern;
};
using Step = std::variant<PathProblem, DrawStep, ConvertStep, EmptyFolderStep, NoMatchStep>;

// The steps of one path, and the files it reads and writes.
void planPath(const BatchRequest& request, const std::string& path, std::vector<Step>& steps,
              RunFiles& files) {
    if ((request.svg || request.kicad) && isCe3File(path)) {
        steps.emplace_back(DrawStep{files.drawings.size()});
        const std::string beside = outputPathFor(path, path, request.outputDir);
        files.drawings.push_back({path, request.svg ? makeSvgPath(beside) : std::string(),
                                  files.batch.size(),
                                  request.kicad ? makeKicadPath(beside) : std::string()});
        return;
    }
    FoundSources found = findSources(path);
    if (found.files.empty() && found.problems.empty()) {
        steps.emplace_back(EmptyFolderStep{path});
    }
    for (PathProblem& problem : found.problems) {
        steps.emplace_back(std::move(problem));
    }
    for (std::string& source : found.files) {
        steps.emplace_back(ConvertStep{});
        std::string output = outputPathFor(source, path, request.outputDir);
        std::string svg = request.svg ? makeSvgPath(output) : std::string();
        std::string kicad = request.kicad ? makeKicadPath(output) : std::string();
        files.batch.push_back(
            {std::move(source), std::move(output), std::move(svg), std::move(kicad)});
    }
}

// The steps of every path, and the files of the one batch that converts them all: sources
// that would write the same output are found across the whole run. A wildcard pattern stands for
// the paths it matches.
void planRun(const BatchRequest& request, std::vector<Step>& steps, RunFiles& files) {
    for (const std::string& argument : request.paths) {
        const PathArgument expanded = expandPathArgument(argument);
        if (!expanded.error.empty()) {
            steps.emplace_back(PathProblem{
                argument, formatted(translated("cannot be opened: %s"), expanded.error.c_str())});
        } else if (expanded.pattern && expanded.paths.empty()) {
            steps.emplace_back(NoMatchStep{argument});
        }
        for (const std::string& path : expanded.paths) {
            planPath(request, path, steps, files);
        }
    }
}

class RunReporter {
  public:
    RunReporter(std::ostream& out, std::ostream& err, ProgressLine* progress, CsvReport* csv,
                const RunPlan& plan)
        : out_(out),
          err_(err),
          progress_(progress),
          csv_(csv),
          plan_(plan),
          dryRun_(plan.rules().dryRun) {}

    bool allDone() const { return allDone_; }

    std::string summary() const {
        std::string text = describeBatchSummary(converted_, inPart_, notConverted_);
        if (text.empty()) {
            return text;
        }
        if (notDrawn_ > 0) {
            text += describeNotDrawnCount(notDrawn_);
        }
        if (kicadNotWritten_ > 0) {
            text += describeKicadNotWrittenCount(kicadNotWritten_);
        }
        return text;
    }

    bool allConvertedWhole() const {
        return notConverted_ == 0 && inPart_ == 0 && notDrawn_ == 0 && kicadNotWritten_ == 0;
    }
    bool anyConverted() const { return converted_ > 0; }

    // Carries out the steps before the next conversion, or up to the end when there is none.
    void carryOutUntilConversion(const std::vector<Step>& steps, std::size_t& next) {
        for (; next < steps.size(); ++next) {
            if (std::holds_alternative<ConvertStep>(steps[next])) {
                ++next;
                return;
            }
            if (const auto* problem = std::get_if<PathProblem>(&steps[next])) {
                notConverted(problem->path, problem->reason);
            } else if (const auto* empty = std::get_if<EmptyFolderStep>(&steps[next])) {
                err_ << "morvex-cli: ";
                notConverted(empty->path,
                             formatted(translated("no .ce2 files under %s"), empty->path.c_str()),
                             false);
            } else if (const auto* noMatch = std::get_if<NoMatchStep>(&steps[next])) {
                err_ << "morvex-cli: ";
                notConverted(noMatch->pattern,
                             formatted(translated("no file or directory matches %s"),
                                       noMatch->pattern.c_str()),
                             false);
            } else {
                draw(std::get<DrawStep>(steps[next]));
            }
        }
    }

    void converted(const FileReport& report) {
        if (progress_ != nullptr) {
            progress_->clear();
        }
        printReport(report);
    }

  private:
    // A path that gave nothing to convert: "PATH: not converted: REASON", or the reason alone.
    void notConverted(const std::string& path, const std::string& reason, bool named = true) {
        if (named) {
            err_ << path << ": " << translated("not converted") << ": ";
        }
        err_ << reason << '\n';
        allDone_ = false;
        ++notConverted_;
        if (csv_ != nullptr) {
            csv_->addProblem(path, reason);
        }
    }

    void draw(const DrawStep& step) {
        const PlannedDrawing& planned = plan_.files().drawings[step.drawing];
        const Ce3Outputs outputs = writeCe3Outputs(plan_, step.drawing);
        std::string written;
        for (const std::optional<DrawingReport>& output : {outputs.svg, outputs.kicad}) {
            if (output && output->ok) {
                written += (written.empty() ? "" : "; ") + output->text;
            }
        }
        if (!written.empty()) {
            out_ << planned.ce3 << ": " << written << std::endl;
        }
        if (outputs.svg) {
            if (!outputs.svg->ok) {
                err_ << planned.ce3 << ": " << translated("not drawn") << ": " << outputs.svg->text
                     << std::endl;
                allDone_ = false;
                ++notDrawn_;
            }
            if (csv_ != nullptr) {
                csv_->addDrawing(planned.ce3, planned.svg, outputs.svg->ok, outputs.svg->text,
                                 dryRun_);
            }
        }
        if (outputs.kicad) {
            kicadDone(planned.ce3, planned.kicad, *outputs.kicad);
        }
    }

    // The KiCad file of `path`: a line on err when it is not written, and a row of the report.
    void kicadDone(const std::string& path, const std::string& kicad, const DrawingReport& done) {
        if (!done.ok) {
            err_ << path << ": " << translated("KiCad file not written") << ": " << done.text
                 << (done.kept ? translated("; --overwrite replaces it") : std::string())
                 << std::endl;
            allDone_ = false;
            ++kicadNotWritten_;
        }
        if (csv_ != nullptr) {
            csv_->addKicad(path, kicad, done, dryRun_);
        }
    }

    void printReport(const FileReport& report) {
        if (csv_ != nullptr) {
            csv_->add(report, dryRun_);
        }
        if (report.outcome != FileOutcome::Converted) {
            err_ << describeFileLine(report)
                 << (replacingKeptOutputHelps(report) ? translated("; --overwrite replaces it")
                                                      : std::string())
                 << std::endl;
            allDone_ = false;
            ++notConverted_;
            return;
        }
        ++converted_;
        inPart_ += convertedInPart(report) ? 1 : 0;
        out_ << describeFileLine(report, dryRun_) << std::endl;
        if (report.drawing && !report.drawing->ok) {
            err_ << report.source << ": " << translated("not drawn") << ": " << report.drawing->text
                 << std::endl;
            if (csv_ != nullptr) {
                csv_->addDrawing(report.source, makeSvgPath(report.output), false,
                                 report.drawing->text, dryRun_);
            }
            allDone_ = false;
            ++notDrawn_;
        }
        if (report.kicad) {
            kicadDone(report.source, makeKicadPath(report.output), *report.kicad);
        }
    }

    std::ostream& out_;
    std::ostream& err_;
    ProgressLine* progress_;
    CsvReport* csv_;
    const RunPlan& plan_;
    bool dryRun_;
    bool allDone_ = true;
    unsigned long converted_ = 0;
    unsigned long inPart_ = 0;
    unsigned long notConverted_ = 0;
    unsigned long notDrawn_ = 0;
    unsigned long kicadNotWritten_ = 0;
};

// Says on err that the report cannot be written where it is asked for; 2, as for a usage error.
int refuseReport(const std::string& problem, std::ostream& err) {
    err << "morvex-cli: --report: " << problem << '\n';
    return 2;
}

}  // namespace

int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err,
             ProgressLine* progress) {
    const SettingsInUse settings =
        settingsInUse(request.settingsFile.empty() ? findSettingsPath() : request.settingsFile);
    std::vector<Step> steps;
    RunFiles files;
    planRun(request, steps, files);
    files.settings = settings.path;
    files.report = request.reportCsv;
    const RunPlan plan(std::move(files), BatchRules{.replaceEdited = request.overwrite,
                                                    .makeOutputFolders = !request.outputDir.empty(),
                                                    .dryRun = request.dryRun});
    std::optional<CsvReport> csv;
    if (!request.reportCsv.empty()) {
        if (const std::string problem = openPlannedReport(plan, csv); !problem.empty()) {
            return refuseReport(problem, err);
        }
    }
    const ConversionOptions options = optionsFor(request, settings, err);

    RunReporter reporter(out, err, progress, csv ? &*csv : nullptr, plan);
    std::size_t next = 0;
    // Each line appears as soon as its file and every one before it are done.
    ConversionProgress shown;
    shown.fileStarting = [&](std::size_t) { reporter.carryOutUntilConversion(steps, next); };
    shown.fileDone = [&](const FileReport& report, std::size_t, std::size_t) {
        reporter.converted(report);
    };
    const std::vector<BatchFile>& batch = plan.files().batch;
    if (progress != nullptr) {
        shown.fileStage = [&](std::size_t index, FileStage stage, uint64_t done, uint64_t total) {
            progress->update(index, batch[index], stage, done, total);
        };
    }
    DrawingHooks hooks;
    if (request.svg) {
        hooks.svg = svgBesideOutput(request.dryRun, !request.outputDir.empty());
    }
    if (request.kicad) {
        hooks.kicad = kicadSchematic;
    }
    convertFiles(plan, options, shown, hooks, request.jobs);
    reporter.carryOutUntilConversion(steps, next);

    // The summary and the notice come last, after every report line of both streams.
    out.flush();
    const std::string summary = reporter.summary();
    if (!summary.empty() && (!request.quiet || !reporter.allConvertedWhole())) {
        err << summary << '\n';
    }
    if (reporter.anyConverted() && !request.quiet && !request.dryRun) {
        // In English; the Japanese catalogue gives back the specified text.
        err << translated(
                   "The conversion has finished.\n"
                   "The files written are .CE3 files without library information.\n"
                   "Set up the libraries they need before loading them into Tovr3/Pelnak "
                   "for the first time.\n"
                   "Saving them over in Tovr3/Pelnak makes them .CE3 files with library "
                   "information.")
            << '\n';
    }
    err.flush();
    if (csv && !csv->commit()) {
        err << "morvex-cli: --report: " << request.reportCsv << ": "
            << formatted(translated("cannot be written: %s"),
                         describeWriteFailure(csv->failure()).c_str())
            << std::endl;
        return 1;
    }
    return reporter.allDone() ? 0 : 1;
}
