#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/face_chooser_dlg.h"
#include "app/gui/morvex_dlg.h"
#include "app/gui/qt_dialog_services.h"
#include "dialog_driver.h"
#include "modal_dialogs.h"

using namespace dialog_driver;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The program's own choosers, with messages recorded instead of shown.
class RealChoosers : public QtDialogServices {
  public:
    QStringList messages;
    void showMessage(QWidget*, QMessageBox::Icon, const QString& text, const QString&) override {
        messages.append(text);
    }
};

}  // namespace

class FaceChooserTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString iniPath() const { return dir_.filePath("MORVEX.INI"); }

    // Clicks the font button of the main dialog and lets action answer the chooser; false when
    // no chooser appeared.
    static bool chooseThrough(CMorvexDlg& dlg, const char* button,
                              const std::function<void(FaceChooserDlg&)>& action) {
        bool shown = false;
        modal_dialogs::onNext<FaceChooserDlg>([&](FaceChooserDlg& chooser) {
            shown = true;
            action(chooser);
        });
        dialog_driver::button(dlg, button)->click();
        return shown;
    }

  private slots:
    void cleanup() { QFile::remove(iniPath()); }

    // Confirming the chooser without another family rewrites nothing: the settings file keeps
    // every byte, whatever the stored face is and whether it is installed.
    void confirmingUnchangedKeepsTheSettingsByteForByte_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::newRow("a face not installed here")
            << QByteArray("[LARGE_FONT]\r\nFACE=\x82\x6C\x82\x72 \x96\xBE\x92\xA9\r\nSIZE=12\r\n");
        QTest::newRow("spacing, comments, other lines, LF, no final line end") << QByteArray(
            "; fonts\n[large_font]\n  face = Verdana \n\nsize = 9\nnot a key\n"
            "[SMALL_FONT]\nFACE=x");
        QTest::newRow("bytes that are no CP932 text")
            << QByteArray("[LARGE_FONT]\r\nFACE=\x82\xFF\x41\r\nSIZE=10\r\n");
        QTest::newRow("a face longer than Windows keeps")
            << QByteArray("[LARGE_FONT]\r\nFACE=" + QByteArray(200, 'W') + "\r\nSIZE=72\r\n");
        QTest::newRow("commas and quotes")
            << QByteArray("[LARGE_FONT]\r\nFACE=Arial, \"Bold\" [x]\r\nSIZE=8\r\n");
        QTest::newRow("an empty face") << QByteArray("[LARGE_FONT]\r\nFACE=\r\nSIZE=12\r\n");
    }

    void confirmingUnchangedKeepsTheSettingsByteForByte() {
        QFETCH(QByteArray, ini);
        writeFile(iniPath(), ini);
        ProfileFile settings(iniPath().toStdString());
        RealChoosers services;
        CMorvexDlg dlg(settings, services);
        const QString face = field(dlg, "largeFace")->text();
        const QString size = field(dlg, "largeSize")->text();
        QString openedOn;
        bool confirmed = false;
        QVERIFY(chooseThrough(dlg, "largeFont", [&](FaceChooserDlg& chooser) {
            openedOn = chooser.family();
            confirmed = modal_dialogs::pressAccept(chooser, QDialogButtonBox::Ok);
        }));
        QVERIFY(confirmed);
        QCOMPARE(openedOn, face);
        QCOMPARE(fileBytes(iniPath()), ini);
        QCOMPARE(services.messages, QStringList());
        QCOMPARE(field(dlg, "largeFace")->text(), face);
        QCOMPARE(field(dlg, "largeSize")->text(), size);
    }

    // Neither default face is installed here: confirming the defaults stores them, not the
    // fonts that stand in for them.
    void confirmingTheDefaultsStoresThem() {
        ProfileFile settings(iniPath().toStdString());
        RealChoosers services;
        CMorvexDlg dlg(settings, services);
        QVERIFY(chooseThrough(dlg, "smallFont", [](FaceChooserDlg& chooser) {
            QVERIFY(modal_dialogs::pressAccept(chooser, QDialogButtonBox::Ok));
        }));
        QVERIFY(chooseThrough(dlg, "largeFont", [](FaceChooserDlg& chooser) {
            QVERIFY(modal_dialogs::pressAccept(chooser, QDialogButtonBox::Ok));
        }));
        QCOMPARE(fileBytes(iniPath()),
                 QByteArray("[SMALL_FONT]\r\nFACE=Verdana\r\nSIZE=8\r\n"
                            "[LARGE_FONT]\r\nFACE=" +
                            QByteArray(kDefaultLargeFace) + "\r\nSIZE=12\r\n"));
        QCOMPARE(field(dlg, "smallFace")->text(), QStringLiteral("Verdana"));
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("ＭＳ Ｐゴシック"));
    }

    void typedFamilyIsStoredWithoutFoundry() {
        writeFile(iniPath(), "[LARGE_FONT]\r\nFACE=Arial\r\nSIZE=12\r\n");
        ProfileFile settings(iniPath().toStdString());
        RealChoosers services;
        CMorvexDlg dlg(settings, services);
        QVERIFY(chooseThrough(dlg, "largeFont", [](FaceChooserDlg& chooser) {
            auto* family = chooser.findChild<QLineEdit*>("family");
            family->clear();
            QTest::keyClicks(family, QStringLiteral("Nimbus Sans [urw]"));
            auto* size = chooser.findChild<QComboBox*>("size");
            size->setCurrentIndex(size->findText("14"));
            QVERIFY(modal_dialogs::pressAccept(chooser, QDialogButtonBox::Ok));
        }));
        QCOMPARE(fileBytes(iniPath()),
                 QByteArray("[LARGE_FONT]\r\nFACE=Nimbus Sans\r\nSIZE=14\r\n"));
        QCOMPARE(field(dlg, "largeFace")->text(), QStringLiteral("Nimbus Sans"));
    }
};

QTEST_MAIN(FaceChooserTest)
#include "face_chooser_test.moc"
