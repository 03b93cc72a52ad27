#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ce2/ce2_reader.h"

// What happened to one source file of a batch.
enum class FileOutcome {
    Converted,
    CannotOpen,
    NotRegularFile,
    TooFewElements,
    CannotWrite,
    WouldOverwriteSource
};

struct FileReport {
    std::string source;
    std::string output;
    FileOutcome outcome = FileOutcome::CannotOpen;
    int elementsRead = 0;     // elements the CE2 reader appended
    int elementsWritten = 0;  // elements in the saved file
    int elementsOutside = 0;  // elements left out because they lay outside the sheet
    Ce2ReadReport reading;    // why and where reading stopped
    int openError = 0;        // errno of a failed open, 0 otherwise
};

// The completion message shown once per batch: four lines separated by LF.
extern const char* const kCompletionMessage;

// The source path with its extension (from the last '.' of the final component) replaced by
// ".ce3", or ".ce3" appended when the final component has none.
std::string makeCe3Path(const std::string& source);

// True when the extension of the path's final component is ".ce2" in any letter case.
bool hasCe2Extension(const std::string& path);

// Points as shown to the user to the drawing's unit: atoi(text) * 96 / 72, saturated to 32 bits.
int pointsToUnits(const std::string& pointsText);

// Builds the options from the four font fields: faces as CP932 bytes, sizes as point texts.
ConversionOptions makeConversionOptions(const std::string& largeFace, const std::string& largeSize,
                                        const std::string& smallFace, const std::string& smallSize);

// Called after each file with the number of files done and the total.
using ConversionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Converts every source in order; a file is written only when more than one element was read.
std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress = {});

// One line on what happened to a file: for a converted one the elements written and what was
// left out ("12 elements; 1 element outside the sheet left out"), otherwise the reason it was not
// converted ("fewer than two elements").
std::string describeOutcome(const FileReport& report);
