#pragma once

#include <string>
#include <string_view>

#include "app/core/conversion.h"
#include "platform/atomic_file.h"

// A cell as the report writes it. Bytes that are not UTF-8 (a name in CP932, say) become \xNN, two
// upper-case hexadecimal digits; UTF-8 stays as it is. A cell that begins with =, +, -, @, tab or
// CR gets a leading ' so that no spreadsheet takes it for a formula. Then RFC 4180: the cell is
// quoted, its quotes doubled, when it holds a comma, a quote or a line end.
std::string csvField(std::string_view cell);

// The log of a run that `--report FILE.csv` keeps: one row per file, in the order of the report
// lines, as spreadsheet programs read it (UTF-8 with a byte-order mark, a header row, RFC 4180
// quoting, CR LF line ends), and as they open it safely (csvField). Written atomically: the file
// appears whole once the run is done.
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
    void row(std::initializer_list<std::string> fields);

    std::string path_;
    AtomicFile file_;
};
