#include "cli/svg_output.h"

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "model/document.h"
#include "platform/atomic_file.h"
#include "platform/text.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

constexpr char kCe3Extension[] = ".ce3";

std::string elementCount(std::size_t n) {
    return formatted(translatedPlural("%lu element", "%lu elements", n),
                     static_cast<unsigned long>(n));
}

}  // namespace

std::string makeSvgPath(const std::string& path) {
    // makeCe3Path finds the extension; only its replacement differs.
    std::string svg = makeCe3Path(path);
    return svg.replace(svg.size() - (sizeof kCe3Extension - 1), std::string::npos, ".svg");
}

DrawingReport writeSvgFile(const std::string& path, const std::string& svg) {
    WriteFailure failure;
    if (writeFileAtomically(path, svg, &failure)) {
        return {true, formatted(translated("SVG written to %s"), path.c_str())};
    }
    const std::string cause = describeWriteFailure(failure);
    return {false, cause.empty() ? formatted(translated("%s cannot be written"), path.c_str())
                                 : formatted(translated("%s cannot be written: %s"), path.c_str(),
                                             cause.c_str())};
}

DrawingHook svgBesideOutput(std::map<std::string, std::string> replacing) {
    return [replacing = std::move(replacing)](const SchDocument& doc, const std::string& output) {
        const std::string svgPath = makeSvgPath(output);
        if (const auto earlier = replacing.find(output); earlier != replacing.end()) {
            return DrawingReport{false, describeEarlierWriter(svgPath, earlier->second)};
        }
        return writeSvgFile(svgPath, svgDocument(drawDocument(doc)));
    };
}

Ce3Drawn drawCe3File(const std::string& path) {
    Ce3Drawn drawn;
    drawn.svgPath = makeSvgPath(path);
    FileReport opened;
    if (!isReadableRegularFile(path, opened)) {
        drawn.text = describeOutcome(opened);
        return drawn;
    }
    SchDocument doc;
    Ce3LoadReport stop;
    const int loaded = doc.load(path.c_str(), stop);
    if (loaded == 2) {
        drawn.text = translated("not a CE3 file");
        return drawn;
    }
    if (loaded != 0 && stop.stop == Ce3Stop::EndOfFile) {
        drawn.text = translated("cannot be read as a CE3 file");
        return drawn;
    }
    const Drawing drawing = drawDocument(doc);
    const DrawingReport written = writeSvgFile(drawn.svgPath, svgDocument(drawing));
    drawn.ok = written.ok;
    drawn.text = written.text;
    if (written.ok) {
        std::size_t outside = 0;
        for (const DrawnElement& e : drawing.elements) {
            outside += e.outsideSheet ? 1 : 0;
        }
        drawn.text += " (" + elementCount(drawing.elements.size());
        if (outside > 0) {
            drawn.text += formatted(translatedPlural("; %lu element outside the sheet",
                                                     "; %lu elements outside the sheet", outside),
                                    static_cast<unsigned long>(outside));
        }
        drawn.text += ")";
        if (stop.stop != Ce3Stop::EndOfFile) {
            drawn.text += "; " + describeCe3Stop(stop);  // what was read before is drawn
        }
    }
    return drawn;
}
