// Renders the main dialog, with a few files listed and the demo drawing selected for the preview,
// into a PNG for the documentation:
//   morvex_screenshot DEMO.ce2 OUTPUT.png
// Run it with QT_QPA_PLATFORM=offscreen; it uses the IPA P Gothic font when installed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/morvex_dlg.h"
#include "app/gui/preview_pane.h"
#include "dialog_driver.h"
#include "scripted_dialogs.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: morvex_screenshot DEMO.ce2 OUTPUT.png\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))) {
        QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    }
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("回路図-XXXXXX")));
    const QString demo = dir.filePath(QStringLiteral("電源部.ce2"));
    if (!dir.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[1]), demo)) {
        std::fputs("morvex_screenshot: cannot copy the demo drawing\n", stderr);
        return 1;
    }
    // No settings file: the fields show the defaults.
    ProfileFile settings(dir.filePath(QStringLiteral("MORVEX.INI")).toStdString());
    ScriptedDialogs dialogs;
    CMorvexDlg dlg(settings, dialogs);
    dialog_driver::dropPaths(dlg, {dir.filePath(QStringLiteral("amp.CE2")), demo,
                                   dir.filePath(QStringLiteral("cpu_board.ce2"))});
    dlg.show();
    auto* preview = dlg.findChild<PreviewPane*>(QStringLiteral("preview"));
    QSignalSpy shown(preview, &PreviewPane::shown);
    auto* files = dlg.findChild<QListWidget*>(QStringLiteral("files"));
    files->setCurrentItem(files->findItems(demo, Qt::MatchExactly).value(0));
    if (!shown.wait(10000)) {
        std::fputs("morvex_screenshot: the preview did not appear\n", stderr);
        return 1;
    }
    QApplication::processEvents();  // lets the list and the preview lay out and paint
    return dlg.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
