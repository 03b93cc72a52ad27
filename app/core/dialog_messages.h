#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/face_choice.h"

// What the dialog tells the user besides the completion message (kCompletionMessage), in UTF-8
// and in the user's language.

// How the files of a batch came out: each one converted whole, converted in part
// (convertedInPart), not converted, or not started because the batch was cancelled.
struct BatchTally {
    std::size_t whole = 0;
    std::size_t inPart = 0;
    std::size_t notConverted = 0;
    std::size_t notStarted = 0;
};
BatchTally tallyBatch(const std::vector<FileReport>& reports);

// How the message after a batch presents itself: every file converted whole, some not (or only
// in part, or not started), or none converted.
enum class BatchSeverity { Information, Warning, Error };
BatchSeverity batchSeverity(const BatchTally& tally);

// The groups of a batch's files, in the order the result lists them: failures first, then the
// files converted in part, the files converted whole, and those a cancel left unstarted.
enum class ResultGroup { NotConverted, InPart, Whole, NotStarted };
inline constexpr std::size_t kResultGroups = 4;

// What a filter of the result shows, with how many files it holds: "Not converted (21)"; no group
// stands for every file.
std::string resultFilterLabel(std::optional<ResultGroup> group, std::size_t count);

// A count as the dialogs show it, its thousands grouped: "1,500".
std::string groupedCount(std::size_t count);

// One sentence or two on a batch that ran to its end where a file was not converted whole ("3
// files converted (1 of them in part). 2 files could not be converted."); empty when every file
// was.
std::string batchSummary(const BatchTally& tally);

// What a cancelled batch did: "Cancelled: 50 files converted, 5 could not be converted, 1,445 not
// started."
std::string cancelSummary(const BatchTally& tally);

// "1,500 files": how many files the dialog's list holds.
std::string fileCountText(std::size_t files);

// The dialog's title: "MORVEX", then the number of files listed when there are any, and the folder
// that receives the outputs when one is chosen.
std::string dialogTitle(std::size_t files, const std::string& outputFolder);

// Why a chosen face was refused; empty when it was not.
std::string faceRefusalMessage(const FaceChoice& choice);

// More files were picked in the open-file dialog than it can hand over.
std::string tooManyChosenMessage();

// The settings file at path could not be written, for the cause given (none when empty).
std::string settingsNotSavedMessage(const std::string& path, const std::string& cause);

// A folder chosen to receive the outputs that the settings file cannot hold: CP932 cannot write it.
std::string outputFolderNotCp932Message(const std::string& folder);

// The output folder cannot be used, for the cause given: nothing is converted.
std::string outputFolderRefusedMessage(const std::string& folder, const std::string& cause);

// The first write of the settings made their file at path: where the settings are kept from now.
std::string settingsMadeMessage(const std::string& path);

// How far a batch has got: `done` of `total` files.
std::string batchProgressLabel(std::size_t done, std::size_t total);

// The labels of the commands both dialogs offer, with their access keys ('&').
// The result's buttons: copy its message and rows, save the report of every file.
std::string copyResultLabel();
std::string saveReportLabel();
// The menu items that choose the output folder and that put the outputs beside their sources
// again.
std::string outputFolderItemLabel();
std::string outputsBesideSourcesItemLabel();
// Browse's two ways: pick .ce2 files, or a folder whose .ce2 files are listed.
std::string chooseFilesItemLabel();
std::string chooseFolderItemLabel();
