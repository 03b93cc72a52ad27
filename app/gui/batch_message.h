#pragma once

#include <QString>
#include <vector>

#include "app/core/conversion.h"

// The message shown at the end of every batch.
QString completionText();

// One line per file that was not converted, with the reason; empty when every file was.
QString notConvertedDetails(const std::vector<FileReport>& reports);
