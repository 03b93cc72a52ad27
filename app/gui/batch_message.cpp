#include "app/gui/batch_message.h"

#include <QFile>
#include <QStringList>

#include "app/gui/ui_text.h"

QString completionText() {
    return QString::fromUtf8(kCompletionMessage);
}

QString notConvertedDetails(const std::vector<FileReport>& reports) {
    QStringList lines;
    for (const FileReport& report : reports) {
        if (report.outcome != FileOutcome::Converted) {
            lines.append(
                QStringLiteral("%1: %2").arg(QFile::decodeName(report.source.c_str()),
                                             QString::fromStdString(describeOutcome(report))));
        }
    }
    if (lines.isEmpty()) {
        return QString();
    }
    lines.prepend(uiText("Files not converted:"));
    return lines.join(QLatin1Char('\n'));
}
