#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "ce2/ce2_reader.h"
#include "model/sheet_info.h"

class SchDocument;

// Record type bytes.
struct Ce2Type {
    static constexpr int Junction = 0;
    static constexpr int Entry = 1;
    static constexpr int Bus = 2;
    static constexpr int Wire = 3;
    static constexpr int Dash = 4;
    static constexpr int Label = 5;
    static constexpr int Tag = 6;
    static constexpr int Component = 8;
    static constexpr int Header = 9;
    static constexpr int Comment = 16;
};

// Body sizes of the fixed-size records, in bytes after the type byte; no record is longer than
// kCe2MaxRecordSize bytes with its type byte.
inline constexpr std::size_t kCe2PointBody = 5;       // junction, entry
inline constexpr std::size_t kCe2LineBody = 9;        // bus, wire, dashed line
inline constexpr std::size_t kCe2TextBody = 17;       // label, tag
inline constexpr std::size_t kCe2ComponentBody = 59;  // component
inline constexpr std::size_t kCe2HeaderBody = 59;     // header
inline constexpr std::size_t kCe2CommentFixed = 11;   // comment, before its variable part

// A comment's record length L counts the type byte, the fixed and the variable part.
inline constexpr int kCe2MinCommentLength = 14;
inline constexpr int kCe2MaxCommentLength = 77;
inline constexpr std::size_t kCe2MaxRecordSize = kCe2MaxCommentLength;

// What reading one record after its type byte gave: an element, a header's sheet information,
// or why neither.
struct Ce2Record {
    SchElementPtr element;
    std::unique_ptr<SchSheetInfo> header;
    Ce2Stop failure = Ce2Stop::CutRecord;
    int commentLength = 0;       // a comment's record length L once its fixed part was read
    std::size_t extraBytes = 0;  // bytes read beyond the body size of the record type
};

// A record type: its type byte, the size of its body after the type byte (for a comment the
// fixed part, which holds the length of the whole) and the reader of that body, which builds the
// element in the arena when one is given.
struct Ce2RecordType {
    int type;
    std::size_t bodySize;
    Ce2Record (*read)(FILE* stream, const ConversionOptions& options, SchElementArena* arena);
};

// The record type of a type byte; null when the byte names none.
const Ce2RecordType* findCe2RecordType(int type);

// Decodes a drawing's records from bytes in memory, which may arrive in pieces, appending every
// element to a document as readCe2File does: the one decoder of both a file and bytes held in
// memory. Elements are built in the document's arena.
class Ce2Decoder {
  public:
    Ce2Decoder(SchDocument& doc, const ConversionOptions& options, const Ce2Progress& progress);

    // How the bytes given to decode end: more may follow, or none does because the source ended
    // or reported an error.
    enum class Ending { More, EndOfFile, ReadError };

    // Decodes the records that lie whole at the start of `bytes` and returns how many bytes it
    // has used. With Ending::More it stops before a record that the bytes hold only in part, for
    // the caller to hand that record's bytes again with what follows them. Otherwise, or at a
    // fault, decoding stops for good: the bytes used then include what a reader taking the
    // records one at a time would have taken of the record that stopped it.
    std::size_t decode(const unsigned char* bytes, std::size_t size, Ending ending);

    bool stopped() const { return stopped_; }
    // Why and where decoding stopped, once it has.
    const Ce2ReadReport& report() const { return report_; }
    // The elements appended so far.
    int count() const { return count_; }

  private:
    void stop(Ce2Stop why, int type, int commentLength = 0);

    SchDocument& doc_;
    const ConversionOptions& options_;
    const Ce2Progress& progress_;
    long offset_ = 0;  // of the next record, from where decoding began
    long nextProgress_;
    int count_ = 0;
    bool stopped_ = false;
    Ce2ReadReport report_;
};
