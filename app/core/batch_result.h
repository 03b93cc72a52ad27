#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/dialog_messages.h"
#include "app/core/run_plan.h"

ResultGroup resultGroupOf(const FileReport& report);

// One file of the result as the dialogs list it.
struct ResultRow {
    std::size_t report;  // its index in BatchResult::reports(), that is in list order
    ResultGroup group;
    std::string text;  // the line the CLI gives for it (describeFileLine), UTF-8
};

// The name "Save report…" suggests, in the output folder or beside the first file.
inline constexpr char kSuggestedReportName[] = "morvex-report.csv";

// Which rows a view shows: every one (nothing), or one group's.
using ResultFilter = std::optional<ResultGroup>;

// A finished batch as the dialogs present it: the message on top (the summary, then the
// completion message when something was converted and the batch ran to its end), and below it
// every file's outcome, which the user can filter, copy and save as the CLI's CSV report.
class BatchResult {
  public:
    // `files` are the batch's files as it was planned (with the settings file it read), so that
    // a report saved later is checked against them as the CLI checks its --report.
    BatchResult(std::vector<FileReport> reports, RunFiles files);

    const std::vector<FileReport>& reports() const { return reports_; }
    const BatchTally& tally() const { return tally_; }
    BatchSeverity severity() const { return batchSeverity(tally_); }
    bool cancelled() const { return tally_.notStarted > 0; }
    // Whether anything needs a look: a file not converted whole, or the batch cancelled. When
    // not, message() is the completion message alone and the list tells nothing new.
    bool needsAttention() const;

    // The text above the list: batchSummary or cancelSummary, then the completion message
    // (kCompletionMessage) when a file was converted and the batch was not cancelled, apart by a
    // blank line.
    std::string message() const;

    std::size_t count(ResultGroup group) const;
    // The rows the filter keeps, failures first, each group in list order.
    std::vector<ResultRow> rows(ResultFilter filter = {}) const;
    // The message and then the rows the filter keeps, one per line, for the clipboard.
    std::string copiedText(ResultFilter filter = {}) const;

    // Writes every file's row to `path` as `morvex-cli --report` does, refused as it refuses a
    // report that would overwrite a file of the run or a file that is not a report of ours.
    // Empty when saved, else why not, naming the path (UTF-8, in the user's language).
    std::string saveReport(const std::string& path) const;

  private:
    std::vector<FileReport> reports_;
    RunFiles files_;
    BatchTally tally_;
    std::array<std::vector<std::size_t>, kResultGroups> groups_;  // report indices of each group
};
