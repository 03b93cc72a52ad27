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
    // Each file made of the drawing on its own: one that fails does not stop the other.
    const auto made = [](const auto& make) -> std::optional<DrawingReport> {
        try {
            return make();
        } catch (const std::bad_alloc&) {
            return DrawingReport{false, translated("not enough memory")};
        }
    };
    report.drawing = made([&] { return ends.draw(doc); });
    report.kicad = made([&] { return ends.writeKicad(doc); });
}
