#include "app/gui/batch_message.h"

#include "app/core/dialog_messages.h"

QString notConvertedDetails(const std::vector<FileReport>& reports) {
    return QString::fromStdString(notConvertedText(reports));
}
