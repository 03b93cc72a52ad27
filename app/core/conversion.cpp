#include "app/core/conversion.h"

#include <cstdio>
#include <vector>

#include "ce3/document.h"
#include "platform/read_file.h"
#include "platform/same_file.h"

namespace {

constexpr std::size_t kSourceBufferBytes = std::size_t{1} << 16;

// Splits the live elements as the document's save does: written or left out.
void countSheetElements(const SchDocument& doc, FileReport& report) {
    for (const auto& e : doc.elements) {
        if (!e || e->link != nullptr) {
            continue;
        }
        if (doc.meetsSheet(*e)) {
            ++report.elementsWritten;
        } else {
            ++report.elementsOutside;
        }
    }
}

FileReport convertFile(const std::string& source, const ConversionOptions& options) {
    FileReport report;
    report.source = source;
    report.output = makeCe3Path(source);
    if (report.output == source || sameExistingFile(source, report.output)) {
        report.outcome = FileOutcome::WouldOverwriteSource;
        return report;
    }
    SchDocument doc;
    {
        // A large buffer, so that a big drawing takes few read calls. It is freed here, while
        // the document holds its elements: freed after them, it would make the allocator sweep
        // every one of them.
        std::vector<char> buffer(kSourceBufferBytes);
        const RegularFile file = openRegularFile(source);
        if (file.notRegular) {
            report.outcome = FileOutcome::NotRegularFile;
            return report;
        }
        if (!file.stream) {
            report.outcome = FileOutcome::CannotOpen;
            report.openError = file.error;
            return report;
        }
        std::setvbuf(file.stream.get(), buffer.data(), _IOFBF, buffer.size());
        report.elementsRead = readCe2File(file.stream.get(), doc, options, &report.reading);
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return report;
    }
    countSheetElements(doc, report);
    report.outcome =
        doc.save(report.output.c_str()) == 0 ? FileOutcome::Converted : FileOutcome::CannotWrite;
    return report;
}

}  // namespace

std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress) {
    std::vector<FileReport> reports;
    reports.reserve(sources.size());
    for (const std::string& source : sources) {
        reports.push_back(convertFile(source, options));
        if (progress) {
            progress(reports.size(), sources.size());
        }
    }
    return reports;
}
