#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/gui/ce2_file_dlg.h"
#include "app/gui/face_chooser_dlg.h"
#include "app/gui/qt_dialog_services.h"
#include "modal_dialogs.h"

namespace {

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Every file and folder below dir, relative to it.
QStringList everythingIn(const QString& dir) {
    QStringList names;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        names.append(QDir(dir).relativeFilePath(it.next()));
    }
    return names;
}

QStringList shownNames(FileDlg& dialog) {
    auto* view = dialog.findChild<QListView*>("entries");
    const QModelIndex root = view->rootIndex();
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        names.append(view->model()->index(row, 0, root).data().toString());
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

}  // namespace

class Ce2FileDlgTest : public QObject {
    Q_OBJECT

  public:
    explicit Ce2FileDlgTest(QString configHome) : configHome_(std::move(configHome)) {}

  private:
    QString configHome_;  // $XDG_CONFIG_HOME of this process, empty at the start
    QTemporaryDir dir_;

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).mkdir("sub");
        for (const char* name : {"a.ce2", "B.CE2", "c.Ce2", "d.txt", "e.ce2.bak", "sub/f.ce2"}) {
            touch(dir_.filePath(name));
        }
    }

    void showsFoldersAndCe2FilesInAnyCase() {
        Ce2FileDlg dialog(dir_.path());
        QTRY_COMPARE(shownNames(dialog), QStringList({"a.ce2", "B.CE2", "c.Ce2", "sub"}));
        QCOMPARE(dialog.folder(), dir_.path());
    }

    // Saving names one file: a name without an extension gets the one of the type, a folder's
    // name opens the folder, and a file that exists is replaced only on a second confirmation.
    void saveDialogNamesOneFileAndAsksBeforeReplacing() {
        FileDlg dialog(FileDlg::Purpose::Save, dir_.path(), "SVG (*.svg)", "*.svg");
        QTRY_COMPARE(shownNames(dialog), QStringList({"sub"}));
        const QString sub = dir_.filePath("sub");
        const struct {
            QString typed;
            bool accepted;
            QString folder;
            QString selected;
        } steps[] = {
            {"sub", false, sub, {}},
            {"\"x.svg\" \"y.svg\"", false, sub, {}},
            {"f.ce2", false, sub, {}},  // exists: told, not yet replaced
            {"f.ce2", true, sub, dir_.filePath("sub/f.ce2")},
            {"drawing", true, sub, dir_.filePath("sub/drawing.svg")},
        };
        for (const auto& step : steps) {
            dialog.setResult(QDialog::Rejected);
            dialog.setName(step.typed);
            dialog.accept();
            QCOMPARE(dialog.result() == QDialog::Accepted, step.accepted);
            QCOMPARE(dialog.folder(), step.folder);
            if (step.accepted) {
                QCOMPARE(dialog.selectedFiles(), QStringList{step.selected});
            }
        }
    }

    // Picking a folder shows folders alone; no name picks the folder shown, a subfolder's name
    // that subfolder, and a file's name or several names nothing.
    void folderDialogPicksTheFolderShownOrASubfolder() {
        FileDlg dialog(FileDlg::Purpose::Folder, dir_.path(), QString(), QString());
        QTRY_COMPARE(shownNames(dialog), QStringList({"sub"}));
        const struct {
            QString typed;
            bool accepted;
            QString selected;
        } steps[] = {
            {"a.ce2", false, {}},
            {"\"sub\" \"sub\"", false, {}},
            {"sub", true, dir_.filePath("sub")},
            {"", true, dir_.path()},
        };
        for (const auto& step : steps) {
            dialog.setResult(QDialog::Rejected);
            dialog.setName(step.typed);
            dialog.accept();
            QCOMPARE(dialog.result() == QDialog::Accepted, step.accepted);
            QCOMPARE(dialog.folder(), dir_.path());  // picking never moves into a folder
            if (step.accepted) {
                QCOMPARE(dialog.selectedFiles(), QStringList{step.selected});
            }
        }
    }

    // The file dialogs and the font chooser of the program, run as the user runs them, leave
    // nothing in the configuration folder, and the next open-file dialog opens where the
    // last one was confirmed.
    void dialogsWriteNoSettings() {
        QtDialogServices services;
        modal_dialogs::onNext<Ce2FileDlg>([&](Ce2FileDlg& dialog) {
            dialog.setFolder(dir_.filePath("sub"));
            dialog.findChild<QLineEdit*>("names")->setText("f.ce2");
            modal_dialogs::pressAccept(dialog, QDialogButtonBox::Open);
        });
        QCOMPARE(services.chooseCe2Files(nullptr), QStringList{dir_.filePath("sub/f.ce2")});
        QString reopenedIn;
        modal_dialogs::onNext<Ce2FileDlg>([&](Ce2FileDlg& dialog) {
            reopenedIn = dialog.folder();
            dialog.reject();
        });
        QCOMPARE(services.chooseCe2Files(nullptr), std::nullopt);
        QCOMPARE(reopenedIn, dir_.filePath("sub"));

        // The folder picker and the report's save dialog are the program's file dialog too; a
        // report named without an extension gets ".csv".
        modal_dialogs::onNext<FileDlg>([&](FileDlg& dialog) {
            dialog.setName("sub");
            modal_dialogs::pressAccept(dialog, QDialogButtonBox::Open);
        });
        QCOMPARE(services.chooseFolder(nullptr, dir_.path()), dir_.filePath("sub"));
        modal_dialogs::onNext<FileDlg>([&](FileDlg& dialog) {
            QCOMPARE(dialog.folder(), dir_.filePath("sub"));
            dialog.setName("report");
            modal_dialogs::pressAccept(dialog, QDialogButtonBox::Save);
        });
        QCOMPARE(services.chooseReportFile(nullptr, dir_.filePath("sub/morvex-report.csv")),
                 dir_.filePath("sub/report.csv"));

        modal_dialogs::onNext<FaceChooserDlg>([](FaceChooserDlg& chooser) {
            modal_dialogs::pressAccept(chooser, QDialogButtonBox::Ok);
        });
        QFont initial;
        initial.setFamily("Verdana");
        initial.setPixelSize(10);
        const auto chosen = services.chooseFont(nullptr, initial);
        QVERIFY(chosen.has_value());
        QCOMPARE(chosen->family(), QStringLiteral("Verdana"));
        QCOMPARE(chosen->pointSize(), 8);

        QCOMPARE(everythingIn(configHome_), QStringList());
    }

    // The check above can fail: Qt's own file dialog stores its history in this folder.
    void qtFileDialogWouldWriteItsSettingsHere() {
        {
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
        }
        QVERIFY(!everythingIn(configHome_).isEmpty());
    }
};

int main(int argc, char** argv) {
    // Qt reads the configuration folder once, so it is set before anything starts.
    QTemporaryDir configHome;
    if (!configHome.isValid()) {
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    Ce2FileDlgTest test(configHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "ce2_file_dlg_test.moc"
