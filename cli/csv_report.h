#pragma once

#include <string>

#include "app/core/conversion.h"
#include "platform/atomic_file.h"

// The log of a run that `--report FILE.csv` keeps: one row per file, in the order of the report
// lines, as spreadsheet programs read it (UTF-8 with a byte-order mark, a header row, RFC 4180
// quoting, CR LF line ends). Written atomically: the file appears whole once the run is done.
class CsvReport {
  public:
    explicit CsvReport(const std::string& path) : file_(path) {}

    // Creates the temporary that receives the rows and writes the header; false, with the cause
    // in failure(), when the file cannot be written there.
    bool open();
    // A file of the batch, converted or not.
    void add(const FileReport& report, bool dryRun);
    // A path that gave nothing to convert.
    void addProblem(const std::string& path, const std::string& reason);
    // Gives the file its name; false, with the cause in failure(), when it cannot be written.
    bool commit() { return file_.commit(); }
    const WriteFailure& failure() const { return file_.failure(); }

  private:
    void row(std::initializer_list<std::string> fields);

    AtomicFile file_;
};
