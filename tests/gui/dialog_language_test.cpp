#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <functional>

#include "app/core/conversion_text.h"
#include "app/core/dialog_messages.h"
#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/batch_message.h"
#include "app/gui/batch_result_dlg.h"
#include "app/gui/file_dlg.h"
#include "app/gui/morvex_dlg.h"
#include "platform/text.h"
#include "scripted_dialogs.h"

// Run once under a Japanese locale and once under the C locale (MORVEX_EXPECTED_LANGUAGE says
// which): MORVEX's own texts and Qt's follow the locale, the dialog's fixed texts do not.
class DialogLanguageTest : public QObject {
    Q_OBJECT

  private:
    bool japanese() const { return qEnvironmentVariable("MORVEX_EXPECTED_LANGUAGE") == "ja"; }

  private slots:
    void messagesFollowTheLocale() {
        QCOMPARE(QString::fromStdString(messageLanguage()),
                 japanese() ? QStringLiteral("ja") : QString());

        FileReport notRegular;
        notRegular.source = "/w/dir.ce2";
        notRegular.outcome = FileOutcome::NotRegularFile;
        FileReport gone;
        gone.source = "/w/gone.ce2";
        gone.outcome = FileOutcome::CannotOpen;
        gone.openError = ENOENT;
        FileReport tooFew;
        tooFew.source = "/w/one.ce2";
        tooFew.outcome = FileOutcome::TooFewElements;
        QTemporaryDir dir;
        ProfileFile settings(dir.filePath("MORVEX.INI").toStdString());
        ScriptedDialogs dialogs;
        CMorvexDlg dlg(settings, dialogs);
        const auto menu = dlg.createContextMenu();
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        const BatchResult result({gone}, RunFiles{});
        BatchResultDlg resultDlg(result, QString(), dialogs);
        FileDlg folderDlg(FileDlg::Purpose::Folder, dir.path(), QString(), QString());

        const struct {
            const char* what;
            std::function<QString()> shown;
            QString english;
            QString japanese;
        } cases[] = {
            {"a cancelled batch",
             [] {
                 return QString::fromStdString(cancelSummary({40, 10, 5, 1445}));
             },
             QStringLiteral("Cancelled: 50 files converted (10 of them in part), 5 could not be "
                            "converted, 1,445 not started."),
             QStringLiteral("キャンセルしました: 50 ファイルを変換（うち 10 ファイルは一部のみ）、"
                            "5 ファイルは変換できず、1,445 ファイルは未着手")},
            {"a batch's list", [] { return QString::fromStdString(dialogTitle(1500, "/out")); },
             QStringLiteral("MORVEX - 1,500 files - outputs to /out"),
             QStringLiteral("MORVEX - 1,500 ファイル - 出力先 /out")},
            {"a mixed batch's summary",
             [] {
                 return QString::fromStdString(batchSummary({2, 1, 2}));
             },
             QStringLiteral(
                 "3 files converted (1 of them in part). 2 files could not be converted."),
             QStringLiteral("3 ファイルを変換しました（うち 1 ファイルは一部のみ）。"
                            "2 ファイルは変換できませんでした。")},
            {"a batch converted whole and in part",
             [] {
                 return QString::fromStdString(batchSummary({1, 1, 0}));
             },
             QStringLiteral("2 files converted (1 of them in part)."),
             QStringLiteral("2 ファイルを変換しました（うち 1 ファイルは一部のみ）。")},
            {"a batch of which nothing was converted",
             [] {
                 return QString::fromStdString(batchSummary({0, 0, 2}));
             },
             QStringLiteral("None of the 2 files could be converted."),
             QStringLiteral("どのファイルも変換できませんでした（2 ファイル）。")},
            {"a batch's progress", [] { return QString::fromStdString(batchProgressLabel(1, 2)); },
             QStringLiteral("Converting: 1 of 2 files"), QStringLiteral("変換中: 1 / 2 ファイル")},
            {"a refused face",
             [] {
                 return QString::fromStdString(
                     faceRefusalMessage({FaceOutcome::HasControlCharacter, {}, "A\tB"}));
             },
             QStringLiteral("The font name “A\tB” holds control characters, so it cannot be used."),
             QStringLiteral("フォント名「A\tB」には制御文字が含まれているため、使えません。")},
            {"the dialog's own menu item", [&] { return menu->actions().first()->text(); },
             QStringLiteral("&Output Folder..."), QStringLiteral("出力先フォルダー(&O)...")},
            {"the result's button",
             [&] { return resultDlg.findChild<QPushButton*>("saveReport")->text(); },
             QStringLiteral("Save &Report..."), QStringLiteral("レポートを保存(&R)...")},
            {"the result's filter",
             [&] { return resultDlg.findChild<QComboBox*>("filter")->itemText(1); },
             QStringLiteral("Not converted (1)"), QStringLiteral("変換できず (1)")},
            {"the folder dialog", [&] { return folderDlg.windowTitle(); },
             QStringLiteral("Choose a Folder"), QStringLiteral("フォルダーの選択")},
            {"Qt's standard button",
             [&] { return buttons.button(QDialogButtonBox::Cancel)->text(); },
             QStringLiteral("Cancel"), QStringLiteral("キャンセル")},
            // Fixed texts are the same in every language.
            {"the about item", [&] { return menu->actions().last()->text(); },
             QStringLiteral("MORVEXのバージョン情報(&A)..."),
             QStringLiteral("MORVEXのバージョン情報(&A)...")},
            {"the completion message",
             [] { return QString::fromUtf8(kCompletionMessage).section('\n', 0, 0); },
             QStringLiteral("変換が完了しました。"), QStringLiteral("変換が完了しました。")},
        };
        for (const auto& c : cases) {
            QVERIFY2(c.shown() == (japanese() ? c.japanese : c.english), c.what);
        }
    }
};

QTEST_MAIN(DialogLanguageTest)
#include "dialog_language_test.moc"
