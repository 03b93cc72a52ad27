#pragma once

#include <string>

#include "app/core/conversion.h"

// The completion message shown once per batch: four lines separated by LF.
extern const char* const kCompletionMessage;

// Whether a converted file holds less than its source: reading stopped early, or elements were
// left out as outside the sheet or as labels and comments without text.
bool convertedInPart(const FileReport& report);

// One line on what happened to a file: for a converted one the elements written and what was
// left out ("12 elements; 1 element outside the sheet left out; 2 empty texts left out"),
// otherwise the reason it was not converted ("fewer than two elements").
std::string describeOutcome(const FileReport& report);

// Why a file is not written: an earlier file of the same batch writes that path ("would replace
// x.ce3 written from x.ce2 in this batch").
std::string describeEarlierWriter(const std::string& output, const std::string& earlierSource);

// Why a file is not written: it is another file of the run ("would overwrite the source b.ce2
// of this batch", "would replace x.ce3 written from x.ce2 in this batch").
std::string describeRunFileClash(const RunFileClash& clash);

// The line a batch gives for a file: "x.ce2 -> x.ce3: 12 elements" for a converted one ("would
// write 12 elements" in a dry run), with what its drawing hook wrote when that succeeded;
// otherwise "x.ce2: not converted: REASON".
std::string describeFileLine(const FileReport& report, bool dryRun = false);

// "5 files: 3 converted (1 in part), 2 not converted", for a batch of more than one file; empty
// otherwise.
std::string describeBatchSummary(unsigned long converted, unsigned long inPart,
                                 unsigned long notConverted);

// ", 2 not drawn": what a summary adds when SVG files were not written.
std::string describeNotDrawnCount(unsigned long notDrawn);
