#include "render/ce3_drawing.h"

#include "model/document.h"
#include "platform/text.h"

Ce3Drawing drawLoadedCe3(const SchDocument& doc, int loaded, const Ce3LoadReport& stop) {
    Ce3Drawing result;
    if (loaded == 2) {
        result.text = translated("not a CE3 file");
        return result;
    }
    if (loaded != 0 && stop.stop == Ce3Stop::EndOfFile) {
        result.text = translated("cannot be read as a CE3 file");
        return result;
    }
    result.drawing = drawDocument(doc);
    result.drawn = true;
    std::size_t outside = 0;
    for (const DrawnElement& e : result.drawing.elements) {
        outside += e.outsideSheet ? 1 : 0;
    }
    const std::size_t elements = result.drawing.elements.size();
    // Built apart and moved in: GCC 12 warns falsely on the string operations in place.
    std::string text(1, '(');
    text += formatted(translatedPlural("%lu element", "%lu elements", elements),
                      static_cast<unsigned long>(elements));
    if (outside > 0) {
        text += formatted(translatedPlural("; %lu element outside the sheet",
                                           "; %lu elements outside the sheet", outside),
                          static_cast<unsigned long>(outside));
    }
    text += ')';
    if (stop.stop != Ce3Stop::EndOfFile) {
        text += "; " + describeCe3Stop(stop);  // what was read before is drawn
    }
    result.text = std::move(text);
    return result;
}

Ce3Drawing loadCe3Drawing(const std::string& path) {
    SchDocument doc;
    Ce3LoadReport stop;
    const int loaded = doc.load(path.c_str(), stop);
    return drawLoadedCe3(doc, loaded, stop);
}

Ce3Drawing loadCe3DrawingBytes(std::string_view bytes) {
    SchDocument doc;
    Ce3LoadReport stop;
    const int loaded = doc.load(bytes, stop);
    return drawLoadedCe3(doc, loaded, stop);
}
