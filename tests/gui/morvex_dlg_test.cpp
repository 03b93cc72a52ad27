#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/about_dlg.h"
#include "app/gui/morvex_app.h"
#include "app/gui/morvex_dlg.h"
#include "app/gui/work_area.h"
#include "dialog_driver.h"
#include "scripted_dialogs.h"

using namespace dialog_driver;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class MorvexDlgTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    std::string settingsPath() const { return dir_.filePath("MORVEX.INI").toStdString(); }

  private slots:
    void controlsInTemplateOrderWithTheirTexts() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("MORVEX"));
        QCOMPARE(dlg.metaObject()->className(), "CMorvexDlg");

        const struct {
            const char* type;
            QString text;
        } expected[] = {
            {"QPushButton", QStringLiteral("OK")},
            {"QPushButton", QStringLiteral("終了")},
            {"QLabel", QStringLiteral("コメントの大きいフォントを右のものに置換")},
            {"QLineEdit", QString()},
            {"QLineEdit", QString()},
            {"QPushButton", QStringLiteral("設定(&L)...")},
            {"QLabel", QStringLiteral("コメントの小さいフォントを右のものに置換")},
            {"QLineEdit", QString()},
            {"QLineEdit", QString()},
            {"QPushButton", QStringLiteral("設定(&S)...")},
            {"QListWidget", QString()},
            {"QPushButton", QStringLiteral("参照(&R)...")},
            {"PreviewPane", QString()},  // after the template's controls
        };
        QList<QWidget*> controls;
        for (QObject* child : dlg.children()) {
            if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) {
                controls.append(widget);
            }
        }
        QCOMPARE(controls.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QCOMPARE(controls[i]->metaObject()->className(), expected[i].type);
            if (!expected[i].text.isNull()) {
                QCOMPARE(controls[i]->property("text").toString(), expected[i].text);
            }
        }
        QVERIFY(button(dlg, "ok")->isDefault());
        for (const char* name : {"largeFace", "largeSize", "smallFace", "smallSize"}) {
            QVERIFY(field(dlg, name)->isReadOnly());
        }
        const auto* list = dlg.findChild<QListWidget*>(QStringLiteral("files"));
        // One entry at a time can be selected, for the preview.
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    }

    void arrangementFollowsTheTemplate() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        const QRect list = dlg.findChild<QListWidget*>(QStringLiteral("files"))->geometry();
        const QRect ok = button(dlg, "ok")->geometry();
        const QRect exit = button(dlg, "exit")->geometry();
        const QRect browse = button(dlg, "browse")->geometry();
        const QRect largeFace = field(dlg, "largeFace")->geometry();
        const QRect smallFace = field(dlg, "smallFace")->geometry();
        const QRect smallButton = button(dlg, "smallFont")->geometry();

        // Buttons in one column right of the list, font rows below it, all inside the dialog.
        QVERIFY(ok.left() > list.right());
        QCOMPARE(exit.left(), ok.left());
        QCOMPARE(browse.left(), ok.left());
        QVERIFY(ok.bottom() < exit.top() && exit.bottom() < browse.top());
        QVERIFY(largeFace.top() > list.bottom());
        QVERIFY(smallFace.top() > largeFace.bottom());
        QVERIFY(QRect(QPoint(0, 0), dlg.size()).contains(smallButton));
        // Proportions of the template: 230 of 294 units wide, 80 of 135 high. The template fills
        // the dialog's width and its top; the preview lies below it, inside the dialog.
        const QRect area = dlg.templateRect();
        QCOMPARE(area.topLeft(), QPoint(0, 0));
        QCOMPARE(area.width(), dlg.width());
        QVERIFY(qAbs(double(list.width()) / area.width() - 230.0 / 294) < 0.02);
        QVERIFY(qAbs(double(list.height()) / area.height() - 80.0 / 135) < 0.02);
        for (const QRect& control : {list, ok, exit, browse, largeFace, smallFace, smallButton}) {
            QVERIFY(area.contains(control));
        }
        const QRect preview = dlg.findChild<QWidget*>(QStringLiteral("preview"))->geometry();
        QVERIFY(preview.top() >= area.bottom());
        QCOMPARE(preview.left(), list.left());
        QVERIFY(QRect(QPoint(0, 0), dlg.size()).contains(preview));
        // The captions fit into their room.
        for (auto* label : dlg.findChildren<QLabel*>()) {
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        }
    }

    // The dialog grows and shrinks; the template's controls stay where they are and the preview
    // takes the difference.
    void previewTakesWhatTheDialogGrowsBy() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        dlg.show();  // a hidden widget gets its resize events only when shown
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QList<QRect> controls;
        QWidget* preview = dlg.findChild<QWidget*>(QStringLiteral("preview"));
        for (auto* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child != preview) {
                controls.append(child->geometry());
            }
        }
        const QSize initial = dlg.size();
        const QRect pane = preview->geometry();
        QVERIFY(dlg.minimumSize().width() == initial.width() &&
                dlg.minimumSize().height() < initial.height());
        for (const QSize change : {QSize(200, 150), QSize(0, -40), QSize(0, 0)}) {
            dlg.resize(initial + change);
            QCOMPARE(dlg.size(), initial + change);
            QCOMPARE(preview->geometry(), QRect(pane.topLeft(), pane.size() + change));
            QList<QRect> now;
            for (auto* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child != preview) {
                    now.append(child->geometry());
                }
            }
            QCOMPARE(now, controls);
        }
    }

    // A window is moved, and shrunk where it is larger, until it lies with its frame inside the
    // work area; the title bar stays on the screen first.
    void windowsArePlacedInsideTheWorkArea() {
        const QMargins frame(2, 30, 2, 2);
        const struct {
            QRect client, area, placed;
        } rows[] = {
            {{100, 100, 400, 300}, {0, 0, 1366, 768}, {100, 100, 400, 300}},
            {{100, 600, 400, 300}, {0, 0, 1366, 768}, {100, 466, 400, 300}},
            {{100, 100, 400, 900}, {0, 0, 1366, 768}, {100, 30, 400, 736}},
            {{-50, -10, 400, 300}, {0, 0, 1366, 768}, {2, 30, 400, 300}},
            {{1200, 100, 1500, 300}, {0, 0, 1366, 768}, {2, 100, 1362, 300}},
            // A second screen right of the first, with a task bar at its top.
            {{100, 100, 400, 300}, {1366, 40, 1280, 984}, {1368, 100, 400, 300}},
            {{1400, 0, 400, 300}, {1366, 40, 1280, 984}, {1400, 70, 400, 300}},
        };
        for (const auto& row : rows) {
            QCOMPARE(placedInside(row.client, frame, row.area), row.placed);
        }
    }

    void fontFieldsComeFromTheSettingsFile() {
        // FACE of LARGE_FONT in CP932: the full-width "ＭＳ" followed by " 明朝".
        writeBytes(dir_.filePath("MORVEX.INI"),
                   "[LARGE_FONT]\r\nFACE=\x82\x6C\x82\x72 \x96\xBE\x92\xA9\r\nSIZE=14\r\n"
                   "[small_font]\r\nface = Arial \r\nsize=9pt\r\n");
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(field(dlg, "largeSize")->text(), QStringLiteral("14"));
        QCOMPARE(field(dlg, "smallFace")->text(), QStringLiteral("Arial"));
        QCOMPARE(field(dlg, "smallSize")->text(), QStringLiteral("9"));
        QVERIFY(QFile::remove(dir_.filePath("MORVEX.INI")));
    }

    void fontFieldsDefaultWithoutCreatingTheFile() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(field(dlg, "largeSize")->text(), QStringLiteral("12"));
        QCOMPARE(field(dlg, "smallFace")->text(), QStringLiteral("Verdana"));
        QCOMPARE(field(dlg, "smallSize")->text(), QStringLiteral("8"));
        QVERIFY(!QFile::exists(dir_.filePath("MORVEX.INI")));
    }

    void dropsReplaceTheListWithTheirCe2Files() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        const auto local = [](const char* path) {
            return QUrl::fromLocalFile(QString::fromUtf8(path));
        };
        // One drop after the other on the same dialog: what each drop leaves in the list.
        const struct {
            QList<QUrl> dropped;
            bool taken;
            QStringList listed;
        } steps[] = {
            {{local("/w/c.txt"), local("/w/b.CE2"), local("/w/a.ce2")},
             true,
             {"/w/a.ce2", "/w/b.CE2"}},
            {{local("/w/c.txt")}, true, {}},
            {{local("/w/x.ce2"), local("/w/x.ce2")}, true, {"/w/x.ce2", "/w/x.ce2"}},
            {{local("/w/x.ce2")}, true, {"/w/x.ce2"}},
            {{local("/w/archive.ce2.bak"), local("/w/A.Ce2"), local("/w/dir.ce2/notes")},
             true,
             {"/w/A.Ce2"}},
            // Nothing that is a local file: the list stays as it was.
            {{QUrl("https://example.org/y.ce2"), QUrl("file://elsewhere/y.ce2")},
             false,
             {"/w/A.Ce2"}},
            {{}, false, {"/w/A.Ce2"}},
            // Sorted without regard to case; names are taken as they are spelt.
            {{local("/w/b.ce2"), QUrl("file://localhost/w/C%20d.ce2"), local("/w/a.CE2"),
              local("/w/日本語.ce2"), local("/w/.ce2")},
             true,
             {"/w/.ce2", "/w/a.CE2", "/w/b.ce2", "/w/C d.ce2", "/w/日本語.ce2"}},
        };
        for (const auto& step : steps) {
            QCOMPARE(drop(dlg, step.dropped), step.taken);
            QCOMPARE(listed(dlg), step.listed);
        }
    }

    // The files a file manager opens the program with are listed as a drop of them would be,
    // relative paths taken from the current directory.
    void filesGivenAtStartAreListed() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        dlg.openFiles({QStringLiteral("/w/b.CE2"), QStringLiteral("notes.txt"),
                       QStringLiteral("sub/a.ce2"), QStringLiteral("/w/archive.ce2.bak")});
        // The list's order depends on where the test runs: both sides are compared sorted.
        QStringList expected{QStringLiteral("/w/b.CE2"),
                             QDir::current().absoluteFilePath("sub/a.ce2")};
        QStringList shown = listed(dlg);
        expected.sort();
        shown.sort();
        QCOMPARE(shown, expected);
    }

    void dragsAreOfferedOnlyWithLocalFiles() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        for (const auto& [urls, wanted] :
             {std::pair{QList<QUrl>{QUrl::fromLocalFile("/w/c.txt")}, true},
              std::pair{QList<QUrl>{QUrl("https://example.org/a.ce2")}, false}}) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            static_cast<QObject&>(dlg).event(&event);
            QCOMPARE(event.isAccepted(), wanted);
        }
    }

    void confirmedBrowseReplacesTheList() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        dropPaths(dlg, {"/w/old.ce2"});
        dialogs.filesToChoose = std::nullopt;
        action(dlg, "browseFiles")->trigger();
        QCOMPARE(listed(dlg), QStringList{"/w/old.ce2"});
        dialogs.filesToChoose = QStringList{"/w/Zeta.CE2", "/w/alpha.ce2", "/w/alpha.ce2"};
        action(dlg, "browseFiles")->trigger();
        QCOMPARE(listed(dlg), (QStringList{"/w/alpha.ce2", "/w/alpha.ce2", "/w/Zeta.CE2"}));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("MORVEX - 3 ファイル"));
    }

    // Browse offers files and folders; a folder lists the .ce2 files below it, and the title
    // counts them.
    void browsedFolderListsItsFiles() {
        const QString folder = dir_.filePath("図面");
        QVERIFY(QDir().mkpath(folder + "/sub"));
        for (const char* name : {"a.ce2", "B.CE2", "sub/c.ce2", "notes.txt"}) {
            writeBytes(folder + "/" + name, "x");
        }
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("MORVEX"));
        const QList<QAction*> ways = button(dlg, "browse")->menu()->actions();
        QCOMPARE(ways.size(), 2);
        QCOMPARE(ways[0]->text(), QStringLiteral("ファイルを選択(&F)..."));
        QCOMPARE(ways[1]->text(), QStringLiteral("フォルダーを選択(&O)..."));
        // Cancelled: nothing changes.
        ways[1]->trigger();
        QVERIFY(listed(dlg).isEmpty());
        QCOMPARE(dialogs.folderDialogsOpenedOn, std::vector<QString>{QDir::currentPath()});
        dialogs.folderToChoose = folder;
        ways[1]->trigger();
        QCOMPARE(listed(dlg),
                 (QStringList{folder + "/a.ce2", folder + "/B.CE2", folder + "/sub/c.ce2"}));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("MORVEX - 3 ファイル"));
        // The next folder dialog opens where the listed files are.
        ways[1]->trigger();
        QCOMPARE(dialogs.folderDialogsOpenedOn.back(), folder);
    }

    void aboutItemIsLastAfterASeparator() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        const auto menu = dlg.createContextMenu();
        const QList<QAction*> actions = menu->actions();
        QVERIFY(actions.size() >= 2);
        QVERIFY(actions[actions.size() - 2]->isSeparator());
        QCOMPARE(actions.last()->text(), QStringLiteral("MORVEXのバージョン情報(&A)..."));
        actions.last()->trigger();
        QCOMPARE(dialogs.aboutRuns, 1);
    }

    void aboutBoxShowsNameVersionPurposeAndLicence() {
        CMorvexAboutDlg about;
        QStringList texts;
        for (const auto* label : about.findChildren<QLabel*>()) {
            texts.append(label->text());
        }
        QVERIFY(texts.contains(QStringLiteral("MORVEX")));
        QVERIFY(texts.join('\n').contains(QStringLiteral(MORVEX_VERSION)));
        QVERIFY(texts.contains(QStringLiteral("MIT License")));
        QVERIFY(!QIcon(QStringLiteral(":/morvex.svg")).pixmap(32, 32).isNull());
        auto* ok = about.findChild<QPushButton*>();
        QVERIFY(ok);
        about.show();
        ok->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }

    void escapeEndsTheDialogAndEnterConverts() {
        ProfileFile settings(settingsPath());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dropPaths(dlg, {dir_.filePath("missing.ce2")});
        QTest::keyClick(&dlg, Qt::Key_Return);
        QTRY_COMPARE(dialogs.results.size(), std::size_t{1});
        QVERIFY(dlg.isVisible());
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void applicationUsesTheSettingsFileOfTheCurrentDirectory() {
        writeBytes(dir_.filePath("MORVEX.INI"), "[LARGE_FONT]\r\n");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        const CMorvexApp app;
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(QString::fromStdString(app.settingsPath()),
                 QDir(dir_.path()).absoluteFilePath("MORVEX.INI"));
        QVERIFY(QFile::remove(dir_.filePath("MORVEX.INI")));
    }
};

QTEST_MAIN(MorvexDlgTest)
#include "morvex_dlg_test.moc"
