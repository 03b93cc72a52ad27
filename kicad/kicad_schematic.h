#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class SchDocument;

// What a KiCad schematic of a drawing will not show as it was drawn, and how many nets KiCad
// finds in it.
struct KicadSummary {
    std::size_t nets = 0;             // nets that reach a part's pin, as KiCad's netlist lists them
    std::size_t labelsNotOnWire = 0;  // labels that found no wire or bus to sit on
    std::size_t partsWithPlacedPins = 0;    // parts given pins where wires end at their bodies
    std::size_t tJoinsWithoutJunction = 0;  // wire ends on another wire without a junction
};

struct KicadSchematic {
    std::string text;  // the .kicad_sch file
    KicadSummary summary;
};

// The elements of doc that a conversion writes, as a KiCad 6 schematic (file version 20211123),
// which KiCad 6 and later open. `name`, the file's own name, seeds its UUIDs, so the same drawing
// under the same name gives the same bytes.
KicadSchematic kicadSchematic(const SchDocument& doc, std::string_view name);
