#include "app/gui/batch_message.h"

QString notConvertedDetails(const std::vector<FileReport>& reports) {
    return QString::fromStdString(notConvertedText(reports));
}

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
