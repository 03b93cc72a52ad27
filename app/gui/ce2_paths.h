#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The paths of the local files among dropped URLs, in the order given. A URL of another scheme
// or naming a host other than this one is no local file.
QStringList localFilePaths(const QList<QUrl>& urls);

// The paths with the extension .ce2 in any letter case, in the order given.
QStringList ce2PathsOnly(const QStringList& paths);

// Sorted without regard to letter case; paths equal but for case keep their order.
QStringList sortedForList(QStringList paths);
