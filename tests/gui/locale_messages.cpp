// Linked into every dialog test: once the application object exists (it has set the locale from
// the environment), the messages follow that locale from the catalogues of the build tree, as the
// program's own start does with the installed ones.
#include <QCoreApplication>

#include "app/gui/qt_translation.h"
#include "platform/text.h"

namespace {

void setUpLocaleMessages() {
    setUpMessages(MessageOutput::Utf8, MORVEX_TEST_CATALOGUES);
    // Removed from the application when destroyed, if it still exists then.
    static const auto qtTranslation = installQtTranslation();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(setUpLocaleMessages)
