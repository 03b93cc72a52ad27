#pragma once

#include <QFont>
#include <QString>
#include <string>

// The font a font dialog opens on: the face at pixel size points * 96 / 72, where points is the
// leading number of sizeText. A size that gives no positive pixel size keeps the default size.
// The face is taken whole, as one family name.
QFont initialFont(const QString& face, const std::string& sizeText);

// The size in points taken back from a chosen font: its point size truncated toward zero, or
// |pixels * 72 / 96| for a font given in pixels.
int chosenPoints(const QFont& font);

// The size a font chooser shows for a font: the points nearest to its pixel size, else its
// point size; 0 when it has neither.
int shownPoints(const QFont& font);
