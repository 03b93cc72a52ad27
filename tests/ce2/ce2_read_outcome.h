#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ce2/ce2_reader.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"
#include "ce3/ce3_writer.h"
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
    std::string records;  // every element's CE3 record, also those off the sheet
};

inline void expectSameOutcome(const Outcome& a, const Outcome& b) {
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.report.stop, b.report.stop);
    EXPECT_EQ(a.report.offset, b.report.offset);
    EXPECT_EQ(a.report.type, b.report.type);
    EXPECT_EQ(a.report.commentLength, b.report.commentLength);
    EXPECT_EQ(a.sheet, b.sheet);
    EXPECT_EQ(a.elements, b.elements);
    EXPECT_EQ(a.records, b.records);
}

inline Outcome outcomeOf(const SchDocument& doc, int count, const Ce2ReadReport& report) {
    Outcome o;
    o.count = count;
    o.report = report;
    o.sheet = doc.sheetSize;
    o.elements = doc.elements.size();
    Ce3Writer writer(&o.records);
    for (const SchElementPtr& e : doc.elements) {
        e->writeCe3(writer, nullptr);
    }
    return o;
}

inline Outcome readAll(FILE* f) {
    SchDocument doc;
    Ce2ReadReport report;
    const int count = readCe2File(f, doc, ConversionOptions{}, &report);
    return outcomeOf(doc, count, report);
}

// Reads the bytes both ways, from a stream and from memory, which must agree.
inline Outcome readAll(const std::string& bytes) {
    const Outcome fromStream = readAll(fileStreamOf(bytes).get());
    SchDocument doc;
    Ce2ReadReport report;
    const int count = readCe2Bytes(bytes, doc, ConversionOptions{}, &report);
    expectSameOutcome(outcomeOf(doc, count, report), fromStream);
    return fromStream;
}

}  // namespace ce2test
