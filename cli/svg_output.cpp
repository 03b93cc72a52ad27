#include "cli/svg_output.h"

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "model/document.h"
#include "platform/atomic_file.h"
#include "platform/text.h"
#include "render/ce3_drawing.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

constexpr char kCe3Extension[] = ".ce3";

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
    const Ce3Drawing loaded = loadCe3Drawing(path);
    if (!loaded.drawn) {
        drawn.text = loaded.text;
        return drawn;
    }
    const DrawingReport written = writeSvgFile(drawn.svgPath, svgDocument(loaded.drawing));
    drawn.ok = written.ok;
    drawn.text = written.ok ? written.text + " " + loaded.text : written.text;
    return drawn;
}
