#pragma once

#include <QString>

#include "platform/text.h"

// A text of the dialog's own, written in English, in the user's language. Placeholders are Qt's
// (%1, %2), filled with QString::arg.
inline QString uiText(const char* english) {
    return QString::fromUtf8(translated(english));
}
