#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ce2/ce2_reader.h"
#include "platform/atomic_file.h"
#include "platform/interruption.h"

class SchDocument;

// What happened to one source file of a batch.
enum class FileOutcome {
    Converted,
    CannotOpen,
    NotRegularFile,
    TooFewElements,
    CannotWrite,
    WouldOverwriteSource,
    WouldReplaceEarlierOutput,  // another source earlier in the batch has the same output
    KeepsEditedOutput,  // the existing output holds more than a conversion writes, or is unreadable
    NotEnoughMemory,
    Cancelled  // the batch was cancelled before the file was started
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
    int elementsRead = 0;       // elements the CE2 reader appended
    int elementsWritten = 0;    // elements in the saved file
    int elementsOutside = 0;    // elements left out because they lay outside the sheet
    int emptyTexts = 0;         // labels and comments left out because their text is empty
    Ce2ReadReport reading;      // why and where reading stopped
    int openError = 0;          // errno of a failed open, 0 otherwise
    int outputReadError = 0;    // for KeepsEditedOutput: errno when the output could not be read
    uint64_t sourceSize = 0;    // bytes in the source once it was opened
    WriteFailure writeFailure;  // why the output could not be written
    std::string earlierSource;  // for WouldReplaceEarlierOutput: the source that writes the output
    std::optional<FollowUpReport> followUp;  // set when a drawing hook's follow-up ran
};

// One file of a batch: the source it reads and the output it writes.
struct BatchFile {
    std::string source;
    std::string output;
};

// What a batch may do beyond the conversion itself.
struct BatchRules {
    // Replace an existing output even when it holds more than a conversion writes (a drawing
    // the user saved from the editor, with its library information) or cannot be read.
    bool replaceEdited = false;
    // Create the missing folders above each output before writing it.
    bool makeOutputFolders = false;
    // Read and decide everything, write nothing: a file that would be written is reported as
    // converted, with what it would hold.
    bool dryRun = false;
};

// The completion message shown once per batch: four lines separated by LF.
extern const char* const kCompletionMessage;

// The source path with its extension (from the last '.' of the final component) replaced by
// ".ce3", or ".ce3" appended when the final component has none.
std::string makeCe3Path(const std::string& source);

// Each source with its output beside it (makeCe3Path), as the dialog converts them.
std::vector<BatchFile> filesBesideSources(const std::vector<std::string>& sources);

// True when path ends in `extension` (given in lower case, with its dot) in any letter case.
bool hasExtension(const std::string& path, std::string_view extension);
// hasExtension(path, ".ce2"): the sources that a folder or a drop offers.
bool hasCe2Extension(const std::string& path);

// Points as shown to the user to the drawing's unit: atoi(text) * 96 / 72, saturated to 32 bits.
int pointsToUnits(const std::string& pointsText);

// Builds the options from the four font fields: faces as CP932 bytes, sizes as point texts.
ConversionOptions makeConversionOptions(const std::string& largeFace, const std::string& largeSize,
                                        const std::string& smallFace, const std::string& smallSize);

// What the file in hand is doing, for progress shown while a long file is converted, and what
// its `done` and `total` count.
enum class FileStage {
    Reading,     // the source: bytes read of its size
    Writing,     // the output: elements gone through of those read
    ReadingBack  // the output again, as the document checks it: elements read of those written
};

// Callbacks of a batch; each may be empty. They run one at a time on the thread that called
// convertFiles, whatever the number of files converted at once.
struct ConversionProgress {
    // Once for each file of the list, in list order, before its report: with one file at a time
    // just before the file is converted; with several, once every earlier report has been given
    // (the file may be under way already).
    std::function<void(std::size_t index)> fileStarting = {};
    // After each file, in list order: its report, the number of files done and the total.
    std::function<void(const FileReport& report, std::size_t done, std::size_t total)> fileDone =
        {};
    // While the file at `index` of the list is converted: when each stage starts (done 0), then
    // about every MiB read (kCe2ProgressBytes) and every kSaveProgressElements elements. With
    // several files at once, only the first file whose report has not been given is told of, and
    // only where it has got last: `index` is then always the number of reports given.
    std::function<void(std::size_t index, FileStage stage, uint64_t done, uint64_t total)>
        fileStage = {};
    // When set, read before each file is started, from whichever thread starts it: once true,
    // the files not started yet are left as they are (FileOutcome::Cancelled); those under way
    // are finished.
    const std::atomic<bool>* cancelled = nullptr;
};

