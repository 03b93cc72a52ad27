// The page's entry points, bound to JavaScript: one drawing converted in memory at a time, the
// program's font defaults, and faces encoded as the drawings hold them.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <optional>
#include <string>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/memory_conversion.h"
#include "app/core/settings.h"
#include "platform/text.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

using emscripten::val;

// A copy of the bytes as a Uint8Array, which outlives the module's memory they are in.
val bytesOf(const std::string& bytes) {
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(),
                                            reinterpret_cast<const unsigned char*>(bytes.data())));
}

// Messages in the language that LANG names (the runtime sets it from the browser's).
void setUpPageMessages() {
    setUpMessages(MessageOutput::Utf8);
}

// Converts one drawing. ce2 and the faces are bytes (Uint8Array), name and sizes texts. Gives
// {converted, inPart, outcome, report, output, ce3, svg}: report is the line the command-line
// converter gives for the file after its name, ce3 a Uint8Array (empty unless converted), svg the
// drawing when asked for and converted.
val convert(const std::string& ce2, const std::string& name, const std::string& largeFace,
            const std::string& largeSize, const std::string& smallFace,
            const std::string& smallSize, bool drawSvg) {
    const ConversionOptions options =
        makeConversionOptions(largeFace, largeSize, smallFace, smallSize);
    DocumentDrawer drawer;
    if (drawSvg) {
        drawer = [](const SchDocument& doc) { return svgDocument(drawDocument(doc)); };
    }
    const MemoryConversion converted = convertCe2Bytes(ce2, name, options, drawer);
    const FileReport& report = converted.report;
    val result = val::object();
    result.set("converted", report.outcome == FileOutcome::Converted);
    result.set("inPart", convertedInPart(report));
    result.set("outcome", static_cast<int>(report.outcome));
    result.set("report", describeOutcome(report));
    result.set("output", report.output);
    result.set("ce3", bytesOf(converted.ce3));
    result.set("svg", converted.svg);
    if (report.drawing && !report.drawing->ok) {
        result.set("drawingFailure", report.drawing->text);
    }
    return result;
}

// The CP932 bytes of a face typed by the user (a Uint8Array), or null when CP932 cannot hold it.
val faceBytes(const std::string& utf8) {
    const std::optional<std::string> bytes = utf8ToCp932(utf8);
    return bytes ? bytesOf(*bytes) : val::null();
}

// The program's font fields before the user changes them: {largeFace, largeSize, smallFace,
// smallSize}, faces as texts.
val fontDefaults() {
    val fields = val::object();
    fields.set("largeFace", cp932ToUtf8(kDefaultLargeFace).value_or(""));
    fields.set("largeSize", std::to_string(kDefaultLargeSize));
    fields.set("smallFace", cp932ToUtf8(kDefaultSmallFace).value_or(""));
    fields.set("smallSize", std::to_string(kDefaultSmallSize));
    return fields;
}

}  // namespace

EMSCRIPTEN_BINDINGS(morvex) {
    emscripten::function("setUpMessages", &setUpPageMessages);
    emscripten::function("messageLanguage", &messageLanguage);
    emscripten::function("convert", &convert);
    emscripten::function("faceBytes", &faceBytes);
    emscripten::function("fontDefaults", &fontDefaults);
}
