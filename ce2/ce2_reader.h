#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/element.h"
#include "model/element_arena.h"

class SchDocument;
class SchSheetInfo;

// The replacement fonts that comments receive; sizes in the unit of the comment's font size.
struct ConversionOptions {
    std::string largeFontName;
    int largeFontSize = 16;
    std::string smallFontName;
    int smallFontSize = 10;
};

// Why readCe2File stopped.
enum class Ce2Stop {
    EndOfFile,         // no further type byte: the whole file was read
    UnknownType,       // a type byte not in the record table
    CutRecord,         // a record body ended before its full length
    BadMagic,          // a header whose magic bytes differ
    BadCommentLength,  // a comment whose length lies outside 14..77
    ReadError          // the stream reported an error instead of the next byte
};

struct Ce2ReadReport {
    Ce2Stop stop = Ce2Stop::EndOfFile;
    // Byte offset, from where reading began, of the type byte of the record that stopped the
    // reading; at the end of the file, the number of bytes read.
    long offset = 0;
    int type = -1;          // that record's type byte, -1 at the end of the file
    int commentLength = 0;  // the rejected length L for BadCommentLength
};

// Told how many bytes reading has consumed so far.
using Ce2Progress = std::function<void(uint64_t bytesRead)>;
// How often: about once per this many bytes.
inline constexpr long kCe2ProgressBytes = 1L << 20;

// Bytes that readCe2File asks the stream for at once: a large drawing takes few read calls, and
// a block stays in the processor's caches while it is decoded.
inline constexpr std::size_t kCe2ReadBlockBytes = std::size_t{1} << 16;

// Reads records from the stream's current position until a stop condition, appends every
// element to doc and returns how many were appended. When report is not null it learns why
// and where reading stopped; progress, when given, hears about every kCe2ProgressBytes. The
// stream is read in blocks; on a stream that can seek, the position afterwards is the one a
// reader taking the records one by one would leave: after the type byte of an unknown record,
// after the fixed part of a rejected header or comment.
int readCe2File(FILE* stream, SchDocument& doc, const ConversionOptions& options,
                Ce2ReadReport* report = nullptr, const Ce2Progress& progress = {});

// The same for the bytes of a whole file held in memory: the same elements and report as for a
// file of those bytes.
int readCe2Bytes(std::string_view bytes, SchDocument& doc, const ConversionOptions& options,
                 Ce2ReadReport* report = nullptr, const Ce2Progress& progress = {});

// One reader per record kind, each called after the type byte: a new element, built in arena when
// one is given (it must then outlive the element), or null when the body cannot be read in full
// or is rejected.
SchElementPtr readCe2Junction(FILE* stream, SchElementArena* arena = nullptr);
SchElementPtr readCe2Entry(FILE* stream, SchElementArena* arena = nullptr);
SchElementPtr readCe2Line(FILE* stream, int type, SchElementArena* arena = nullptr);
SchElementPtr readCe2Label(FILE* stream, SchElementArena* arena = nullptr);
SchElementPtr readCe2Tag(FILE* stream, SchElementArena* arena = nullptr);
SchElementPtr readCe2Component(FILE* stream, SchElementArena* arena = nullptr);
SchElementPtr readCe2Comment(FILE* stream, const ConversionOptions& options,
                             SchElementArena* arena = nullptr);
std::unique_ptr<SchSheetInfo> readCe2Header(FILE* stream);

// Text of a stop reason for reports, in English, e.g. "unknown record type 7".
std::string describeCe2Stop(const Ce2ReadReport& report);
