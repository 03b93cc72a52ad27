#pragma once

#include <QTranslator>
#include <memory>

// Installs Qt's own translation (standard buttons, the message box's details button) for the
// language of MORVEX's messages, so that the two never differ. Empty when the messages are English
// or Qt has no translation for their language; the translation stays installed while the result
// lives. Call after the application object has been created.
std::unique_ptr<QTranslator> installQtTranslation();
