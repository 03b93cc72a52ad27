#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/core/conversion.h"
#include "app/core/report_csv.h"
#include "platform/atomic_file.h"

class RunPlan;

// The log of a run that `--report FILE.csv` and the dialogs' "Save report" keep: one row per
// file, in the order of the report lines, as app/core/report_csv.h makes them. Written
// atomically: the file appears whole once the run is done.
class CsvReport {
  public:
    explicit CsvReport(const std::string& path) : path_(path), file_(path) {}

    // Why the file there must not be replaced: it exists and is not a report of ours (or cannot
    // be read to tell). Empty when it may be.
    std::string replacedFileProblem() const;
    // Creates the temporary that receives the rows and writes the header; false, with the cause
    // in failure(), when the file cannot be written there.
    bool open();
    // A file of the batch, converted or not.
    void add(const FileReport& report, bool dryRun);
    // A path that gave nothing to convert.
    void addProblem(const std::string& path, const std::string& reason);
    // A drawing made of a .ce3 file, or of a file converted, to svg; `text` says why it was not.
    void addDrawing(const std::string& path, const std::string& svg, bool drawn,
                    const std::string& text, bool dryRun);
    // The KiCad file written of a .ce3 file, or of a file converted: its counts, or why not.
    void addKicad(const std::string& path, const std::string& kicad, const DrawingReport& done,
                  bool dryRun);
    // Gives the file its name; false, with the cause in failure(), when it cannot be written.
    bool commit() { return file_.commit(); }
    const WriteFailure& failure() const { return file_.failure(); }

  private:
    void write(const std::string& row);

    std::string path_;
    AtomicFile file_;
};

// Opens the report that the plan names, in `report`: refused when it would overwrite a file of the
// run, or an existing file that is not a report of ours, or when it cannot be written there.
// Empty when it was opened; else why not, as "PATH: problem".
std::string openPlannedReport(const RunPlan& plan, std::optional<CsvReport>& report);
