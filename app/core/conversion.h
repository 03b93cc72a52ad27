#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ce2/ce2_reader.h"

class SchDocument;

// What happened to one source file of a batch.
enum class FileOutcome {
    Converted,
    CannotOpen,
    NotRegularFile,
    TooFewElements,
    CannotWrite,
    WouldOverwriteSource
};

// What the follow-up of a drawing hook did (see DrawingHook).
struct FollowUpReport {
    bool ok = true;
    std::string text;
};
using FollowUp = std::function<FollowUpReport()>;

struct FileReport {
    std::string source;
    std::string output;
    FileOutcome outcome = FileOutcome::CannotOpen;
    int elementsRead = 0;                    // elements the CE2 reader appended
    int elementsWritten = 0;                 // elements in the saved file
    int elementsOutside = 0;                 // elements left out because they lay outside the sheet
    Ce2ReadReport reading;                   // why and where reading stopped
    int openError = 0;                       // errno of a failed open, 0 otherwise
    std::optional<FollowUpReport> followUp;  // set when a drawing hook's follow-up ran
};

// The completion message shown once per batch: four lines separated by LF.
extern const char* const kCompletionMessage;

// The source path with its extension (from the last '.' of the final component) replaced by
// ".ce3", or ".ce3" appended when the final component has none.
std::string makeCe3Path(const std::string& source);

// Points as shown to the user to the drawing's unit: atoi(text) * 96 / 72, saturated to 32 bits.
int pointsToUnits(const std::string& pointsText);

// Builds the options from the four font fields: faces as CP932 bytes, sizes as point texts.
ConversionOptions makeConversionOptions(const std::string& largeFace, const std::string& largeSize,
                                        const std::string& smallFace, const std::string& smallSize);

// Called after each file with the number of files done and the total.
using ConversionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Sees each drawing that is about to be saved, as it was read (the save empties the document and
// reloads what it wrote), with the output path. It runs on the thread that converts the file, so
// it must be safe to run for different documents at once. The follow-up it returns (may be empty)
// runs once the file has been written, and only then; its report goes into the file's report.
using DrawingHook = std::function<FollowUp(const SchDocument& doc, const std::string& output)>;

// Converts every source in order; a file is written only when more than one element was read.
std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress = {},
                                     const DrawingHook& drawingHook = {});

// Reads a .ce2 source into doc as the conversion does. False when the file cannot be opened or is
// not a regular file (a FIFO or device never blocks), with the outcome and cause in report;
// otherwise report.elementsRead and report.reading say what was read.
bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report);

// Whether path names a regular file that can be opened for reading, checked without blocking on a
// FIFO or device; when not, the outcome and cause are in report.
bool isReadableRegularFile(const std::string& path, FileReport& report);

// One line on what happened to a file: for a converted one the elements written and what was
// left out ("12 elements; 1 element outside the sheet left out"), otherwise the reason it was not
// converted ("fewer than two elements").
std::string describeOutcome(const FileReport& report);
