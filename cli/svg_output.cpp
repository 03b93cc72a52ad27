#include "cli/svg_output.h"

#include <cerrno>
#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "model/document.h"

#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/text.h"
#include "platform/write_check.h"
#include "render/ce3_drawing.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

constexpr char kCe3Extension[] = ".ce3";

std::string describeSvgFailure(const std::string& path, const WriteFailure& failure) {
    const std::string cause = describeWriteFailure(failure);
    return cause.empty()
               ? formatted(translated("%s cannot be written"), path.c_str())
               : formatted(translated("%s cannot be written: %s"), path.c_str(), cause.c_str());
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
    return {false, describeSvgFailure(path, failure)};
}

DrawingReport predictSvgFile(const std::string& path, bool makeFolders) {
    const WriteFailure failure = predictWriteFailure(path, makeFolders);
    if (failure.cause == WriteFailure::Cause::None) {
        return {true, formatted(translated("SVG would be written to %s"), path.c_str())};
    }
    return {false, describeSvgFailure(path, failure)};
}

DrawingHook svgBesideOutput(bool dryRun, bool makeFolders) {
    return [dryRun, makeFolders](const SchDocument& doc, const BatchFile& file) {
        return dryRun ? predictSvgFile(file.svg, makeFolders)
                      : writeSvgFile(file.svg, svgDocument(drawDocument(doc)));
    };
}

Ce3Drawn drawCe3File(const std::string& path, const std::string& svgPath, bool dryRun,
                     bool makeFolders) {
    Ce3Drawn drawn;
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
    DrawingReport written;
    if (dryRun) {
        written = predictSvgFile(svgPath, makeFolders);
    } else if (makeFolders && !makeParentDirectories(svgPath, FolderAccess::Shared)) {
        written = {false, describeSvgFailure(svgPath, {WriteFailure::Cause::System, errno})};
    } else {
        written = writeSvgFile(svgPath, svgDocument(loaded.drawing));
    }
    drawn.ok = written.ok;
    drawn.text = written.ok ? written.text + " " + loaded.text : written.text;
    return drawn;
}
