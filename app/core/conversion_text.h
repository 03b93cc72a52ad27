#pragma once

#include <string>

#include "app/core/conversion.h"

// The completion message shown once per batch: four lines separated by LF.
extern const char* const kCompletionMessage;

// Whether a converted file holds less than its source: reading stopped early, or elements were
// left out as outside the sheet or as labels and comments without text.
bool convertedInPart(const FileReport& report);

// Whether replacing the kept output of a file (--overwrite) would convert it: not when the
// output could not be read because another program holds it, which holds back its replacement too.
bool replacingKeptOutputHelps(const FileReport& report);

// One line on what happened to a file: for a converted one the elements written and what was
// left out ("12 elements; 1 element outside the sheet left out; 2 empty texts left out"),
// otherwise the reason it was not converted ("fewer than two elements").
std::string describeOutcome(const FileReport& report);

// "x.svg cannot be written: Is a directory", or without a cause when none is known.
std::string describeFileWriteFailure(const std::string& path, const WriteFailure& failure);

// Why an existing file is kept: "x.ce3 cannot be read to check it: Permission denied".
std::string describeUncheckedFile(const std::string& path, int error);

// Why an existing KiCad file is kept: "x.kicad_sch exists and was not written by MORVEX".
std::string describeForeignKicad(const std::string& path);

// What a KiCad schematic holds: "3 nets; 1 label not on a wire; 1 part with pins placed from its
// wires; 1 T-join without a junction", each count but the nets only when it is not zero.
std::string describeKicadCounts(const KicadSummary& counts);

// The report of a KiCad file written: "KiCad: x.kicad_sch (3 nets)", or in a dry run
// "KiCad: would write x.kicad_sch (3 nets)".
std::string describeKicadWritten(const std::string& path, const KicadSummary& counts, bool dryRun);

// Why a file is not written: an earlier file of the same batch writes that path ("would replace
// x.ce3 written from x.ce2 in this batch").
std::string describeEarlierWriter(const std::string& output, const std::string& earlierSource);

// Why a file is not written: it is another file of the run ("would overwrite the source b.ce2
// of this batch", "would replace x.ce3 written from x.ce2 in this batch").
std::string describeRunFileClash(const RunFileClash& clash);

// The line a batch gives for a file: "x.ce2 -> x.ce3: 12 elements" for a converted one ("would
// write 12 elements" in a dry run), with what its drawing hook wrote and its KiCad file when they
// were written; otherwise "x.ce2: not converted: REASON".
std::string describeFileLine(const FileReport& report, bool dryRun = false);

// "5 files: 3 converted (1 in part), 2 not converted", for a batch of more than one file; empty
// otherwise.
std::string describeBatchSummary(unsigned long converted, unsigned long inPart,
                                 unsigned long notConverted);

// ", 2 not drawn": what a summary adds when SVG files were not written.
std::string describeNotDrawnCount(unsigned long notDrawn);

// ", 2 KiCad files not written": what a summary adds when KiCad files were not written.
std::string describeKicadNotWrittenCount(unsigned long notWritten);
