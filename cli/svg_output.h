#pragma once

#include <map>
#include <string>

#include "app/core/conversion.h"

// The path of a drawing's SVG: the extension of path, from the last '.' of its final component,
// replaced by ".svg", or ".svg" appended when the final component has none.
std::string makeSvgPath(const std::string& path);

// Writes the SVG text atomically; the report names the file, or says why it could not be written.
DrawingReport writeSvgFile(const std::string& path, const std::string& svg);

// For convertFiles: draws each document once its .ce3 file has been written, beside it as
// NAME.svg. An output found in `replacing` is not drawn: an earlier source of the run, the one it
// names, writes that SVG file.
DrawingHook svgBesideOutput(std::map<std::string, std::string> replacing = {});

// The outcome of drawing a .ce3 file into an SVG beside it.
struct Ce3Drawn {
    bool ok = false;
    std::string svgPath;
    std::string text;  // what was drawn, or why nothing was
};

// Loads the .ce3 file and draws it to NAME.svg; converts nothing.
Ce3Drawn drawCe3File(const std::string& path);
