#include "app/core/conversion_steps.h"

#include <new>

#include "model/document.h"
#include "platform/text.h"

void convertDrawing(ConversionEnds& ends, FileReport& report) {
    SchDocument doc;
    if (!ends.read(doc, report)) {
        return;
    }
    if (report.elementsRead <= 1) {
        report.outcome = FileOutcome::TooFewElements;
        return;
    }
    countSheetElements(doc, report);
    if (const std::optional<KeptOutput> kept = ends.keptOutput()) {
        reportKeptOutput(*kept, report);
        return;
    }
    if (!ends.write(doc, report)) {
        return;
    }
    report.outcome = FileOutcome::Converted;
    try {
        report.drawing = ends.draw(doc);
    } catch (const std::bad_alloc&) {
        report.drawing = DrawingReport{false, translated("not enough memory")};
    }
}
