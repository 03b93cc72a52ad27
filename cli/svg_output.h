#pragma once

#include <string>

#include "app/core/conversion.h"

// The path of a drawing's SVG: the extension of path, from the last '.' of its final component,
// replaced by ".svg", or ".svg" appended when the final component has none.
std::string makeSvgPath(const std::string& path);

// Writes the SVG text atomically; the report names the file, or says why it could not be written.
DrawingReport writeSvgFile(const std::string& path, const std::string& svg);

// For convertFiles: draws each document once its .ce3 file has been written, to the SVG file the
// plan gives it; in a dry run, only finds whether that file could be written (its folders taken
// as made first with makeFolders).
DrawingHook svgBesideOutput(bool dryRun, bool makeFolders);

// The outcome of drawing a .ce3 file into an SVG.
struct Ce3Drawn {
    bool ok = false;
    std::string text;  // what was drawn, or why nothing was
};

// Loads the .ce3 file and draws it to svgPath (with makeFolders, creating its missing folders
// first); converts nothing. A dry run loads it and finds whether svgPath could be written.
Ce3Drawn drawCe3File(const std::string& path, const std::string& svgPath, bool dryRun,
                     bool makeFolders);
