#pragma once

#include <QString>
#include <vector>

#include "app/core/conversion.h"

// One line per file that was not converted, with the reason, under a heading; empty when every
// file was.
QString notConvertedDetails(const std::vector<FileReport>& reports);
