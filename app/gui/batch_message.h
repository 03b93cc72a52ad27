#pragma once

#include <QMessageBox>
#include <QString>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/dialog_messages.h"

// One line per file that was not converted, with the reason, under a heading; empty when every
// file was.
QString notConvertedDetails(const std::vector<FileReport>& reports);

// The message box icon for the message after a batch.
QMessageBox::Icon batchIcon(BatchSeverity severity);
