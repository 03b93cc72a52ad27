#include "app/gui/morvex_app.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
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

std::span<const ToolkitOption> qtOptions() {
    static constexpr ToolkitOption options[] = {
        {"platform", true},
        {"platformpluginpath", true},
        {"platformtheme", true},
        {"plugin", true},
        {"qwindowgeometry", true},
        {"geometry", true},
        {"qwindowtitle", true},
        {"title", true},
        {"qwindowicon", true},
        {"icon", true},
        {"session", true},
        {"style", true},
        {"stylesheet", true},
        {"display", true},
        {"name", true},
        {"reverse", false},
        {"widgetcount", false},
        {"nograb", false},
        {"dograb", false},
        {"sync", false},
    };
    return options;
}

CMorvexApp::CMorvexApp() : startup_(settingsInUse(findSettingsPath())), settings_(startup_.path) {}

int CMorvexApp::run(const char* program, const DialogArguments& arguments) {
    // Qt sees its own options alone, so that no path is taken for one of them.
    std::vector<std::string> qtArguments{program};
    qtArguments.insert(qtArguments.end(), arguments.toolkitArguments.begin(),
                       arguments.toolkitArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& argument : qtArguments) {
        qtArgv.push_back(argument.data());
    }
    qtArgv.push_back(nullptr);
    int argc = static_cast<int>(qtArguments.size());
    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(argc, qtArgv.data());
    qInstallMessageHandler(previousHandler);
    setUpMessages(MessageOutput::Utf8);
    const auto qtTranslation = installQtTranslation();

    QApplication::setApplicationName(QStringLiteral("morvex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvex.svg")));

    QtDialogServices services;
    CMorvexDlg dialog(settings_, services);
    if (!arguments.paths.empty()) {
        QStringList paths;
        for (const std::string& path : arguments.paths) {
            paths.append(QFile::decodeName(path.c_str()));
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
