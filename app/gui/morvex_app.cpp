#include "app/gui/morvex_app.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/gui/morvex_dlg.h"
#include "app/gui/qt_dialog_services.h"
#include "app/gui/qt_translation.h"
#include "platform/text.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// While the user interface starts, a fatal Qt message means that the window system could not be
// reached: Qt's own text is followed by ours, and the program exits with status 1 instead of
// aborting.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    previousHandler(type, context, message);
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "morvex: %s\n",
                     translated("cannot open a display, so the dialog cannot be shown. Run it in "
                                "a desktop session (DISPLAY or WAYLAND_DISPLAY set), or convert "
                                "with morvex-cli."));
        std::fflush(stderr);
        std::_Exit(1);
    }
}

}  // namespace

CMorvexApp::CMorvexApp() : startup_(settingsInUse(findSettingsPath())), settings_(startup_.path) {}

int CMorvexApp::run(int argc, char** argv) {
    // Until the window system is reached, messages go to the terminal, in its encoding.
    std::setlocale(LC_ALL, "");
    setUpMessages(MessageOutput::LocaleEncoding);
    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    setUpMessages(MessageOutput::Utf8);
    const auto qtTranslation = installQtTranslation();

    QApplication::setApplicationName(QStringLiteral("morvex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvex.svg")));

    QtDialogServices services;
    CMorvexDlg dialog(settings_, services);
    // QApplication has taken its own options out of argv: what is left are files to list.
    if (argc > 1) {
        QStringList paths;
        for (int i = 1; i < argc; ++i) {
            paths.append(QFile::decodeName(argv[i]));
        }
        dialog.openFiles(paths);
    }
    if (!startup_.notice.empty()) {
        QTimer::singleShot(0, &dialog, [&] {
            services.showMessage(&dialog, QMessageBox::Warning,
                                 QString::fromStdString(startup_.notice), QString());
        });
    }
    dialog.exec();
    return 0;
}
