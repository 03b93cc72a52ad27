#pragma once

#include "ce3/ce3_writer.h"
#include "model/element.h"

// Writes the record `name` of an element placed at its point p1 on one line: the layer and p1
// less the offset (may be null), then `fields` (Ce3Writer::field).
template <typename... Fields>
void writeBoxRecord(Ce3Writer& writer, const SchElement& e, const Ce3RecordName& name,
                    const SchPoint* offset, const Fields&... fields) {
    writer.writeRecord(name, Ce3Writer::field(kCe3KeyLayer, e.layer),
                       Ce3Writer::field(kCe3KeyX, subOffsetX(e.p1.x, offset)),
                       Ce3Writer::field(kCe3KeyY, subOffsetY(e.p1.y, offset)), fields...);
}
