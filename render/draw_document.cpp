#include "render/draw_document.h"

#include "model/document.h"
#include "render/drawing_bounds.h"
#include "render/element_shapes.h"

Drawing drawDocument(const SchDocument& doc) {
    Drawing drawing;
    drawing.sheet = SchRect(0, 0, doc.sheetSize.x, doc.sheetSize.y);
    DrawingBounds bounds;
    bounds.add(drawing.sheet);
    for (const auto& e : doc.elements) {
        // Deleted elements and their marks are history, not part of the drawing.
        if (!e || e->link != nullptr || e->kind() == SchKind::DeletionMark) {
            continue;
        }
        DrawnElement drawn;
        drawn.kind = e->kind();
        drawn.area = e->area();
        // The test by which saving leaves an element out.
        drawn.outsideSheet = !drawn.area.intersects(drawing.sheet);
        drawn.primitives = elementShapes(*e);
        bounds.add(drawn);
        drawing.elements.push_back(std::move(drawn));
    }
    drawing.bounds = bounds.rect();
    return drawing;
}
