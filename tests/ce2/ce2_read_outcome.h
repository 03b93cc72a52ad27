#pragma once

#include <cstdio>
#include <string>

#include "ce2/ce2_reader.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"
#include "model/document.h"

// What reading a whole CE2 stream gave, for the CE2 reader tests.
namespace ce2test {

// One wire record, the unit that the stream tests cut and repeat.
inline const std::string kWireRecord = ce2build::line(ce2build::kWire, 0, 10, 20, 100, 20);

struct Outcome {
    int count = 0;
    Ce2ReadReport report;
    SchPoint sheet;
    std::size_t elements = 0;
};

inline Outcome readAll(FILE* f) {
    SchDocument doc;
    Outcome o;
    o.count = readCe2File(f, doc, ConversionOptions{}, &o.report);
    o.sheet = doc.sheetSize;
    o.elements = doc.elements.size();
    return o;
}

inline Outcome readAll(const std::string& bytes) {
    return readAll(fileStreamOf(bytes).get());
}

}  // namespace ce2test
