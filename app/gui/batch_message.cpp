#include "app/gui/batch_message.h"

QMessageBox::Icon batchIcon(BatchSeverity severity) {
    switch (severity) {
        case BatchSeverity::Information:
            break;
        case BatchSeverity::Warning:
            return QMessageBox::Warning;
        case BatchSeverity::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::Information;
}
