#include "app/gui/ce2_paths.h"

#include <QFile>
#include <algorithm>

#include "app/core/conversion.h"

QStringList localFilePaths(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        const bool here = url.host().isEmpty() ||
                          url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
        const QString path = url.path(QUrl::FullyDecoded);
        if (url.isLocalFile() && here && !path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

QStringList ce2PathsOnly(const QStringList& paths) {
    QStringList kept;
    for (const QString& path : paths) {
        if (hasCe2Extension(QFile::encodeName(path).toStdString())) {
            kept.append(path);
        }
    }
    return kept;
}

QStringList sortedForList(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return paths;
}
