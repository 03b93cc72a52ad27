// Renders the main dialog, with a few files listed, into a PNG for the documentation:
//   morvex_screenshot OUTPUT.png
// Run it with QT_QPA_PLATFORM=offscreen; it uses the IPA P Gothic font when installed.
#include <QApplication>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <cstdio>

#include "app/core/settings.h"
#include "app/gui/morvex_dlg.h"
#include "dialog_driver.h"
#include "scripted_dialogs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: morvex_screenshot OUTPUT.png\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))) {
        QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    }
    QTemporaryDir dir;  // no settings file: the fields show the defaults
    ProfileFile settings(dir.filePath(QStringLiteral("MORVEX.INI")).toStdString());
    ScriptedDialogs dialogs;
    CMorvexDlg dlg(settings, dialogs);
    dialog_driver::dropPaths(dlg, {"/home/user/回路図/電源部.ce2", "/home/user/回路図/amp.CE2",
                                   "/home/user/回路図/cpu_board.ce2"});
    dlg.show();
    QApplication::processEvents();  // lets the list lay out its entries
    return dlg.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
