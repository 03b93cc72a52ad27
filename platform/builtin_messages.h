#pragma once

#include <optional>

// The messages of platform/text.h (translated, translatedPlural, messageLanguage and
// messagesTranslated) from the catalogue built into the program (platform/builtin_catalogue.h),
// for the systems without gettext: Windows and the page in a browser. Each system's setUpMessages
// picks the language.

// Whether the variables that gettext reads name Japanese: the locale of the messages (LC_ALL,
// LC_MESSAGES, LANG), C or POSIX being English, then the first entry of LANGUAGE. Nothing when
// none of them is set.
std::optional<bool> environmentNamesJapanese();

// Japanese messages from now on, or English. Called before any thread asks for a message.
void useJapaneseMessages(bool japanese);
