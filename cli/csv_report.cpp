#include "cli/csv_report.h"
#include "app/core/conversion_text.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "platform/files.h"
#include "platform/text.h"

namespace {

// The byte order mark and the header row that every report begins with: an existing file is
// replaced only when it begins so.
constexpr std::string_view kHeader =
    "\xEF\xBB\xBFsource,output,outcome,elements written,left out,stopped at byte,reason\r\n";

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
    std::string start(kHeader.size(), '\0');
    start.resize(std::fread(start.data(), 1, start.size(), existing.stream.get()));
    if (start != kHeader) {
        return formatted(translated("%s exists and is not a MORVEX report"), path.c_str());
    }
    return {};
}

bool CsvReport::open() {
    if (!file_.open()) {
        return false;
    }
    std::fwrite(kHeader.data(), 1, kHeader.size(), file_.stream());
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

void CsvReport::addDrawing(const std::string& path, const std::string& svg, bool drawn,
                           const std::string& text, bool dryRun) {
    row({path, svg, drawn ? (dryRun ? "would be drawn" : "drawn") : "not drawn", "", "", "",
         drawn ? std::string() : text});
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
