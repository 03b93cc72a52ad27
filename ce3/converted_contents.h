#pragma once

#include <cstdint>
#include <string_view>

// What an existing CE3 file holds, as far as a conversion may replace it: only what a conversion
// writes, or the first thing that a conversion does not write there.
enum class ContentsFinding {
    Converted,         // the magic lines around one sheet information record and element records
    EditorRecord,      // a record a conversion does not write (the editor's library information)
    UnknownField,      // in a record a conversion writes: a field it does not write, or one twice
    MissingField,      // a record without one of its fields, or without its closing token
    MisorderedField,   // a record whose fields come in another order
    UnwrittenValue,    // a value in another form than a conversion writes it
    SecondSheetInfo,   // a sheet information record after the first
    NoSheetInfo,       // a first record, or the closing line, where the sheet information belongs
    AfterClosingLine,  // anything but blanks after the closing line
    NotCe3,            // a first token other than the magic line
    CutShort,          // the end of the file before the closing line
    NulBytes,          // a NUL byte anywhere, as where a file lost what was written last
    ByteOrderMark,     // a UTF-8 byte order mark before the magic line
    BrokenEscape,      // a percent sign with a line end or comma among the two bytes after it
    ReadError,         // the file could not be read whole: ContentsCheck::error says why
};

struct ContentsCheck {
    ContentsFinding finding = ContentsFinding::Converted;
    int32_t line = 0;  // 1-based, where it was found; for CutShort the last line holding a byte
    int error = 0;     // errno for ReadError
};

// Goes once through a CE3 text held whole in memory, up to its end or up to the first thing a
// conversion does not write. Tokens are cut and decoded as Ce3Reader cuts them, so blanks before a
// token, the kind of line end and needless escapes make no difference; the records, their fields
// in order and the form of each value do. A `readError` other than 0 says that the file could be
// read only as far as `bytes` go: whatever needs more of it is found a ReadError with that error.
ContentsCheck checkConvertedContents(std::string_view bytes, int readError = 0);
