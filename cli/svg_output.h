#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "app/core/conversion.h"

class RunPlan;

// The path of a drawing's SVG: the extension of path, from the last '.' of its final component,
// replaced by ".svg", or ".svg" appended when the final component has none.
std::string makeSvgPath(const std::string& path);

// Writes the SVG text atomically; the report names the file, or says why it could not be written.
DrawingReport writeSvgFile(const std::string& path, const std::string& svg);

// For convertFiles: draws each document once its .ce3 file has been written, to the SVG file the
// plan gives it; in a dry run, only finds whether that file could be written (its folders taken
// as made first with makeFolders).
DrawingHook svgBesideOutput(bool dryRun, bool makeFolders);

// What a .ce3 file drawn without converting it gave: its SVG and its KiCad file, each when the
// run asks for it.
struct Ce3Outputs {
    std::optional<DrawingReport> svg;    // "SVG written to x.svg (2 elements)", or why not
    std::optional<DrawingReport> kicad;  // "KiCad: x.kicad_sch (1 net)", or why not
};

// Loads drawing j of the plan once and writes the files that the plan gives it and allows
// (creating their missing folders first under the rules' makeOutputFolders); converts nothing. A
// dry run loads it and finds whether each file could be written.
Ce3Outputs writeCe3Outputs(const RunPlan& plan, std::size_t j);
