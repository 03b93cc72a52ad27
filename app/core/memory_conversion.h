#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/conversion.h"

class SchDocument;

// One .ce2 drawing converted in memory, for a caller that holds its bytes rather than a file (the
// page in a browser): the same reading, decisions and output bytes as convertFiles gives a file
// of those bytes whose output does not exist yet.

// Draws a converted document; what it returns is kept as the conversion's `svg`.
using DocumentDrawer = std::function<std::string(const SchDocument& doc)>;

struct MemoryConversion {
    FileReport report;  // as for a source named as given, its output beside it (makeCe3Path)
    std::string ce3;    // the bytes its output would hold; empty unless the file is converted
    std::string svg;    // what the drawer made of a converted drawing; empty without one
    std::string kicad;  // the KiCad schematic made of a converted drawing; empty without a maker
};

// Converts the drawing `ce2`, known to the user by `name` (a file name or path, which only the
// report uses). A file with fewer than two elements is not converted. `existingOutput`, when
// given, is what its output holds now: one that holds more than a conversion writes (a drawing
// saved from the editor) is kept, FileOutcome::KeepsEditedOutput, and no output is made. Running
// out of memory fails the file (FileOutcome::NotEnoughMemory), or only its drawing when the drawer
// runs out: then report.drawing says so. The drawer, when given, runs once the output bytes are
// complete; so does the KiCad maker, given the final component of makeKicadPath(name), and
// report.kicad tells what the schematic holds as a batch tells of the KiCad file it writes.
MemoryConversion convertCe2Bytes(std::string_view ce2, const std::string& name,
                                 const ConversionOptions& options,
                                 const DocumentDrawer& drawer = {},
                                 std::optional<std::string_view> existingOutput = {},
                                 const KicadMaker& kicadMaker = {});

// Makes the KiCad schematic of doc to be saved as `path` (the maker is given its final
// component), keeps its text in `text`, and gives what a batch reports of that file written.
DrawingReport makeKicadInMemory(const KicadMaker& maker, const SchDocument& doc,
                                const std::string& path, std::string& text);
