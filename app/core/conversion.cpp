#include "app/core/conversion.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "ce3/document.h"
#include "platform/read_file.h"
#include "platform/same_file.h"

namespace {

constexpr std::size_t kSourceBufferBytes = std::size_t{1} << 16;

// Opens a regular file for binary reading; when it cannot, the outcome and cause go into report.
FilePtr openSource(const std::string& path, FileReport& report) {
    RegularFile file = openRegularFile(path);
    if (file.notRegular) {
        report.outcome = FileOutcome::NotRegularFile;
    } else if (!file.stream) {
        report.outcome = FileOutcome::CannotOpen;
        report.openError = file.error;
    }
    return std::move(file.stream);
}

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

FileReport convertFile(const std::string& source, const ConversionOptions& options,
                       const DrawingHook& drawingHook) {
    FileReport report;
    report.source = source;
    report.output = makeCe3Path(source);
    if (report.output == source || sameExistingFile(source, report.output)) {
        report.outcome = FileOutcome::WouldOverwriteSource;
        return report;
    }
    SchDocument doc;
    if (!readCe2Source(source, options, doc, report)) {
        return report;
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return report;
    }
    countSheetElements(doc, report);
    const FollowUp followUp = drawingHook ? drawingHook(doc, report.output) : FollowUp();
    report.outcome =
        doc.save(report.output.c_str()) == 0 ? FileOutcome::Converted : FileOutcome::CannotWrite;
    if (report.outcome == FileOutcome::Converted && followUp) {
        report.followUp = followUp();
    }
    return report;
}

}  // namespace

bool readCe2Source(const std::string& source, const ConversionOptions& options, SchDocument& doc,
                   FileReport& report) {
    // A large buffer, so that a big drawing takes few read calls. It is freed here, while the
    // document holds its elements: freed after them, it would make the allocator sweep every one
    // of them.
    std::vector<char> buffer(kSourceBufferBytes);
    const FilePtr stream = openSource(source, report);
    if (!stream) {
        return false;
    }
    std::setvbuf(stream.get(), buffer.data(), _IOFBF, buffer.size());
    report.elementsRead = readCe2File(stream.get(), doc, options, &report.reading);
    return true;
}

bool isReadableRegularFile(const std::string& path, FileReport& report) {
    return openSource(path, report) != nullptr;
}

std::vector<FileReport> convertFiles(const std::vector<std::string>& sources,
                                     const ConversionOptions& options,
                                     const ConversionProgress& progress,
                                     const DrawingHook& drawingHook) {
    std::vector<FileReport> reports;
    reports.reserve(sources.size());
    for (const std::string& source : sources) {
        reports.push_back(convertFile(source, options, drawingHook));
        if (progress) {
            progress(reports.size(), sources.size());
        }
    }
    return reports;
}
