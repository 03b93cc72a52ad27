#include "app/gui/ce2_paths.h"

#include <QFile>

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

std::vector<std::string> encodedPaths(const QStringList& paths) {
    std::vector<std::string> encoded;
    encoded.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        encoded.push_back(QFile::encodeName(path).toStdString());
    }
    return encoded;
}

bool comesBeforeInList(const std::string& a, const std::string& b) {
    return QFile::decodeName(QByteArray::fromStdString(a))
               .compare(QFile::decodeName(QByteArray::fromStdString(b)), Qt::CaseInsensitive) < 0;
}