// Sees each drawing that is about to be saved, as it was read (the save empties the document and
// reloads what it wrote), with the output path. It runs on the thread that converts the file, so
// it must be safe to run for different documents at once. The follow-up it returns (may be empty)
// runs once the file has been written, and only then; its report goes into the file's report.
using DrawingHook = std::function<FollowUp(const SchDocument& doc, const std::string& output)>;

// The most files a batch converts at once: each save may hold a named temporary file, and an
// interruption removes at most kRememberedTemporaryFiles of them.
constexpr std::size_t kMaxConversionJobs = kRememberedTemporaryFiles / 2;

// How many files a batch converts at once unless told: the number of processors, at least 1.
std::size_t defaultConversionJobs();

// Converts every file of the list and gives the reports in list order; a file is written only
// when more than one element was read. Before any file is written, the list is checked for
// sources that would write the same output (of those, only the first is converted, see
// findOutputCollisions), for sources that would overwrite themselves, and for existing outputs
// that are not to be replaced (see findKeptOutput). Running out of memory fails the file in hand
// only: its document is released, an existing output left as it was.
// Up to `jobs` files (at most kMaxConversionJobs) are converted at once, each on a thread of its
// own, with at most `jobs` files started beyond the first one not finished yet; the outputs are
// those of one file at a time. Two entries that read or write one file (the same source listed
// twice, or the same output) are converted one after the other, in list order. With `jobs` 1, or
// a single source, the files are converted one after the other on the calling thread.
std::vector<FileReport> convertFiles(const std::vector<BatchFile>& files,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress = {},
                                     const DrawingHook& drawingHook = {},
                                     std::size_t jobs = defaultConversionJobs(),
                                     const BatchRules& rules = {});
// The same for sources whose outputs lie beside them.
std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress = {},
                                     const DrawingHook& drawingHook = {},
                                     std::size_t jobs = defaultConversionJobs());

// For each file of the list, the index of an earlier file whose output it would replace, or
// nothing. Two files collide when their outputs are the same path, or two paths of one existing
// file, and the sources are different files; the same file listed twice (by one path or by two)
// is converted twice. A source that would overwrite itself writes nothing and collides with none.
// Outputs that differ only in letter case are different files unless the file system makes them
// one existing file.
std::vector<std::optional<std::size_t>> findOutputCollisions(const std::vector<BatchFile>& files);

// Whether the output of a file would overwrite its source, by path or as one existing file.
bool overwritesItsSource(const BatchFile& file);

// Why an existing output must be left alone.
struct KeptOutput {
    FileOutcome outcome = FileOutcome::KeepsEditedOutput;  // or CannotWrite
    int readError = 0;                                     // errno when it could not be read
    WriteFailure writeFailure;                             // for CannotWrite
};

// Whether the existing output of a file must be left alone, or nothing when it is missing, empty
// or holds only what a conversion writes. One that is not a regular file is never replaced; one
// that cannot be read or holds other records (the editor's library information) only with
// rules.replaceEdited.
std::optional<KeptOutput> findKeptOutput(const BatchFile& file, const BatchRules& rules);

// Reads a .ce2 source into doc as the conversion does. False when the file cannot be opened or is
// not a regular file (a FIFO or device never blocks), with the outcome and cause in report;
// otherwise report.elementsRead and report.reading say what was read. Progress, when given,
// hears of 0 bytes read when reading starts and then as readCe2File tells.
bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report, const Ce2Progress& progress = {});

// Whether path names a regular file that can be opened for reading, checked without blocking on a
// FIFO or device; when not, the outcome and cause are in report.
bool isReadableRegularFile(const std::string& path, FileReport& report);

// Whether a converted file holds less than its source: reading stopped early, or elements were
// left out as outside the sheet or as labels and comments without text.
bool convertedInPart(const FileReport& report);

// One line on what happened to a file: for a converted one the elements written and what was
// left out ("12 elements; 1 element outside the sheet left out; 2 empty texts left out"),
// otherwise the reason it was not converted ("fewer than two elements").
std::string describeOutcome(const FileReport& report);
