#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/core/conversion.h"
#include "ce3/converted_contents.h"
#include "platform/atomic_file.h"

// Why an existing output must be left alone.
struct KeptOutput {
    FileOutcome outcome = FileOutcome::KeepsEditedOutput;  // or CannotWrite
    int readError = 0;                                     // errno when it could not be read
    ContentsCheck contents;                                // what it holds, once read
    WriteFailure writeFailure;                             // for CannotWrite
};

// Whether the existing output of a file must be left alone, or nothing when it is missing, empty
// or holds only what a conversion writes. One that is not a regular file is never replaced; one
// that cannot be read or holds anything else (the editor's library information, a field or value
// a conversion does not write, NUL bytes, the end of a file cut short) only with
// rules.replaceEdited.
std::optional<KeptOutput> findKeptOutput(const BatchFile& file, const BatchRules& rules);

// What findKeptOutput tells without reading the output: `kept` when it is no regular file; or
// `contentsDecide` when it is a regular file that checkEarlierOutput must read to tell.
struct EarlierOutput {
    std::optional<KeptOutput> kept;
    bool contentsDecide = false;
};
EarlierOutput lookAtEarlierOutput(const BatchFile& file, const BatchRules& rules);

// Why the existing regular file at `output` must be left alone, from what it holds: nothing when
// it is empty or holds only what a conversion writes.
std::optional<KeptOutput> checkEarlierOutput(const std::string& output);

// Sets the outcome of a file whose output is kept, and why, in its report.
void reportKeptOutput(const KeptOutput& kept, FileReport& report);

// How every KiCad schematic that MORVEX writes begins: an existing file that does not is kept.
constexpr std::string_view kKicadWrittenStart = "(kicad_sch (version 20211123) (generator morvex)";

// Why the existing file at the KiCad path `kicad` must be left alone (not ok, kept): it does not
// begin as MORVEX writes one, or cannot be read to tell. Nothing when it is missing, empty, begins
// so, is no regular file (the write says why it cannot be made), or rules.replaceEdited.
std::optional<DrawingReport> findKeptKicad(const std::string& kicad, const BatchRules& rules);
