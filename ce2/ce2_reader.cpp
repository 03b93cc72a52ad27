#include "ce2/ce2_reader.h"

#include <cstring>

#include "ce2/ce2_records.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/uninitialised_array.h"

// A block holds every record whole, so that the decoder always gets on.
static_assert(kCe2ReadBlockBytes > kCe2MaxRecordSize);

int readCe2File(FILE* stream, SchDocument& doc, const ConversionOptions& options,
                Ce2ReadReport* report, const Ce2Progress& progress) {
    Ce2Decoder decoder(doc, options, progress);
    const auto block = makeUninitialisedArray<unsigned char>(kCe2ReadBlockBytes);
    // Bytes at the block's start that the decoder has not used: the start of a record that the
    // last read cut, at most kCe2MaxRecordSize - 1 of them.
    std::size_t held = 0;
    while (!decoder.stopped()) {
        const std::size_t wanted = kCe2ReadBlockBytes - held;
        const std::size_t got = readBytesUnlocked(block.get() + held, wanted, stream);
        // A read of fewer bytes than asked for met the end of the stream or an error.
        Ce2Decoder::Ending ending = Ce2Decoder::Ending::More;
        if (got < wanted) {
            ending =
                std::ferror(stream) ? Ce2Decoder::Ending::ReadError : Ce2Decoder::Ending::EndOfFile;
        }
        const std::size_t filled = held + got;
        const std::size_t used = decoder.decode(block.get(), filled, ending);
        held = filled - used;
        if (decoder.stopped()) {
            break;
        }
        std::memmove(block.get(), block.get() + used, held);
    }
    if (held > 0) {
        // Back to where the reading stopped, for a stream that can seek.
        std::fseek(stream, -static_cast<long>(held), SEEK_CUR);
    }
    if (report != nullptr) {
        *report = decoder.report();
    }
    return decoder.count();
}

int readCe2Bytes(std::string_view bytes, SchDocument& doc, const ConversionOptions& options,
                 Ce2ReadReport* report, const Ce2Progress& progress) {
    Ce2Decoder decoder(doc, options, progress);
    decoder.decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                   Ce2Decoder::Ending::EndOfFile);
    if (report != nullptr) {
        *report = decoder.report();
    }
    return decoder.count();
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
