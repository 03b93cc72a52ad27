#include "app/gui/morvex_app.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/gui/morvex_dlg.h"
#include "app/gui/qt_dialog_services.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// While the user interface starts, a fatal Qt message means that the window system could not be
// reached: Qt's own text is followed by ours, and the program exits with status 1 instead of
// aborting.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    previousHandler(type, context, message);
    if (type == QtFatalMsg) {
        std::fputs(
            "morvex: cannot open a display, so the dialog cannot be shown. Run it in a desktop "
            "session (DISPLAY or WAYLAND_DISPLAY set), or convert with morvex-cli.\n",
            stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
}

}  // namespace

CMorvexApp::CMorvexApp() : settings_(findSettingsPath()) {}

int CMorvexApp::run(int argc, char** argv) {
    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);

    QApplication::setApplicationName(QStringLiteral("morvex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvex.svg")));

    QtDialogServices services;
    CMorvexDlg dialog(settings_, services);
    dialog.exec();
    return 0;
}
