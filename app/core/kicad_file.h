#pragma once

#include <functional>
#include <string>

#include "app/core/conversion.h"

// The path of a drawing's KiCad schematic: the extension of path, from the last '.' of its final
// component, replaced by ".kicad_sch", or ".kicad_sch" appended when the final component has none.
std::string makeKicadPath(const std::string& path);

// Writes the KiCad schematic `made` of a drawing to `path` as `rules` say: with makeOutputFolders
// the missing folders above it are made first; in a dry run it only finds whether the file could
// be written. `mayReplace`, when given, is asked just before the file is replaced: false leaves
// it as it is, with why in the report it was given. The report names the file and its counts, or
// says why it was not written.
DrawingReport writeKicadFile(const std::string& path, const KicadSchematic& made,
                             const BatchRules& rules,
                             const std::function<bool(DrawingReport&)>& mayReplace = {});
