#pragma once

#include <QMessageBox>
#include <QString>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/dialog_messages.h"

// The message box icon for the message after a batch.
QMessageBox::Icon batchIcon(BatchSeverity severity);
