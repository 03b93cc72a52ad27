#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kicad/kicad_schematic.h"
#include "kicad/segment_geometry.h"

// How the connections of a drawing are made explicit for KiCad, which joins only points that
// coincide: labels are moved onto the wire or bus beside them, lines are split where a junction,
// an entry, a label or a tag meets them inside, parts get pins where wires end at their bodies,
// and the nets are counted as KiCad's netlist will list them.

// Labels move onto a line within this distance of their text box; wire ends this close to a
// part's outline become its pins.
inline constexpr int64_t kReach = 10;

struct SheetLine {
    Segment segment;
    bool bus = false;
};

struct SheetLabel {
    SchRect box;
    SchPoint anchor;
    std::string text;  // as written: labels of one text are one net
};

struct SheetTag {
    SchPoint ends[2];
    std::string text;  // as written: tags of one text are one net
};

struct SheetParts {
    std::vector<SheetLine> lines;  // wires and buses of non-zero length
    std::vector<SchPoint> junctions;
    std::vector<Segment> entries;
    std::vector<SheetLabel> labels;
    std::vector<SheetTag> tags;
    std::vector<SchRect> bodies;  // parts' bodies
};

// A pin of a part: its end, where a wire ends, and the direction from there to the body.
struct PlacedPin {
    SchPoint end;
    int toward = 0;      // quarter turns clockwise from the +x direction (0 right, 1 down, ...)
    int64_t length = 0;  // from the end to the body's outline along `toward`; 0 on or inside it
};

struct SheetConnections {
    std::vector<std::vector<Segment>> pieces;     // each line as written, split where needed
    std::vector<std::optional<SchPoint>> labels;  // each label's anchor on its line, if any
    std::vector<int> tagEnds;                     // the end (0 or 1) at which each tag connects
    std::vector<std::vector<PlacedPin>> pins;     // each body's pins, in the order of the wires
    KicadSummary summary;
};

SheetConnections connectSheet(const SheetParts& parts);
