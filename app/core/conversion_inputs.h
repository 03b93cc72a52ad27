#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/core/conversion.h"
#include "ce2/ce2_reader.h"

// The source path with its extension (from the last '.' of the final component) replaced by
// ".ce3", or ".ce3" appended when the final component has none.
std::string makeCe3Path(const std::string& source);

// Each source with its output beside it (makeCe3Path), as the dialog converts them.
std::vector<BatchFile> filesBesideSources(const std::vector<std::string>& sources);

// True when path ends in `extension` (given in lower case, with its dot) in any letter case.
bool hasExtension(const std::string& path, std::string_view extension);
// hasExtension(path, ".ce2"): the sources that a folder or a drop offers.
bool hasCe2Extension(const std::string& path);

// Points as shown to the user to the drawing's unit: atoi(text) * 96 / 72, saturated to 32 bits.
int pointsToUnits(const std::string& pointsText);

// Why a size typed by the user is no size in points, or empty when it is one: an optional sign
// and decimal digits, as the settings file holds them.
std::string describePointsProblem(const std::string& text);

// Builds the options from the four font fields: faces as CP932 bytes, sizes as point texts.
ConversionOptions makeConversionOptions(const std::string& largeFace, const std::string& largeSize,
                                        const std::string& smallFace, const std::string& smallSize);
