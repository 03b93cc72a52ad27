// The page's entry points, bound to JavaScript: the decisions of a batch, one drawing converted
// or drawn in memory at a time (with its KiCad schematic when asked for), the lines and summary a
// batch reports, and the font fields.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/kicad_file.h"
#include "app/core/memory_conversion.h"
#include "app/core/report_csv.h"
#include "app/core/run_plan.h"
#include "app/core/settings.h"
#include "kicad/kicad_schematic.h"
#include "model/document.h"
#include "platform/text.h"
#include "render/ce3_drawing.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

using emscripten::val;

// The bytes of a Uint8Array, copied into the module's memory in one piece: Embind's own
// conversion to std::string copies them one at a time.
std::string bytesFrom(const val& array) {
    std::string bytes(array["length"].as<std::size_t>(), '\0');
    val(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<unsigned char*>(bytes.data())))
        .call<void>("set", array);
    return bytes;
}

// A copy of the bytes as a Uint8Array, which outlives the module's memory they are in.
val bytesOf(const std::string& bytes) {
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(),
                                            reinterpret_cast<const unsigned char*>(bytes.data())));
}

// Sets the KiCad file of a result: its bytes (a Uint8Array) and its path.
void setKicad(val& result, const std::string& text, const std::string& path) {
    result.set("kicad", bytesOf(text));
    result.set("kicadOutput", path);
}

// {line, csv}: the line a batch gives for a file, and its rows in the CSV report as bytes (a
// Uint8Array: a text would lose a leading byte order mark of a name to the browser's decoder).
val told(const std::string& line, const std::string& csv) {
    val result = val::object();
    result.set("line", line);
    result.set("csv", bytesOf(csv));
    return result;
}

// Messages in the language that LANG names: the page sets it from the browser's language.
void setUpPageMessages() {
    setUpMessages(MessageOutput::Utf8);
}

// For names of a batch (paths as the user picked them), in its order: null for a file to
// convert, or {line, csv} of one that is not converted because an earlier file of the batch
// writes its output (the same rule as a batch of files).
val refusedBeforeConverting(const std::vector<std::string>& names) {
    const RunPlan plan({filesBesideSources(names), {}, {}, {}}, BatchRules{});
    val lines = val::array();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::optional<FileReport>& refused = plan.refused(i);
        lines.call<void>("push", refused
                                     ? told(describeFileLine(*refused), csvFileRow(*refused, false))
                                     : val::null());
    }
    return lines;
}

// Converts one drawing. ce2 is its bytes (a Uint8Array), name the path the user knows it by;
// faces are CP932 bytes and sizes texts. existingOutput is null, or the bytes its output holds
// now. Gives {converted, inPart, elements, line, csv, output, ce3, svg, notDrawn, kicad,
// kicadOutput}, csv being its rows in the CSV report:
// elements are those written and drawn, line is the line a batch gives for the file (a batch
// with --kicad when kicad is asked for), ce3 a Uint8Array (empty unless converted), svg the drawing
// when asked for and converted, notDrawn why it could not be drawn, when it could not; kicad the
// KiCad schematic (a Uint8Array) to be saved as kicadOutput, when asked for and converted.
val convert(const val& ce2Bytes, const std::string& name, const std::string& largeFace,
            const std::string& largeSize, const std::string& smallFace,
            const std::string& smallSize, bool drawSvg, bool kicad, const val& existingOutput) {
    const ConversionOptions options =
        makeConversionOptions(largeFace, largeSize, smallFace, smallSize);
    DocumentDrawer drawer;
    if (drawSvg) {
        drawer = [](const SchDocument& doc) { return svgDocument(drawDocument(doc)); };
    }
    std::optional<std::string> existing;
    if (!existingOutput.isNull() && !existingOutput.isUndefined()) {
        existing = bytesFrom(existingOutput);
    }
    const std::string ce2 = bytesFrom(ce2Bytes);
    const MemoryConversion converted =
        convertCe2Bytes(ce2, name, options, drawer,
                        existing ? std::optional<std::string_view>(*existing) : std::nullopt,
                        kicad ? KicadMaker(kicadSchematic) : KicadMaker());
    const FileReport& report = converted.report;
    val result = val::object();
    result.set("converted", report.outcome == FileOutcome::Converted);
    result.set("inPart", convertedInPart(report));
    result.set("elements", report.elementsWritten);
    result.set("line", describeFileLine(report));
    result.set("output", report.output);
    result.set("ce3", bytesOf(converted.ce3));
    result.set("svg", converted.svg);
    if (report.drawing && !report.drawing->ok) {
        result.set("notDrawn", report.drawing->text);
    }
    if (report.kicad && report.kicad->ok) {
        setKicad(result, converted.kicad, makeKicadPath(name));
    }
    std::string csv = csvFileRow(report, false);
    if (report.kicad) {
        csv += csvKicadRow(report.source, makeKicadPath(report.output), *report.kicad, false);
    }
    result.set("csv", bytesOf(csv));
    return result;
}

// {line, csv} of a file not converted for the outcome given.
val notConvertedFor(const std::string& name, FileOutcome outcome) {
    FileReport report;
    report.source = name;
    report.output = makeCe3Path(name);
    report.outcome = outcome;
    return told(describeFileLine(report), csvFileRow(report, false));
}

// {line, csv} of a file that failed outside the conversion: its bytes did not fit in memory, or
// the module ran out of it.
val notEnoughMemory(const std::string& name) {
    return notConvertedFor(name, FileOutcome::NotEnoughMemory);
}

