#include "ce2/ce2_reader.h"

#include <climits>
#include <utility>

#include "ce2/ce2_records.h"
#include "model/document.h"
#include "model/sheet_info.h"
#include "platform/files.h"
#include "platform/text.h"

int readCe2File(FILE* stream, SchDocument& doc, const ConversionOptions& options,
                Ce2ReadReport* report, const Ce2Progress& progress) {
    Ce2ReadReport local;
    Ce2ReadReport& out = report ? *report : local;
    int count = 0;
    // Bytes consumed so far, counted here since the stream need not be seekable.
    long offset = 0;
    // One comparison per record, also without progress.
    long nextProgress = progress ? kCe2ProgressBytes : LONG_MAX;
    for (;;) {
        if (offset >= nextProgress) {
            progress(static_cast<uint64_t>(offset));
            nextProgress = offset + kCe2ProgressBytes;
        }
        const int type = getByteUnlocked(stream);
        // A read error ends the reading as the end of the file does, but is reported as such.
        if (type == EOF) {
            const Ce2Stop stop = std::ferror(stream) ? Ce2Stop::ReadError : Ce2Stop::EndOfFile;
            out = Ce2ReadReport{stop, offset, -1, 0};
            return count;
        }
        const Ce2RecordType* recordType = findCe2RecordType(type);
        if (recordType == nullptr) {
            out = Ce2ReadReport{Ce2Stop::UnknownType, offset, type, 0};
            return count;
        }
        Ce2Record r = recordType->read(stream, options, &doc.elementArena());
        if (!r.element && !r.header) {
            if (r.failure == Ce2Stop::CutRecord && std::ferror(stream)) {
                r.failure = Ce2Stop::ReadError;
            }
            const bool badLength = r.failure == Ce2Stop::BadCommentLength;
            out = Ce2ReadReport{r.failure, offset, type, badLength ? r.commentLength : 0};
            return count;
        }
        offset += static_cast<long>(1 + recordType->bodySize + r.extraBytes);
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

namespace {

std::string stopReason(const Ce2ReadReport& report) {
    switch (report.stop) {
        case Ce2Stop::EndOfFile:
            break;
        case Ce2Stop::UnknownType:
            return formatted(translated("unknown record type %d"), report.type);
        case Ce2Stop::CutRecord:
            return formatted(translated("record of type %d cut short"), report.type);
        case Ce2Stop::BadMagic:
            return translated("header with a wrong magic");
        case Ce2Stop::BadCommentLength:
            return formatted(translated("comment length %d outside %d..%d"), report.commentLength,
                             kCe2MinCommentLength, kCe2MaxCommentLength);
        case Ce2Stop::ReadError:
            return translated("read error");
    }
    return translated("unknown reason");
}

}  // namespace

std::string describeCe2Stop(const Ce2ReadReport& report) {
    if (report.stop == Ce2Stop::EndOfFile) {
        return translated("read to the end");
    }
    return formatted(translated("reading stopped at byte %ld: %s"), report.offset,
                     stopReason(report).c_str());
}
