#pragma once

#include <optional>

#include "app/core/conversion.h"
#include "app/core/kept_outputs.h"

class SchDocument;

// The steps of one drawing's conversion, the same whether its bytes lie in a file or in memory:
// read the drawing, count what the output will hold, keep an existing output that is not to be
// replaced, write the output, draw it, write its KiCad schematic.

// Where one conversion reads its drawing from and where its output goes.
class ConversionEnds {
  public:
    virtual ~ConversionEnds() = default;
    // Reads the drawing into doc; false, with the outcome and cause in report, when there is
    // nothing to read. Otherwise report.elementsRead and report.reading say what was read.
    virtual bool read(SchDocument& doc, FileReport& report) = 0;
    // Why the existing output is to be left as it is; nothing when it may be replaced.
    virtual std::optional<KeptOutput> keptOutput() = 0;
    // Writes the output (or, in a dry run, finds whether it could be written); false, with the
    // outcome and cause in report, when it is not written.
    virtual bool write(SchDocument& doc, FileReport& report) = 0;
    // Draws the converted document; nothing when the drawing is not asked for.
    virtual std::optional<DrawingReport> draw(const SchDocument& doc) = 0;
    // Writes the converted document's KiCad schematic; nothing when it is not asked for.
    virtual std::optional<DrawingReport> writeKicad(const SchDocument&) { return std::nullopt; }
};

// Converts one drawing through `ends` into report. A drawing of fewer than two elements is not
// written. Memory that runs out while drawing, or while writing the KiCad schematic, fails that
// file only; elsewhere the std::bad_alloc is left to the caller, with what was done so far in
// report.
void convertDrawing(ConversionEnds& ends, FileReport& report);
