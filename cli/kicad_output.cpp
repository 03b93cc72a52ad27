#include "cli/kicad_output.h"

#include <string_view>
#include <utility>

#include "cli/svg_output.h"
#include "kicad/kicad_schematic.h"

std::string makeKicadPath(const std::string& path) {
    // makeSvgPath finds the extension; only its replacement differs.
    constexpr std::string_view svgExtension = ".svg";
    std::string kicad = makeSvgPath(path);
    return kicad.replace(kicad.size() - svgExtension.size(), std::string::npos, ".kicad_sch");
}

KicadText makeKicadText(const SchDocument& doc, const std::string& name) {
    KicadSchematic schematic = kicadSchematic(doc, name);
    const KicadSummary& summary = schematic.summary;
    const auto count = [](std::size_t n) { return static_cast<unsigned long>(n); };
    return {std::move(schematic.text),
            {count(summary.nets), count(summary.labelsNotOnWire),
             count(summary.partsWithPlacedPins), count(summary.tJoinsWithoutJunction)}};
}
