// Arbitrary bytes as a drawing, read both as a .ce3 file and as a .ce2 file: every document that
// loads, in whole or in part, renders to well-formed XML (checked with libxml2) whose size grows
// at most linearly with the input.
#include <libxml/parser.h>

#include <cstdint>
#include <cstdio>

#include "ce2/ce2_reader.h"
#include "fuzz/fuzz_support.h"
#include "model/document.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

// A generous bound: each input byte can become an escaped character of a text, an element record
// of a few bytes a few hundred bytes of markup.
constexpr std::size_t kFixedBytes = 4096;
constexpr std::size_t kBytesPerInputByte = 256;

void checkSvg(const SchDocument& doc, size_t inputSize) {
    const std::string svg = svgDocument(drawDocument(doc));
    if (svg.size() > kFixedBytes + kBytesPerInputByte * inputSize) {
        propertyFailed("the SVG grows faster than the drawing");
    }
    xmlDoc* xml = xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "drawing.svg", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (xml == nullptr) {
        fprintf(stderr, "%s\n", svg.c_str());
        propertyFailed("the SVG is not well-formed XML");
    }
    xmlFreeDoc(xml);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = scratchDirectory() + "/svg-input.ce3";
    writeWholeFile(input, data, size);
    SchDocument loaded;
    loaded.load(input.c_str());  // whatever was read before a failure stays and is drawn
    checkSvg(loaded, size);

    FILE* stream = openBytes(data, size);
    SchDocument decoded;
    readCe2File(stream, decoded, ConversionOptions{"\x82\x6C\x82\x72", 16, "Verdana", 10});
    fclose(stream);
    checkSvg(decoded, size);
    return 0;
}
