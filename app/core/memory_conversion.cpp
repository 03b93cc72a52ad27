#include "app/core/memory_conversion.h"

#include <new>

#include "app/core/conversion_inputs.h"
#include "ce3/ce3_writer.h"
#include "ce3/converted_contents.h"
#include "model/document.h"
#include "platform/memory_stream.h"
#include "platform/text.h"

namespace {

// What an existing output holds that keeps it (ContentsFinding::Converted when nothing does: it is
// empty or holds only what a conversion writes). Throws std::bad_alloc when no stream can be
// opened over it.
ContentsCheck checkExistingOutput(std::string_view existing) {
    if (existing.empty()) {
        return {};
    }
    const FilePtr stream = openMemoryStream(existing);
    if (!stream) {
        throw std::bad_alloc();
    }
    return checkConvertedContents(stream.get());
}

// Reads, writes and draws into `converted`; may throw std::bad_alloc, with what was done in it.
void convertBytesInto(MemoryConversion& converted, std::string_view ce2,
                      const ConversionOptions& options, const DocumentDrawer& drawer,
                      std::optional<std::string_view> existingOutput) {
    FileReport& report = converted.report;
    SchDocument doc;
    report.sourceSize = ce2.size();
    // An empty drawing is not read: it holds no element, as an empty file does (and some systems
    // refuse a stream over no bytes).
    if (!ce2.empty()) {
        const FilePtr stream = openMemoryStream(ce2);
        if (!stream) {  // a read stream over bytes fails only for want of memory
            report.outcome = FileOutcome::NotEnoughMemory;
            return;
        }
        report.elementsRead = readCe2File(stream.get(), doc, options, &report.reading);
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return;
    }
    countSheetElements(doc, report);
    if (existingOutput) {
        report.outputCheck = checkExistingOutput(*existingOutput);
        if (report.outputCheck.finding != ContentsFinding::Converted) {
            report.outcome = FileOutcome::KeepsEditedOutput;
            return;
        }
    }
    {
        Ce3Writer writer(&converted.ce3);
        doc.writeFile(writer);
    }
    report.outcome = FileOutcome::Converted;
    if (drawer) {
        try {
            converted.svg = drawer(doc);
            report.drawing = DrawingReport{};
        } catch (const std::bad_alloc&) {
            converted.svg.clear();
            report.drawing = DrawingReport{false, translated("not enough memory")};
        }
    }
}

}  // namespace

MemoryConversion convertCe2Bytes(std::string_view ce2, const std::string& name,
                                 const ConversionOptions& options, const DocumentDrawer& drawer,
                                 std::optional<std::string_view> existingOutput) {
    MemoryConversion converted;
    converted.report.source = name;
    converted.report.output = makeCe3Path(name);
    try {
        convertBytesInto(converted, ce2, options, drawer, existingOutput);
    } catch (const std::bad_alloc&) {
        // The document and what was read are freed by now; the partial output is dropped.
        converted.ce3 = std::string();
        converted.report.outcome = FileOutcome::NotEnoughMemory;
    }
    return converted;
}
