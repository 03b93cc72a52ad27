#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
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
        const std::string header = ce2build::header({});
        const std::string wire = line(kWire, 0, 10, 10, 100, 10);
        Comment large;
        large.x = 50;
        large.y = 50;
        large.sizeClass = 1;
        large.text = "R1";
        Comment small = large;
        small.sizeClass = 0;
        writeBytes(dir_.filePath("good.ce2"), header + wire + comment(large) + comment(small));
        writeBytes(dir_.filePath("one.ce2"), header + wire);
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
