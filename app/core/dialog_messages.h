#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/face_choice.h"

// What the dialog tells the user besides the completion message (kCompletionMessage), in UTF-8
// and in the user's language.

// One line per file that was not converted, "path: reason", under a heading; empty when every
// file was converted. Past maxFiles lines, one last line tells how many more files there are.
std::string notConvertedText(const std::vector<FileReport>& reports,
                             std::size_t maxFiles = SIZE_MAX);

// How the files of a batch came out: each one converted whole, converted in part
// (convertedInPart) or not converted.
struct BatchTally {
    std::size_t whole = 0;
    std::size_t inPart = 0;
    std::size_t notConverted = 0;
};
BatchTally tallyBatch(const std::vector<FileReport>& reports);

// How the message after a batch presents itself: every file converted whole, some not (or only
// in part), or none converted.
enum class BatchSeverity { Information, Warning, Error };
BatchSeverity batchSeverity(const BatchTally& tally);

// One sentence or two on a batch where a file was not converted whole ("3 files converted (1 of
// them in part). 2 files could not be converted."); empty when every file was.
std::string batchSummary(const BatchTally& tally);

// The files not converted, then those converted in part, each "path: reason" under a heading of
// its own; past maxFiles lines in all, one last line tells how many more files there are.
std::string unfinishedFilesText(const std::vector<FileReport>& reports,
                                std::size_t maxFiles = SIZE_MAX);

// The message after a batch: the summary when a file was not converted whole (after a line
// saying so when the batch was cancelled), the completion message (kCompletionMessage) when any
// file was converted, then unfinishedFilesText; the three apart by blank lines.
std::string batchMessage(const std::vector<FileReport>& reports, std::size_t maxFiles = SIZE_MAX);

// Why a chosen face was refused; empty when it was not.
std::string faceRefusalMessage(const FaceChoice& choice);

// More files were picked in the open-file dialog than it can hand over.
std::string tooManyChosenMessage();

// The settings file at path could not be written, for the cause given (none when empty).
std::string settingsNotSavedMessage(const std::string& path, const std::string& cause);

// How far a batch has got: `done` of `total` files.
std::string batchProgressLabel(std::size_t done, std::size_t total);
