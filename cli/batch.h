#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class ProgressLine;

// One run of the command-line converter as the user asked for it.
struct BatchRequest {
    std::vector<std::string> paths;
    // Overrides of the settings for this run: faces as CP932 bytes, sizes as point texts.
    std::optional<std::string> largeFace;
    std::optional<std::string> largeSize;
    std::optional<std::string> smallFace;
    std::optional<std::string> smallSize;
    std::string settingsFile;  // empty: the usual lookup
    bool quiet = false;
    bool svg = false;    // also draw each converted drawing, and each .ce3 path given, as NAME.svg
    bool kicad = false;  // also write each of them as a KiCad schematic, NAME.kicad_sch
    std::size_t jobs = 1;    // files converted at once
    bool overwrite = false;  // replace outputs that hold more than a conversion writes
    // Empty: each output beside its source. Else the folder that receives the outputs, each at
    // its source's path below the PATH it was found under (created as needed).
    std::string outputDir;
    bool dryRun = false;    // decide and report everything, write nothing
    std::string reportCsv;  // where to keep one row per file as CSV; empty: nowhere
};

// Converts every file the paths stand for as one batch, one line per file on out (converted) or
// err (not converted). Then, on err: with more than one file, a summary of how many were
// converted, in part and not (with quiet only when not all were converted whole), and, unless
// quiet, the completion message when any file was converted.
// With svg or kicad, a .ce3 path is drawn instead, and a drawing or KiCad file that is not written
// is reported on err. 0 when every file was converted (and drawn, and written as KiCad asks), 1
// otherwise. The settings file is only read.
// When progress is not null, it shows how far a long file has got.
// A report file that cannot be written is said before anything is converted: then nothing is
// converted and the result is 2, as for a usage error.
int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err,
             ProgressLine* progress = nullptr);
