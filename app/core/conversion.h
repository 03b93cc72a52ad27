#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ce2/ce2_reader.h"
#include "ce3/converted_contents.h"
#include "kicad/kicad_schematic.h"
#include "platform/atomic_file.h"
#include "platform/interruption.h"

class RunPlan;
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
    WouldOverwriteRunFile,      // the output is another file the run reads (see clash)
    KeepsEditedOutput,  // the existing output holds more than a conversion writes, or is unreadable
    NotEnoughMemory,
    Cancelled  // the batch was cancelled before the file was started
};

// What a file is to a run (see RunPlan).
enum class RunFileRole { Source, Output, Svg, Kicad, Drawing, Settings, Report };

// Another file of the run that a file written by it would overwrite.
struct RunFileClash {
    RunFileRole role = RunFileRole::Source;
    std::string path;    // that file, as the run names it
    std::string source;  // for an output, SVG or KiCad file: the source it is written from
};

// What a drawing hook did with a converted file (see DrawingHook), or what became of its KiCad
// file.
struct DrawingReport {
    bool ok = true;
    std::string text;
    bool kept = false;        // not written: an existing file is kept, which replaceEdited replaces
    std::string counts = {};  // for a KiCad file written: what it holds (describeKicadCounts)
};

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
    ContentsCheck outputCheck;  // for KeepsEditedOutput: what in the output keeps it, and where
    uint64_t sourceSize = 0;    // bytes in the source once it was opened
    WriteFailure writeFailure;  // why the output could not be written
    std::string earlierSource;  // for WouldReplaceEarlierOutput: the source that writes the output
    RunFileClash clash;         // for WouldOverwriteRunFile
    std::optional<DrawingReport> drawing;  // set when a drawing hook ran
    std::optional<DrawingReport> kicad;    // set when the file has a KiCad file to write
};

// One file of a batch: the source it reads and the output it writes.
struct BatchFile {
    std::string source;
    std::string output;
    std::string svg = {};    // where its drawing goes when the run draws it; empty: not drawn
    std::string kicad = {};  // where its KiCad schematic goes; empty: not written
};

// What a batch may do beyond the conversion itself.
struct BatchRules {
    // Replace an existing output even when it holds more than a conversion writes (a drawing
    // the user saved from the editor, with its library information) or cannot be read.
    bool replaceEdited = false;
    // Create the missing folders above each output before writing it.
    bool makeOutputFolders = false;
    // Read and decide everything, write nothing: a file that would be written is reported as
    // converted, with what it would hold; one whose write would fail in a way that can be seen
    // beforehand (platform/write_check.h) as not written, with the cause.
    bool dryRun = false;
};

// What the file in hand is doing, for progress shown while a long file is converted, and what
// its `done` and `total` count.
enum class FileStage {
    Reading,  // the source: bytes read of its size
    Writing   // the output: elements gone through of those read
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

// Sees each drawing once its output has been written (in a dry run: once it is found that it
// could be), and only then, with the file of the batch: the document still holds every element
// read, those outside the sheet and empty texts included. Not called for a file whose SVG the
// run's plan refuses. It runs on the thread that converts the file, so it must be safe to run for
// different documents at once; what it returns goes into the file's report.
using DrawingHook = std::function<DrawingReport(const SchDocument& doc, const BatchFile& file)>;

// Makes the KiCad schematic of a drawing, to be written as the file `name` (its final path
// component); it runs as a DrawingHook does, for each file whose KiCad file the plan allows.
using KicadMaker = std::function<KicadSchematic(const SchDocument& doc, const std::string& name)>;

// What a batch makes of each converted drawing besides its output, each on its own: an SVG that
// fails leaves the KiCad file to be written, and the other way round. Each may be empty.
struct DrawingHooks {
    DrawingHook svg = {};   // writes file.svg
    KicadMaker kicad = {};  // the text of file.kicad, which the batch writes as the plan says
};

// The most files a batch converts at once: each save may hold a named temporary file, and an
// interruption removes at most kRememberedTemporaryFiles of them.
constexpr std::size_t kMaxConversionJobs = kRememberedTemporaryFiles / 2;

// How many files a batch converts at once unless told: the number of processors, at least 1.
std::size_t defaultConversionJobs();

// Converts every file of the plan's batch and gives the reports in list order; a file is written
// only when more than one element was read. What the plan refuses before anything is written is
// reported without reading the source; an existing output it keeps is reported once the source
// has been read; an output is looked at once more just before it is replaced, and kept when it
// changed meanwhile into something not to be replaced (RunPlan::mayReplaceOutput). Running out of
// memory fails the file in hand only: its document is released, an existing output left as it
// was. A report is given once its output is durable.
// Up to `jobs` files (at most kMaxConversionJobs) are converted at once, each on a thread of its
// own, with at most `jobs` files started beyond the first one not finished yet; the outputs are
// those of one file at a time. Two entries that read or write one file (the same source listed
// twice, or the same output) are converted one after the other, in list order. Where nothing but
// the outputs is made, the sync of an output's folder after its rename is then left to the
// calling thread, which makes it just before the file's report, while the threads go on: one
// sync serves every output renamed into that folder by then (FolderSyncs). With `jobs` 1, or a
// single source, the files are converted one after the other on the calling thread.
std::vector<FileReport> convertFiles(const RunPlan& plan, const ConversionOptions& options,
                                     const ConversionProgress& progress = {},
                                     const DrawingHooks& hooks = {},
                                     std::size_t jobs = defaultConversionJobs());
// The same for sources whose outputs lie beside them, in a run that reads `settings` (empty:
// none), under the default rules.
std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress = {},
                                     const DrawingHooks& hooks = {},
                                     std::size_t jobs = defaultConversionJobs(),
                                     const std::string& settings = {});

// Reads a .ce2 source into doc as the conversion does. False when the file cannot be opened or is
// not a regular file (a FIFO or device never blocks), with the outcome and cause in report;
// otherwise report.elementsRead and report.reading say what was read. Progress, when given,
// hears of 0 bytes read when reading starts and then as readCe2File tells.
bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report, const Ce2Progress& progress = {});

// Counts the live elements of doc into report as the document's save treats them: written, or left
// out as outside the sheet or as texts without text.
void countSheetElements(const SchDocument& doc, FileReport& report);

// Whether path names a regular file that can be opened for reading, checked without blocking on a
// FIFO or device; when not, the outcome and cause are in report.
bool isReadableRegularFile(const std::string& path, FileReport& report);
