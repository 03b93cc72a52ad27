#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/kept_outputs.h"
#include "platform/files.h"

// The files of a run, planned before anything is written: every source, output, SVG, KiCad file
// and drawing, the settings file and the report, each known as the file system will resolve its
// path (see FileKey). No file the run writes may be another file of the run, and every decision
// about them reads this one list, whichever front end made it.

// A .ce3 file that the run draws without converting it.
struct PlannedDrawing {
    std::string ce3;
    std::string svg;         // empty: not drawn
    std::size_t after = 0;   // how many files of the batch come before it in the run
    std::string kicad = {};  // empty: not written
};

// Everything a run reads and writes, as the user named it.
struct RunFiles {
    std::vector<BatchFile> batch;  // the files converted, in the run's order
    std::vector<PlannedDrawing> drawings;
    std::string settings;  // the settings file read; empty: none
    std::string report;    // the report written; empty: none
};

class RunPlan {
  public:
    // Looks every file up once and decides what can be decided before anything is written:
    // which files of the batch are refused, which existing outputs are kept (as `rules` say),
    // which SVGs are not drawn, which KiCad files are not written or kept, and whether the report
    // may be written.
    explicit RunPlan(RunFiles files, const BatchRules& rules);

    const RunFiles& files() const { return files_; }
    const BatchRules& rules() const { return rules_; }

    // The report of batch file i when it is refused before its source is read: it would overwrite
    // its source or another file of the run, or replace an output that an earlier file writes.
    const std::optional<FileReport>& refused(std::size_t i) const { return refused_[i]; }
    // Why the existing output of batch file i is to be left as it is; nothing when it may be
    // replaced, or when what it holds decides that once the new output is written.
    const std::optional<KeptOutput>& kept(std::size_t i) const { return kept_[i]; }
    // Whether the existing output of batch file i is a regular file whose contents are checked
    // just before it is replaced (mayReplaceOutput), rather than while the run is planned: a new
    // output of the same bytes shows what it holds for the price of a compare. A dry run, which
    // writes nothing to compare, checks while planning.
    bool checksOnReplace(std::size_t i) const { return checksOnReplace_[i] != 0; }
    // Why the SVG of batch file i, or of drawing j, is not to be written; empty when it may be.
    const std::string& svgRefused(std::size_t i) const { return svgRefused_[i]; }
    const std::string& drawingRefused(std::size_t j) const { return drawingRefused_[j]; }
    // Why the KiCad file of batch file i, or of drawing j, is not to be written (not ok), or
    // nothing when it may be: it is another file of the run, or an existing file that MORVEX did
    // not write (or that cannot be read to tell) and that the rules keep.
    const std::optional<DrawingReport>& kicadRefused(std::size_t i) const {
        return kicadRefused_[i];
    }
    const std::optional<DrawingReport>& drawingKicadRefused(std::size_t j) const {
        return drawingKicadRefused_[j];
    }
    // Why the report may not be written where it is asked for, naming the file of the run it
    // would overwrite; empty when it may.
    const std::string& reportProblem() const { return reportProblem_; }

    // Looks at the output of batch file i again, just before it is replaced: true when it is as
    // it was first seen, or may still be replaced; otherwise false, with the outcome and its
    // cause set in report. `sameAsWritten` says that the output held, when compared, the bytes
    // just written: one left to check on replacing then needs no check.
    bool mayReplaceOutput(std::size_t i, FileReport& report, bool sameAsWritten = false) const;
    // The same for the KiCad file of batch file i, or of drawing j: false, with why it is not
    // written in report, when it has changed into one not to be replaced.
    bool mayReplaceKicad(std::size_t i, DrawingReport& report) const;
    bool mayReplaceDrawingKicad(std::size_t j, DrawingReport& report) const;

  private:
    struct Known {
        RunFileRole role;
        std::string path;
        std::string source;  // for a file written: what it is made from
        FileKey sourceKey;
    };
    std::optional<RunFileClash> clashOf(const FileKey& key, const Known& writing) const;
    void planBatchFile(std::size_t i);
    std::string planSvg(const std::string& svg, const std::string& source,
                        const FileKey& sourceKey);
    std::optional<DrawingReport> planKicad(const std::string& kicad, const std::string& source,
                                           const FileKey& sourceKey, FileLook& look);
    bool mayReplaceKicadFile(const std::string& kicad, const FileLook& look,
                             DrawingReport& report) const;
    void planReport();

    RunFiles files_;
    BatchRules rules_;
    std::vector<FileKey> sourceKeys_;
    std::map<FileKey, Known> read_;  // sources, drawings and settings, each the first of its file
    std::map<FileKey, Known> written_;  // outputs, SVGs and KiCad files, each the first of its file
    std::vector<std::optional<FileReport>> refused_;
    std::vector<std::optional<KeptOutput>> kept_;
    std::vector<char> checksOnReplace_;  // one per batch file: 1 or 0, read by several threads
    std::vector<FileLook> firstLooks_;
    std::vector<std::string> svgRefused_;
    std::vector<std::string> drawingRefused_;
    std::vector<std::optional<DrawingReport>> kicadRefused_;
    std::vector<std::optional<DrawingReport>> drawingKicadRefused_;
    std::vector<FileLook> kicadLooks_;  // the KiCad files of the batch, then of the drawings
    std::string reportProblem_;
};
