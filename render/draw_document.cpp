#include "render/draw_document.h"

#include <array>

#include "model/document.h"
#include "model/save_summary.h"
#include "render/drawing_bounds.h"
#include "render/element_shapes.h"
#include "render/page_layout.h"

Drawing drawDocument(const SchDocument& doc) {
    Drawing drawing;
    drawing.sheet = SchRect(0, 0, doc.sheetSize.x, doc.sheetSize.y);
    DrawingBounds bounds;
    bounds.add(drawing.sheet);
    unsigned long written = 0;
    unsigned long emptyTexts = 0;
    std::array<std::size_t, kSheetEdges> beyond{};
    for (const auto& e : doc.elements) {
        // Deleted elements and their marks are history, not part of the drawing.
        if (!e || e->link != nullptr || e->kind() == SchKind::DeletionMark) {
            continue;
        }
        DrawnElement drawn;
        drawn.kind = e->kind();
        drawn.area = e->area();
        // Drawn only when a conversion writes it.
        switch (doc.saveFate(*e)) {
            case SchDocument::SaveFate::Written:
                ++written;
                drawn.primitives = elementShapes(*e);
                bounds.add(drawn);
                break;
            case SchDocument::SaveFate::OutsideSheet:
                drawn.outsideSheet = true;
                ++beyond[static_cast<std::size_t>(edgeBeyond(drawn.area, drawing.sheet))];
                break;
            case SchDocument::SaveFate::EmptyText:
                ++emptyTexts;
                break;
        }
        drawing.elements.push_back(std::move(drawn));
    }
    drawing.bounds = bounds.rect();
    drawing.leftOutMarks = leftOutMarks(drawing.sheet, beyond);
    unsigned long outside = 0;
    for (const std::size_t n : beyond) {
        outside += n;
    }
    drawing.title = titleLine(drawing.sheet, describeSaved(written, outside, emptyTexts));
    return drawing;
}
