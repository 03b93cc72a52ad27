#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>
#include <vector>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/batch_message.h"
#include "app/gui/batch_progress.h"
#include "app/gui/morvex_dlg.h"
#include "ce2_builder/ce2_builder.h"
#include "ce3/ce3_writer.h"
#include "dialog_driver.h"
#include "scripted_dialogs.h"

using namespace dialog_driver;

namespace {

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The CE3 text of one string field, as the writer escapes it.
QByteArray ce3Field(const char* key, const std::string& value) {
    std::string text;
    Ce3Writer writer(&text);
    writer.writeStringField(key, value);
    return QByteArray::fromStdString(text);
}

// A drawing that converts whole: a wire and two comments.
std::string wholeDrawing() {
    using namespace ce2build;
    Comment large;
    large.x = 50;
    large.y = 50;
    large.sizeClass = 1;
    large.text = "R1";
    Comment small = large;
    small.sizeClass = 0;
    return header({}) + line(kWire, 0, 10, 10, 100, 10) + comment(large) + comment(small);
}

// Where a widget lies on the screen.
QRect onScreen(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// The work area of the screen the tests run on, checked to be the virtual screen that the test's
// platform configuration gives: 768 pixels high, whatever the scale.
QRect workArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    return qRound(area.height() * screen->devicePixelRatio()) == 768 ? area : QRect();
}

}  // namespace

class MorvexDlgConvertTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

  private slots:
    void okWithAnEmptyListDoesNothing() {
        ProfileFile settings(dir_.filePath("MORVEX.INI").toStdString());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        button(dlg, "ok")->click();
        QVERIFY(dialogs.messages.empty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!QFile::exists(dir_.filePath("MORVEX.INI")));
    }

    void okConvertsTheListAndReportsOnce() {
        using namespace ce2build;
        writeBytes(dir_.filePath("good.ce2"), wholeDrawing());
        writeBytes(dir_.filePath("one.ce2"), header({}) + line(kWire, 0, 10, 10, 100, 10));
        const QString missing = dir_.filePath("missing.CE2");

        // A small face whose bytes are no CP932 text still reaches the drawing unchanged.
        const std::string oddFace = "Ab\x82\xFF";
        writeBytes(dir_.filePath("MORVEX.INI"),
                   "[SMALL_FONT]\r\nFACE=" + oddFace + "\r\nSIZE=9\r\n");
        ProfileFile settings(dir_.filePath("MORVEX.INI").toStdString());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        dropPaths(dlg, {dir_.filePath("one.ce2"), missing, dir_.filePath("good.ce2")});
        button(dlg, "ok")->click();

        QVERIFY(dialogs.messages.empty());
        QCOMPARE(dialogs.results.size(), std::size_t{1});
        const auto& result = dialogs.results.front();
        // Some files failed: a warning, the summary first, then every file, failures first.
        QCOMPARE(result.severity, BatchSeverity::Warning);
        QVERIFY(!result.waitCursorShown);
        QCOMPARE(result.suggestedReport, dir_.filePath("morvex-report.csv"));
        const QStringList lines = result.message.split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0],
                 QStringLiteral("1 ファイルを変換しました。2 ファイルは変換できませんでした。"));
        QCOMPARE(lines.mid(2, 4).join('\n'),
                 QStringLiteral("変換が完了しました。\n"
                                "生成したのはライブラリ情報なしの.CE3ファイルです。\n"
                                "最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定して"
                                "ください。\n"
                                "Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイル"
                                "になります。"));
        QCOMPARE(result.rows.size(), 3);
        QVERIFY(result.rows[0].startsWith(dir_.filePath("missing.CE2") + ": "));
        QVERIFY(result.rows[1].startsWith(dir_.filePath("one.ce2") + ": "));
        QVERIFY(result.rows[2].startsWith(dir_.filePath("good.ce2") + " -> "));

        // Each comment got the font of its row: the default large face in CP932 at 12 points
        // as 16 units, the small face of the settings at 9 points as 12 units.
        const QByteArray written = readBytes(dir_.filePath("good.ce3"));
        QVERIFY(written.startsWith("+TOVR3_DATA_V.1.0"));
        QVERIFY(written.contains(ce3Field("FN", kDefaultLargeFace) + ",FS:16"));
        QVERIFY(written.contains(ce3Field("FN", oddFace) + ",FS:12"));
        QVERIFY(!QFile::exists(dir_.filePath("one.ce3")));
        QVERIFY(!QFile::exists(dir_.filePath("missing.ce3")));
        QCOMPARE(listed(dlg).size(), 3);  // the list stays as it was
    }

    // 200 files, 21 of which cannot be read: the main dialog and the result lie inside the work
    // area with the result's message and OK; the result holds every file, failures first, and
    // filters, copies and saves them; the report saved is the CLI's to the byte.
    void resultOfALargeBatchFitsTheScreenAndHoldsEveryFile() {
        const QRect area = workArea();
        QVERIFY2(!area.isEmpty(), "not run on the 1366 x 768 screen of the test's configuration");
        const QString folder = dir_.filePath("大きな一括");
        QVERIFY(QDir().mkpath(folder));
        QStringList paths;
        QStringList missing;
        for (int i = 0; i < 200; ++i) {
            const QString path =
                folder + QStringLiteral("/図面%1.ce2").arg(i, 3, 10, QLatin1Char('0'));
            paths.append(path);
            if (i % 9 == 0 && i <= 180) {
                missing.append(path);
            } else {
                writeBytes(path, wholeDrawing());
            }
        }
        QCOMPARE(missing.size(), 21);
        ProfileFile settings(QDir(folder).filePath("MORVEX.INI").toStdString());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QVERIFY(dropPaths(dlg, paths));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY2(area.contains(dlg.frameGeometry()),
                 qPrintable(QStringLiteral("%1 x %2").arg(dlg.width()).arg(dlg.height())));

        const QString report = QDir(folder).filePath("morvex-report.csv");
        bool shown = false;
        dialogs.onResultShown = [&](BatchResultDlg& result) {
            shown = true;
            QVERIFY2(
                area.contains(result.frameGeometry()),
                qPrintable(QStringLiteral("%1 x %2").arg(result.width()).arg(result.height())));
            auto* message = result.findChild<QLabel*>("message");
            auto* ok = result.findChild<QPushButton*>("ok");
            QVERIFY(area.contains(onScreen(*message)) && area.contains(onScreen(*ok)));
            QVERIFY(message->height() >= message->heightForWidth(message->width()));
            QCOMPARE(
                message->text().section('\n', 0, 0),
                QStringLiteral("179 ファイルを変換しました。21 ファイルは変換できませんでした。"));
            QVERIFY(ok->isDefault());

            auto* rows = result.findChild<QListWidget*>("rows");
            QCOMPARE(rows->count(), 200);
            for (int i = 0; i < 21; ++i) {
                QVERIFY(rows->item(i)->text().startsWith(missing[i] + ": "));
            }
            QVERIFY(rows->item(21)->text().startsWith(paths[1] + " -> "));
            auto* filter = result.findChild<QComboBox*>("filter");
            QStringList filters;
            for (int i = 0; i < filter->count(); ++i) {
                filters.append(filter->itemText(i));
            }
            QCOMPARE(filters, (QStringList{"すべてのファイル (200)", "変換できず (21)",
                                           "すべて変換 (179)"}));
            filter->setCurrentIndex(1);
            QCOMPARE(rows->count(), 21);
            QCOMPARE(result.filter(), ResultFilter(ResultGroup::NotConverted));
            result.findChild<QPushButton*>("copy")->click();
            const QString copied = QGuiApplication::clipboard()->text();
            QVERIFY(copied.startsWith(message->text() + '\n'));
            QCOMPARE(copied.count(folder), 21);

            dialogs.reportFileToChoose = report;
            result.findChild<QPushButton*>("saveReport")->click();
            QCOMPARE(dialogs.reportDialogsOpenedOn.back(), report);
            QVERIFY(dialogs.messages.empty());
        };
        button(dlg, "ok")->click();
        QVERIFY(shown);
        const QByteArray saved = readBytes(report);
        QCOMPARE(saved.count("\r\n"), 201);

        // The CLI converts the same files anew, as the dialog did.
        for (const QString& path : paths) {
            QFile::remove(path.chopped(4) + ".ce3");
        }
        QProcess cli;
        cli.setWorkingDirectory(folder);
        cli.start(
            QStringLiteral(MORVEX_CLI),
            QStringList{"--quiet", "--report", QDir(folder).filePath("cli.csv")} + listed(dlg));
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(readBytes(QDir(folder).filePath("cli.csv")), saved);
    }

    // The output folder chosen from the context menu receives the outputs, shows in the title and
    // is kept in the settings; its picker's Cancel keeps it, and the second item puts the outputs
    // beside their sources again.
    void outputFolderReceivesTheOutputs() {
        const QString sources = dir_.filePath("sources");
        const QString out = dir_.filePath("出力");
        QVERIFY(QDir().mkpath(sources));
        writeBytes(sources + "/good.ce2", wholeDrawing());
        const QString ini = sources + "/MORVEX.INI";
        ProfileFile settings(ini.toStdString());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        QVERIFY(dropPaths(dlg, {sources + "/good.ce2"}));
        QVERIFY(action(*dlg.createContextMenu(), "outputsBesideSources") == nullptr);

        dialogs.folderToChoose = out;
        action(*dlg.createContextMenu(), "outputFolder")->trigger();
        QCOMPARE(dialogs.folderDialogsOpenedOn.back(), sources);
        QCOMPARE(dlg.windowTitle(), "MORVEX - 1 ファイル - 出力先 " + out);
        // The write made the settings file: told for information.
        QCOMPARE(dialogs.messages.size(), std::size_t{1});
        QCOMPARE(dialogs.messages.back().icon, QMessageBox::Information);

        button(dlg, "ok")->click();
        QVERIFY(QFile::exists(out + "/good.ce3"));
        QVERIFY(!QFile::exists(sources + "/good.ce3"));
        QVERIFY(dialogs.results.empty());  // converted whole: the completion message alone
        QCOMPARE(dialogs.messages.size(), std::size_t{2});

        dialogs.folderToChoose.reset();
        action(*dlg.createContextMenu(), "outputFolder")->trigger();
        QCOMPARE(dialogs.folderDialogsOpenedOn.back(), out);
        QCOMPARE(dlg.windowTitle(), "MORVEX - 1 ファイル - 出力先 " + out);

        action(*dlg.createContextMenu(), "outputsBesideSources")->trigger();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("MORVEX - 1 ファイル"));
        button(dlg, "ok")->click();
        QVERIFY(QFile::exists(sources + "/good.ce3"));
    }

    // A group without a file is not offered as a filter; Enter closes the result.
    void resultOffersGroupsWithFilesAndClosesOnEnter() {
        FileReport converted;
        converted.source = "/w/a.ce2";
        converted.outcome = FileOutcome::Converted;
        FileReport notStarted = converted;
        notStarted.outcome = FileOutcome::Cancelled;
        const BatchResult result({converted, notStarted, notStarted}, RunFiles{});
        ScriptedDialogs dialogs;
        BatchResultDlg dlg(result, QString(), dialogs);
        auto* filter = dlg.findChild<QComboBox*>("filter");
        QCOMPARE(filter->count(), 3);
        QCOMPARE(filter->itemText(2), QStringLiteral("未着手 (2)"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void progressAppearsOnlyAfterTheDelay() {
        QWidget parent;
        parent.show();
        {
            BatchProgress progress(&parent, 3);
            progress.update(1);
            QVERIFY(parent.findChild<QProgressDialog*>() == nullptr);
        }
        BatchProgress progress(&parent, 3, std::chrono::milliseconds(0));
        progress.update(1);
        auto* dialog = parent.findChild<QProgressDialog*>();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        constexpr int kFile = BatchProgress::kStepsPerFile;
        QCOMPARE(dialog->maximum(), 3 * kFile);
        QCOMPARE(dialog->value(), 1 * kFile);
        QVERIFY(dialog->labelText().contains(QStringLiteral("1 / 3")));
        progress.update(2);
        QCOMPARE(dialog->value(), 2 * kFile);
    }

    // The progress dialog's cancel button tells the batch to start no more files.
    void cancelButtonCancelsTheBatch() {
        QWidget parent;
        parent.show();
        BatchProgress progress(&parent, 3, std::chrono::milliseconds(0));
        QVERIFY(!progress.cancelled());
        progress.update(1);
        auto* dialog = parent.findChild<QProgressDialog*>();
        QVERIFY(dialog != nullptr);
        auto* cancel = dialog->findChild<QPushButton*>();
        QVERIFY(cancel != nullptr);
        QCOMPARE(cancel->text(), QStringLiteral("キャンセル"));
        QVERIFY(!progress.cancelled());
        cancel->click();
        QVERIFY(progress.cancelled());
        QVERIFY(progressCallbacksFor(progress).cancelled == &progress.cancelled());
    }

    // One long file: the dialog comes while it is converted, and the bar moves through its
    // stages: reading, then writing.
    void progressCoversOneLongFile() {
        QWidget parent;
        parent.show();
        BatchProgress progress(&parent, 2, std::chrono::milliseconds(0));
        progress.updateFile(1, FileStage::Reading, 0, 1000);
        auto* dialog = parent.findChild<QProgressDialog*>();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        const int file = BatchProgress::kStepsPerFile;
        const int read = BatchProgress::kReadingSteps;
        const int written = read + BatchProgress::kWritingSteps;
        const std::vector<std::tuple<FileStage, uint64_t, uint64_t, int>> steps = {
            {FileStage::Reading, 0, 1000, file},
            {FileStage::Reading, 500, 1000, file + read / 2},
            {FileStage::Writing, 0, 40, file + read},
            {FileStage::Writing, 20, 40, file + read + (written - read) / 2},
            {FileStage::Writing, 40, 40, 2 * file},
        };
        for (const auto& [stage, done, total, value] : steps) {
            progress.updateFile(1, stage, done, total);
            QCOMPARE(dialog->value(), value);
        }
        QCOMPARE(dialog->maximum(), 2 * file);
    }
};

QTEST_MAIN(MorvexDlgConvertTest)
#include "morvex_dlg_convert_test.moc"