// {line, csv} of a file the batch had not started when it was cancelled.
val cancelled(const std::string& name) {
    return notConvertedFor(name, FileOutcome::Cancelled);
}

// {line, csv} of a path that gave nothing to convert, for the reason given.
val notConvertedBecause(const std::string& name, const std::string& reason) {
    return told(name + ": " + translated("not converted") + ": " + reason,
                csvProblemRow(name, reason));
}

// {line, csv} of a file whose bytes the browser could not read: with no cause, because the file
// was moved or changed after it was picked (the browser reads what it was then, or nothing); else
// the browser's words for why.
val cannotRead(const std::string& name, const std::string& cause) {
    return notConvertedBecause(
        name,
        cause.empty()
            ? std::string(translated("cannot be read: it was moved or changed after it was picked"))
            : formatted(translated("cannot be read: %s"), cause.c_str()));
}

// {line, csv} of a file converted whose output could not be written where the user asked, with
// the browser's words for why.
val cannotWrite(const std::string& name, const std::string& cause) {
    return notConvertedBecause(name, formatted(translated("%s cannot be written: %s"),
                                               makeCe3Path(name).c_str(), cause.c_str()));
}

// The line of a file that is neither converted nor drawn.
std::string ignoredLine(const std::string& name) {
    return name + ": " + translated("ignored: not a .ce2 drawing");
}

// Draws a .ce3 drawing (a Uint8Array), converting nothing: {drawn, elements, line, csv, svg,
// kicad, kicadOutput}, with the elements drawn on the sheet, and the KiCad schematic of a drawing
// drawn when kicad is asked for, which the line and the CSV report's row tell of as morvex-cli
// --kicad does.
val drawCe3(const val& ce3Bytes, const std::string& name, bool kicad) {
    SchDocument doc;
    Ce3LoadReport stop;
    const int read = doc.load(bytesFrom(ce3Bytes), stop);
    const Ce3Drawing loaded = drawLoadedCe3(doc, read, stop);
    val result = val::object();
    result.set("drawn", loaded.drawn);
    std::size_t onSheet = 0;
    for (const DrawnElement& e : loaded.drawing.elements) {
        onSheet += e.outsideSheet ? 0 : 1;
    }
    result.set("elements", onSheet);
    const std::string outcome = loaded.drawn ? std::string(translated("drawn, not converted")) + " "
                                             : std::string(translated("not drawn")) + ": ";
    std::string line = name + ": " + outcome + loaded.text;
    std::string csv;
    if (kicad && loaded.drawn) {
        const std::string path = makeKicadPath(name);
        std::string text;
        const DrawingReport done = makeKicadInMemory(kicadSchematic, doc, path, text);
        line += "; " + done.text;
        csv = csvKicadRow(name, path, done, false);
        setKicad(result, text, path);
    }
    result.set("line", line);
    result.set("csv", bytesOf(csv));
    result.set("svg", loaded.drawn ? svgDocument(loaded.drawing) : std::string());
    return result;
}

// The first line of the CSV report, its byte order mark and header row, as bytes (a Uint8Array).
val csvHeader() {
    return bytesOf(std::string(kCsvHeader));
}

// Why a face typed by the user cannot be stored in a drawing, or empty.
std::string faceProblem(const std::string& face) {
    return utf8ToCp932(face) ? std::string()
                             : formatted(translated("\"%s\" cannot be written in the CP932 "
                                                    "encoding of drawings"),
                                         face.c_str());
}

// The CP932 bytes of a face typed by the user (a Uint8Array), or null when CP932 cannot hold it.
val faceBytes(const std::string& face) {
    const std::optional<std::string> bytes = utf8ToCp932(face);
    return bytes ? bytesOf(*bytes) : val::null();
}

// The program's font fields before the user changes them: {largeFace, largeSize, smallFace,
// smallSize}, faces as their CP932 bytes (Uint8Array), for the browser to decode.
val fontDefaults() {
    val fields = val::object();
    fields.set("largeFace", bytesOf(kDefaultLargeFace));
    fields.set("largeSize", std::to_string(kDefaultLargeSize));
    fields.set("smallFace", bytesOf(kDefaultSmallFace));
    fields.set("smallSize", std::to_string(kDefaultSmallSize));
    return fields;
}

}  // namespace

EMSCRIPTEN_BINDINGS(morvex) {
    emscripten::register_vector<std::string>("Names");
    emscripten::function("setUpMessages", &setUpPageMessages);
    emscripten::function("messageLanguage", &messageLanguage);
    emscripten::function("refusedBeforeConverting", &refusedBeforeConverting);
    emscripten::function("outputPath", &makeCe3Path);
    emscripten::function("convert", &convert);
    emscripten::function("notEnoughMemory", &notEnoughMemory);
    emscripten::function("cannotWrite", &cannotWrite);
    emscripten::function("cannotRead", &cannotRead);
    emscripten::function("cancelled", &cancelled);
    emscripten::function("csvHeader", &csvHeader);
    emscripten::function("ignoredLine", &ignoredLine);
    emscripten::function("drawCe3", &drawCe3);
    emscripten::function("batchSummary", &describeBatchSummary);
    emscripten::function("faceProblem", &faceProblem);
    emscripten::function("pointsProblem", &describePointsProblem);
    emscripten::function("faceBytes", &faceBytes);
    emscripten::function("fontDefaults", &fontDefaults);
}
