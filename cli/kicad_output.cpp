#include "cli/kicad_output.h"

#include <utility>

#include "kicad/kicad_schematic.h"

KicadText makeKicadText(const SchDocument& doc, const std::string& name) {
    KicadSchematic schematic = kicadSchematic(doc, name);
    const KicadSummary& summary = schematic.summary;
    const auto count = [](std::size_t n) { return static_cast<unsigned long>(n); };
    return {std::move(schematic.text),
            {count(summary.nets), count(summary.labelsNotOnWire),
             count(summary.partsWithPlacedPins), count(summary.tJoinsWithoutJunction)}};
}
