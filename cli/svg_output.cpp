#include "cli/svg_output.h"

#include <cerrno>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "app/core/kicad_file.h"
#include "app/core/run_plan.h"
#include "app/core/kicad_file.h"
#include "kicad/kicad_schematic.h"
#include "model/document.h"
#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/write_check.h"
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
    return {false, describeFileWriteFailure(path, failure)};
}

DrawingReport predictSvgFile(const std::string& path, bool makeFolders) {
    const WriteFailure failure = predictWriteFailure(path, makeFolders);
    if (failure.cause == WriteFailure::Cause::None) {
        return {true, formatted(translated("SVG would be written to %s"), path.c_str())};
    }
    return {false, describeFileWriteFailure(path, failure)};
}

DrawingHook svgBesideOutput(bool dryRun, bool makeFolders) {
    return [dryRun, makeFolders](const SchDocument& doc, const BatchFile& file) {
        return dryRun ? predictSvgFile(file.svg, makeFolders)
                      : writeSvgFile(file.svg, svgDocument(drawDocument(doc)));
    };
}

Ce3Outputs writeCe3Outputs(const RunPlan& plan, std::size_t j) {
    const PlannedDrawing& planned = plan.files().drawings[j];
    const BatchRules& rules = plan.rules();
    Ce3Outputs outputs;
    if (!planned.svg.empty() && !plan.drawingRefused(j).empty()) {
        outputs.svg = DrawingReport{false, plan.drawingRefused(j)};
    }
    if (!planned.kicad.empty()) {
        outputs.kicad = plan.drawingKicadRefused(j);
    }
    const bool drawsSvg = !planned.svg.empty() && !outputs.svg;
    const bool writesKicad = !planned.kicad.empty() && !outputs.kicad;
    if (!drawsSvg && !writesKicad) {
        return outputs;
    }
    // What keeps the drawing from being loaded keeps every file made of it.
    const auto notLoaded = [&](const std::string& why) {
        if (drawsSvg) {
            outputs.svg = DrawingReport{false, why};
        }
        if (writesKicad) {
            outputs.kicad = DrawingReport{false, why};
        }
        return outputs;
    };
    FileReport opened;
    if (!isReadableRegularFile(planned.ce3, opened)) {
        return notLoaded(describeOutcome(opened));
    }
    SchDocument doc;
    Ce3LoadReport stop;
    const int loaded = doc.load(planned.ce3.c_str(), stop);
    const Ce3Drawing drawing = drawLoadedCe3(doc, loaded, stop);
    if (!drawing.drawn) {
        return notLoaded(drawing.text);
    }
    if (drawsSvg) {
        DrawingReport& written = outputs.svg.emplace();
        if (rules.dryRun) {
            written = predictSvgFile(planned.svg, rules.makeOutputFolders);
        } else if (rules.makeOutputFolders &&
                   !makeParentDirectories(planned.svg, FolderAccess::Shared)) {
            written = {false, describeFileWriteFailure(planned.svg, WriteFailure::system(errno))};
        } else {
            written = writeSvgFile(planned.svg, svgDocument(drawing.drawing));
        }
        if (written.ok) {
            written.text += " " + drawing.text;
        }
    }
    if (writesKicad) {
        const std::string name = planned.kicad.substr(finalComponentStart(planned.kicad));
        outputs.kicad = writeKicadFile(
            planned.kicad, kicadSchematic(doc, name), rules,
            [&](DrawingReport& report) { return plan.mayReplaceDrawingKicad(j, report); });
    }
    return outputs;
}
