#pragma once

#include <string>

#include "app/core/conversion.h"

// The KiCad schematic of a drawing, to be written as the file `name`, with its counts.
KicadText makeKicadText(const SchDocument& doc, const std::string& name);
