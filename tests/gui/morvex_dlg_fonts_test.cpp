#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/font_choice.h"
#include "app/gui/morvex_dlg.h"
#include "dialog_driver.h"
#include "scripted_dialogs.h"

using namespace dialog_driver;

namespace {

QFont pointFont(const QString& family, double points) {
    QFont font(family);
    font.setPointSizeF(points);
    return font;
}

QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

class MorvexDlgFontsTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString iniPath() const { return dir_.filePath("MORVEX.INI"); }

  private slots:
    void cleanup() { QFile::remove(iniPath()); }

    void confirmedChoiceShowsAndWritesBothKeys_data() {
        QTest::addColumn<bool>("large");
        QTest::addColumn<QFont>("chosen");
        QTest::addColumn<int>("points");
        QTest::newRow("large, 14 points") << true << pointFont("DejaVu Sans", 14) << 14;
        QTest::newRow("large, 19 pixels") << true << pixelFont("DejaVu Sans", 19) << 14;
        QTest::newRow("small, 10.5 points") << false << pointFont("DejaVu Serif", 10.5) << 10;
        QTest::newRow("small, 16 pixels") << false << pixelFont("DejaVu Serif", 16) << 12;
    }

    void confirmedChoiceShowsAndWritesBothKeys() {
        QFETCH(bool, large);
        QFETCH(QFont, chosen);
        QFETCH(int, points);
        ProfileFile settings(iniPath().toStdString());
        ScriptedDialogs dialogs;
        dialogs.fontToChoose = chosen;
        CMorvexDlg dlg(settings, dialogs);
        button(dlg, large ? "largeFont" : "smallFont")->click();

        // The dialog opened on the stored face at points * 96 / 72 pixels.
        QCOMPARE(dialogs.fontDialogsOpenedOn.size(), std::size_t{1});
        const QFont& initial = dialogs.fontDialogsOpenedOn.front();
        QCOMPARE(initial.family(),
                 large ? QStringLiteral("ＭＳ Ｐゴシック") : QStringLiteral("Verdana"));
        QCOMPARE(initial.pixelSize(), large ? 16 : 10);

        const char* changed = large ? kLargeFontSection : kSmallFontSection;
        const char* kept = large ? kSmallFontSection : kLargeFontSection;
        QCOMPARE(field(dlg, large ? "largeFace" : "smallFace")->text(), chosen.family());
        QCOMPARE(field(dlg, large ? "largeSize" : "smallSize")->text(), QString::number(points));
        QCOMPARE(settings.readString(changed, kFaceKey, ""), chosen.family().toStdString());
        QCOMPARE(settings.readInt(changed, kSizeKey, -1), points);
        QCOMPARE(settings.readString(kept, kFaceKey, "none"), std::string("none"));
        QCOMPARE(settings.readInt(kept, kSizeKey, -1), -1);
        // The write made the settings file: the user is told once where it is.
        QCOMPARE(dialogs.messages.size(), std::size_t{1});
        QCOMPARE(dialogs.messages.front().icon, QMessageBox::Information);
        QVERIFY(dialogs.messages.front().text.endsWith(iniPath()));
        button(dlg, large ? "largeFont" : "smallFont")->click();
        QCOMPARE(dialogs.messages.size(), std::size_t{1});
    }

    void japaneseFaceIsStoredAsCp932() {
        ProfileFile settings(iniPath().toStdString());
        ScriptedDialogs dialogs;
        dialogs.fontToChoose = pointFont(QStringLiteral("ＭＳ 明朝"), 11);
        CMorvexDlg dlg(settings, dialogs);
        button(dlg, "largeFont")->click();
        QCOMPARE(settings.readString(kLargeFontSection, kFaceKey, ""),
                 std::string("\x82\x6C\x82\x72 \x96\xBE\x92\xA9"));
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("ＭＳ 明朝"));
    }

    void cancelledOrRefusedChoiceChangesNothing_data() {
        QTest::addColumn<std::optional<QFont>>("chosen");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("mentioned");  // in the message
        QTest::newRow("cancelled") << std::optional<QFont>() << 0 << QString();
        // "é" has no CP932 code.
        QTest::newRow("face outside CP932")
            << std::optional<QFont>(pointFont(QStringLiteral("Café Sans"), 12)) << 1
            << QStringLiteral("Café Sans");
        QTest::newRow("blank face") << std::optional<QFont>(pointFont(QStringLiteral("  "), 12))
                                    << 1 << QStringLiteral("空");
        QTest::newRow("face with a line break")
            << std::optional<QFont>(pointFont(QStringLiteral("Two\nLines"), 12)) << 1
            << QStringLiteral("Two\nLines");
    }

    void cancelledOrRefusedChoiceChangesNothing() {
        QFETCH(std::optional<QFont>, chosen);
        QFETCH(int, messages);
        QFETCH(QString, mentioned);
        ProfileFile settings(iniPath().toStdString());
        ScriptedDialogs dialogs;
        dialogs.fontToChoose = chosen;
        CMorvexDlg dlg(settings, dialogs);
        button(dlg, "smallFont")->click();
        QCOMPARE(field(dlg, "smallFace")->text(), QStringLiteral("Verdana"));
        QCOMPARE(field(dlg, "smallSize")->text(), QStringLiteral("8"));
        QVERIFY(!QFile::exists(iniPath()));
        QCOMPARE(dialogs.messages.size(), std::size_t(messages));
        if (messages > 0) {
            QCOMPARE(dialogs.messages.front().icon, QMessageBox::Warning);
            QVERIFY(dialogs.messages.front().text.contains(mentioned));
        }
    }

    void unwritableSettingsStillChangeTheFields() {
        // The settings file would lie below a regular file, which no write can create.
        QFile blocker(dir_.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ProfileFile settings(dir_.filePath("blocker/MORVEX.INI").toStdString());
        ScriptedDialogs dialogs;
        dialogs.fontToChoose = pointFont("DejaVu Sans", 20);
        CMorvexDlg dlg(settings, dialogs);
        button(dlg, "largeFont")->click();
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(field(dlg, "largeSize")->text(), QStringLiteral("20"));
        QCOMPARE(dialogs.messages.size(), std::size_t{1});
        QCOMPARE(dialogs.messages.front().icon, QMessageBox::Warning);
        QVERIFY(dialogs.messages.front().text.contains(QStringLiteral("blocker/MORVEX.INI")));
    }

    void sizesBetweenPointsAndPixels() {
        const struct {
            const char* sizeText;
            int pixels;  // -1: the font keeps its default size
        } opened[] = {{"12", 16}, {"8", 10},  {"9", 12},   {"10", 13},
                      {"0", -1},  {"-3", -1}, {"abc", -1}, {"7x", 9}};
        for (const auto& c : opened) {
            QCOMPARE(initialFont(QStringLiteral("Verdana"), c.sizeText).pixelSize(), c.pixels);
        }
        QCOMPARE(chosenPoints(pixelFont("A", 13)), 9);
        QCOMPARE(chosenPoints(pixelFont("A", 1)), 0);
        QCOMPARE(chosenPoints(pixelFont("A", 2147483647)), 1610612735);
        QCOMPARE(chosenPoints(pointFont("A", 11.9)), 11);
        QCOMPARE(chosenPoints(pointFont("A", 1e12)), 2147483647);
    }
};

QTEST_MAIN(MorvexDlgFontsTest)
#include "morvex_dlg_fonts_test.moc"
