#include "model/save_summary.h"

#include "platform/text.h"

std::string describeSaved(unsigned long written, unsigned long outside, unsigned long emptyTexts) {
    std::string text = formatted(translatedPlural("%lu element", "%lu elements", written), written);
    if (outside > 0) {
        text += formatted(translatedPlural("; %lu element outside the sheet left out",
                                           "; %lu elements outside the sheet left out", outside),
                          outside);
    }
    if (emptyTexts > 0) {
        text += formatted(
            translatedPlural("; %lu empty text left out", "; %lu empty texts left out", emptyTexts),
            emptyTexts);
    }
    return text;
}
