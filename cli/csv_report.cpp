#include "cli/csv_report.h"
#include "app/core/conversion_text.h"

#include <cstdio>

namespace {

// A field as RFC 4180 writes it: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line end.
std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

}  // namespace

bool CsvReport::open() {
    if (!file_.open()) {
        return false;
    }
    std::fputs("\xEF\xBB\xBF", file_.stream());
    row({"source", "output", "outcome", "elements written", "left out", "stopped at byte",
         "reason"});
    return true;
}

void CsvReport::add(const FileReport& report, bool dryRun) {
    const bool converted = report.outcome == FileOutcome::Converted;
    std::string outcome = "not converted";
    if (converted) {
        outcome = dryRun ? "would be converted" : "converted";
        outcome += convertedInPart(report) ? " in part" : "";
    }
    const bool stopped = report.reading.stop != Ce2Stop::EndOfFile;
    row({report.source, report.output, outcome,
         converted ? std::to_string(report.elementsWritten) : std::string(),
         converted ? std::to_string(report.elementsOutside + report.emptyTexts) : std::string(),
         stopped ? std::to_string(report.reading.offset) : std::string(),
         converted ? (stopped ? describeCe2Stop(report.reading) : std::string())
                   : describeOutcome(report)});
}

void CsvReport::addProblem(const std::string& path, const std::string& reason) {
    row({path, "", "not converted", "", "", "", reason});
}

void CsvReport::row(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (&field != fields.begin()) {
            line += ',';
        }
        line += quoted(field);
    }
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), file_.stream());
}
