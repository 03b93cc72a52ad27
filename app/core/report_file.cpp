#include "app/core/report_file.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "app/core/run_plan.h"
#include "platform/files.h"
#include "platform/text.h"

std::string CsvReport::replacedFileProblem() const {
    const std::string& path = path_;
    const RegularFile existing = openRegularFile(path);
    if (existing.notRegular || existing.error == ENOENT) {
        return {};  // nothing to lose, or the write will say why it cannot be made
    }
    if (!existing.stream) {
        return formatted(translated("%s cannot be read to check it: %s"), path.c_str(),
                         systemErrorText(existing.error).c_str());
    }
    std::string start(kCsvHeader.size(), '\0');
    start.resize(std::fread(start.data(), 1, start.size(), existing.stream.get()));
    if (start != kCsvHeader) {
        return formatted(translated("%s exists and is not a MORVEX report"), path.c_str());
    }
    return {};
}

bool CsvReport::open() {
    if (!file_.open()) {
        return false;
    }
    std::fwrite(kCsvHeader.data(), 1, kCsvHeader.size(), file_.stream());
    return true;
}

void CsvReport::add(const FileReport& report, bool dryRun) {
    write(csvFileRow(report, dryRun));
}

void CsvReport::addProblem(const std::string& path, const std::string& reason) {
    write(csvProblemRow(path, reason));
}

void CsvReport::addDrawing(const std::string& path, const std::string& svg, bool drawn,
                           const std::string& text, bool dryRun) {
    write(csvDrawingRow(path, svg, drawn, text, dryRun));
}

void CsvReport::addKicad(const std::string& path, const std::string& kicad,
                         const DrawingReport& done, bool dryRun) {
    write(csvKicadRow(path, kicad, done, dryRun));
}

void CsvReport::write(const std::string& row) {
    std::fwrite(row.data(), 1, row.size(), file_.stream());
}

std::string openPlannedReport(const RunPlan& plan, std::optional<CsvReport>& report) {
    const std::string& path = plan.files().report;
    if (!plan.reportProblem().empty()) {
        return path + ": " + plan.reportProblem();
    }
    report.emplace(path);
    if (std::string problem = report->replacedFileProblem(); !problem.empty()) {
        report.reset();
        return problem;
    }
    if (!report->open()) {
        const std::string cause = describeWriteFailure(report->failure());
        report.reset();
        return path + ": " + formatted(translated("cannot be written: %s"), cause.c_str());
    }
    return {};
}
