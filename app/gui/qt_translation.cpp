#include "app/gui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "platform/text.h"

std::unique_ptr<QTranslator> installQtTranslation() {
    const std::string language = messageLanguage();
    if (language.empty()) {
        return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QString::fromStdString(language),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}
