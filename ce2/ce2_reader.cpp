#include "ce2/ce2_reader.h"

#include <utility>

#include "ce2/ce2_records.h"
#include "ce3/document.h"
#include "model/sheet_info.h"

namespace {

// One record after its type byte: an element, a header's sheet information, or why neither.
struct Ce2Record {
    std::unique_ptr<SchElement> element;
    std::unique_ptr<SchSheetInfo> header;
    Ce2Stop failure = Ce2Stop::CutRecord;
    long bodySize = 0;  // bytes after the type byte, when read in full
    int commentLength = 0;
};

Ce2Record readRecord(FILE* stream, int type, const ConversionOptions& options) {
    Ce2Record r;
    switch (type) {
        case 0:
            r.element = readCe2Junction(stream);
            r.bodySize = kCe2PointBody;
            break;
        case 1:
            r.element = readCe2Entry(stream);
            r.bodySize = kCe2PointBody;
            break;
        case 2:
        case 3:
        case 4:
            r.element = readCe2Line(stream, type);
            r.bodySize = kCe2LineBody;
            break;
        case 5:
            r.element = readCe2Label(stream);
            r.bodySize = kCe2TextBody;
            break;
        case 6:
            r.element = readCe2Tag(stream);
            r.bodySize = kCe2TextBody;
            break;
        case 8:
            r.element = readCe2Component(stream);
            r.bodySize = kCe2ComponentBody;
            break;
        case 9:
            r.header = readCe2HeaderChecked(stream, r.failure);
            r.bodySize = kCe2HeaderBody;
            break;
        case 16:
            r.element = readCe2CommentChecked(stream, options, r.failure, r.commentLength);
            r.bodySize = r.commentLength - 1;
            break;
        default:
            r.failure = Ce2Stop::UnknownType;
            break;
    }
    return r;
}

}  // namespace

int readCe2File(FILE* stream, SchDocument& doc, const ConversionOptions& options,
                Ce2ReadReport* report) {
    Ce2ReadReport local;
    Ce2ReadReport& out = report ? *report : local;
    int count = 0;
    // Bytes consumed so far, counted here since the stream need not be seekable.
    long offset = 0;
    for (;;) {
        const int type = getc_unlocked(stream);
        // A read error ends the reading as the end of the file does, but is reported as such.
        if (type == EOF) {
            const Ce2Stop stop = std::ferror(stream) ? Ce2Stop::ReadError : Ce2Stop::EndOfFile;
            out = Ce2ReadReport{stop, offset, -1, 0};
            return count;
        }
        Ce2Record r = readRecord(stream, type, options);
        if (!r.element && !r.header) {
            if (r.failure == Ce2Stop::CutRecord && std::ferror(stream)) {
                r.failure = Ce2Stop::ReadError;
            }
            const bool badLength = r.failure == Ce2Stop::BadCommentLength;
            out = Ce2ReadReport{r.failure, offset, type, badLength ? r.commentLength : 0};
            return count;
        }
        offset += 1 + r.bodySize;
        if (r.header) {
            // Only headers before the first element size the sheet.
            if (count == 0) {
                doc.setSheetSize(r.header->p1);
            }
            continue;
        }
        doc.append(std::move(r.element));
        ++count;
    }
}

std::string describeCe2Stop(const Ce2ReadReport& report) {
    const std::string at = "reading stopped at byte " + std::to_string(report.offset) + ": ";
    switch (report.stop) {
        case Ce2Stop::EndOfFile:
            return "read to the end";
        case Ce2Stop::UnknownType:
            return at + "unknown record type " + std::to_string(report.type);
        case Ce2Stop::CutRecord:
            return at + "record of type " + std::to_string(report.type) + " cut short";
        case Ce2Stop::BadMagic:
            return at + "header with a wrong magic";
        case Ce2Stop::BadCommentLength:
            return at + "comment length " + std::to_string(report.commentLength) + " outside " +
                   std::to_string(kCe2MinCommentLength) + ".." +
                   std::to_string(kCe2MaxCommentLength);
        case Ce2Stop::ReadError:
            return at + "read error";
    }
    return at + "unknown reason";
}
