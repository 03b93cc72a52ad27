#pragma once

#include <string>

#include "app/core/conversion.h"

// The path of a drawing's KiCad schematic: the extension of path, from the last '.' of its final
// component, replaced by ".kicad_sch", or ".kicad_sch" appended when the final component has none.
std::string makeKicadPath(const std::string& path);

// The KiCad schematic of a drawing, to be written as the file `name`, with its counts.
KicadText makeKicadText(const SchDocument& doc, const std::string& name);
