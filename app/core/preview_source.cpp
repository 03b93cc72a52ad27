#include "app/core/preview_source.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/core/conversion_text.h"
#include "model/document.h"
#include "platform/text.h"
#include "render/drawing_bounds.h"
#include "render/style.h"

std::string readPreviewSource(const std::string& path, const ConversionOptions& options,
                              SchDocument& doc, std::uintmax_t byteLimit) {
    std::error_code sizeUnknown;  // not a regular file: reading says why
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown && bytes > byteLimit) {
        return formatted(translated("Too large to show (%lu MiB; files up to %lu MiB are shown)"),
                         static_cast<unsigned long>(bytes >> 20),
                         static_cast<unsigned long>(byteLimit >> 20));
    }
    FileReport report;
    report.source = path;
    if (!readCe2Source(path, options, doc, report)) {
        return formatted(translated("Cannot be shown:\n%s"), describeOutcome(report).c_str());
    }
    return std::string();
}

ViewRect previewPage(const Drawing& drawing) {
    const SchRect page = viewArea(drawing);
    return {static_cast<double>(std::min(page.left, page.right)),
            static_cast<double>(std::min(page.top, page.bottom)),
            static_cast<double>(std::max(page.left, page.right)),
            static_cast<double>(std::max(page.top, page.bottom))};
}

ViewRect previewContent(const Drawing& drawing) {
    // What is drawn on the sheet, cut to it, with the marks of what was left out; the whole page
    // when nothing is drawn.
    DrawingBounds drawn;
    for (const DrawnElement& element : drawing.elements) {
        if (!element.primitives.empty()) {
            drawn.add(element);
        }
    }
    const SchRect elements = drawn.rect();
    const SchRect clip = clipArea(drawing);
    ViewRect content{static_cast<double>(std::max(elements.left, clip.left)),
                     static_cast<double>(std::max(elements.top, clip.top)),
                     static_cast<double>(std::min(elements.right, clip.right)),
                     static_cast<double>(std::min(elements.bottom, clip.bottom))};
    if (content.left > content.right || content.top > content.bottom) {
        return previewPage(drawing);
    }
    // The marks of the elements left out lie beyond the sheet's edges: fitted too, so that the
    // pane shows them whole.
    if (!drawing.leftOutMarks.empty()) {
        DrawingBounds marks;
        for (const Primitive& mark : drawing.leftOutMarks) {
            marks.add(mark);
        }
        const SchRect around = marks.rect();
        content = {std::min(content.left, static_cast<double>(around.left)),
                   std::min(content.top, static_cast<double>(around.top)),
                   std::max(content.right, static_cast<double>(around.right)),
                   std::max(content.bottom, static_cast<double>(around.bottom))};
    }
    // With a little paper around it, so that nothing drawn touches the pane's edge.
    const double margin =
        std::max(content.right - content.left, content.bottom - content.top) / 40 + 1;
    return {content.left - margin, content.top - margin, content.right + margin,
            content.bottom + margin};
}
