#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <string>
#include <vector>

// The paths of the local files among dropped URLs, in the order given. A URL of another scheme
// or naming a host other than this one is no local file.
QStringList localFilePaths(const QList<QUrl>& urls);

// The paths as the file functions take them.
std::vector<std::string> encodedPaths(const QStringList& paths);

// The list's order: without regard to letter case (paths equal but for case are equal).
bool comesBeforeInList(const std::string& a, const std::string& b);
