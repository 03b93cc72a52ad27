#include "app/core/batch_result.h"

#include <optional>

#include "app/core/conversion_text.h"
#include "app/core/report_file.h"
#include "platform/text.h"

ResultGroup resultGroupOf(const FileReport& report) {
    if (report.outcome == FileOutcome::Cancelled) {
        return ResultGroup::NotStarted;
    }
    if (report.outcome != FileOutcome::Converted) {
        return ResultGroup::NotConverted;
    }
    return convertedInPart(report) ? ResultGroup::InPart : ResultGroup::Whole;
}

BatchResult::BatchResult(std::vector<FileReport> reports, RunFiles files)
    : reports_(std::move(reports)), files_(std::move(files)), tally_(tallyBatch(reports_)) {
    for (std::size_t i = 0; i < reports_.size(); ++i) {
        groups_[static_cast<std::size_t>(resultGroupOf(reports_[i]))].push_back(i);
    }
}

bool BatchResult::needsAttention() const {
    return tally_.inPart + tally_.notConverted + tally_.notStarted > 0;
}

std::string BatchResult::message() const {
    std::string text = cancelled() ? cancelSummary(tally_) : batchSummary(tally_);
    if (!cancelled() && tally_.whole + tally_.inPart > 0) {
        text += (text.empty() ? "" : "\n\n") + std::string(kCompletionMessage);
    }
    return text;
}

std::size_t BatchResult::count(ResultGroup group) const {
    return groups_[static_cast<std::size_t>(group)].size();
}

std::vector<ResultRow> BatchResult::rows(ResultFilter filter) const {
    std::vector<ResultRow> rows;
    for (std::size_t g = 0; g < kResultGroups; ++g) {
        const auto group = static_cast<ResultGroup>(g);
        if (filter && *filter != group) {
            continue;
        }
        for (const std::size_t i : groups_[g]) {
            rows.push_back({i, group, describeFileLine(reports_[i])});
        }
    }
    return rows;
}

std::string BatchResult::copiedText(ResultFilter filter) const {
    std::string text = message();
    if (!text.empty()) {
        text += "\n\n";
    }
    for (const ResultRow& row : rows(filter)) {
        text += row.text + "\n";
    }
    return text;
}

std::string BatchResult::saveReport(const std::string& path) const {
    RunFiles files{files_.batch, {}, files_.settings, path};
    const RunPlan plan(std::move(files), BatchRules{});
    std::optional<CsvReport> report;
    if (std::string problem = openPlannedReport(plan, report); !problem.empty()) {
        return problem;
    }
    for (const FileReport& file : reports_) {
        report->add(file, false);
    }
    if (!report->commit()) {
        return path + ": " +
               formatted(translated("cannot be written: %s"),
                         describeWriteFailure(report->failure()).c_str());
    }
    return {};
}
