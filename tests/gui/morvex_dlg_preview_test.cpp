#include <sys/stat.h>

#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/gui/morvex_dlg.h"
#include "app/gui/preview_pane.h"
#include "demo/demo_drawing.h"
#include "dialog_driver.h"
#include "render/style.h"
#include "render/svg_writer.h"
#include "scripted_dialogs.h"

using namespace dialog_driver;

namespace {

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

// How many pixels of the picture lie near this colour (0xRRGGBB): thin strokes are smoothed into
// what lies under them.
int pixelsNear(const QImage& picture, uint32_t rgb) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QColor wanted = QColor::fromRgb(static_cast<QRgb>(rgb));
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += qAbs(c.red() - wanted.red()) + qAbs(c.green() - wanted.green()) +
                                 qAbs(c.blue() - wanted.blue()) <
                             96
                         ? 1
                         : 0;
        }
    }
    return count;
}

}  // namespace

class MorvexDlgPreviewTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    struct Dialog {
        ProfileFile settings;
        ScriptedDialogs dialogs;
        CMorvexDlg dlg;
        explicit Dialog(const QString& settingsPath)
            : settings(settingsPath.toStdString()), dlg(settings, dialogs) {}
        QListWidget* list() { return dlg.findChild<QListWidget*>(QStringLiteral("files")); }
        PreviewPane* preview() { return dlg.findChild<PreviewPane*>(QStringLiteral("preview")); }
        // Selects the listed path and waits until its preview is shown.
        bool select(const QString& path) {
            QSignalSpy shown(preview(), &PreviewPane::shown);
            list()->setCurrentItem(list()->findItems(path, Qt::MatchExactly).value(0));
            return shown.wait(10000);
        }
    };

    QString settingsPath() const { return dir_.filePath(QStringLiteral("MORVEX.INI")); }

  private slots:
    void selectingAFileDrawsIt() {
        const QString demo = dir_.filePath(QStringLiteral("demo.ce2"));
        writeBytes(demo, demoDrawing());
        Dialog d(settingsPath());
        QVERIFY(d.preview()->picture().isNull());
        QVERIFY(!d.preview()->message().isEmpty());  // the hint to select a file
        QVERIFY(dropPaths(d.dlg, {demo}));
        QVERIFY(d.select(demo));

        const QImage& picture = d.preview()->picture();
        QVERIFY(!picture.isNull());
        QVERIFY(d.preview()->message().isEmpty());
        QCOMPARE(picture.size() / picture.devicePixelRatio(), d.preview()->size());
        // The white sheet on the grey around it and black ink. The drawing fills the pane with
        // the mark of the wire left out, which lies in the page's margin.
        QVERIFY(pixelsNear(picture, kSheetColour) > picture.width() * picture.height() / 4);
        QVERIFY(pixelsNear(picture, kBackgroundColour) > 0);
        QVERIFY(pixelsNear(picture, kInkColour) > 0);
        QVERIFY(pixelsNear(picture, kOutsideColour) > 0);
        // Selection is for the preview only: the whole list is still what OK converts.
        QCOMPARE(listed(d.dlg), QStringList{demo});

        // A new list drops the selection and the picture.
        QVERIFY(dropPaths(d.dlg, {dir_.filePath(QStringLiteral("other.ce2"))}));
        QVERIFY(d.preview()->picture().isNull());
        QVERIFY(!d.preview()->message().isEmpty());
    }

    void filesThatCannotBeReadShowWhy() {
        const QString missing = dir_.filePath(QStringLiteral("missing.ce2"));
        const QString pipe = dir_.filePath(QStringLiteral("pipe.ce2"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        Dialog d(settingsPath());
        QVERIFY(dropPaths(d.dlg, {missing, pipe}));
        const struct {
            QString path;
            QString reason;
        } cases[] = {
            {missing, QStringLiteral("cannot be opened")},
            {pipe, QStringLiteral("not a regular file")},  // and the dialog never blocks on it
        };
        for (const auto& c : cases) {
            QVERIFY(d.select(c.path));
            QVERIFY(d.preview()->picture().isNull());
            QVERIFY2(d.preview()->message().contains(c.reason), qPrintable(d.preview()->message()));
        }
    }

    // The picture is made off the dialog's thread; a file above the size limit is not read, and a
    // job that was told to stop paints nothing.
    void previewJobsRespectTheirLimits() {
        const QString demo = dir_.filePath(QStringLiteral("demo.ce2"));
        writeBytes(demo, demoDrawing());
        const std::string path = QFile::encodeName(demo).toStdString();
        const auto go = std::make_shared<std::atomic<bool>>(false);
        const PreviewPicture whole = renderPreview(path, {}, QSize(300, 200), 2.0, go);
        QCOMPARE(whole.image.size(), QSize(600, 400));
        QVERIFY(whole.message.isEmpty());

        const PreviewPicture tooLarge =
            renderPreview(path, {}, QSize(300, 200), 1.0, go, demoDrawing().size() - 1);
        QVERIFY(tooLarge.image.isNull());
        QVERIFY2(tooLarge.message.contains(QStringLiteral("MiB")), qPrintable(tooLarge.message));

        const auto stop = std::make_shared<std::atomic<bool>>(true);
        const PreviewPicture stopped = renderPreview(path, {}, QSize(300, 200), 1.0, stop);
        QVERIFY(stopped.image.isNull());
    }

    // The wheel and Ctrl with plus or minus zoom about the pointer, a drag pans, Ctrl+0 and a
    // double click fit again; every view is painted anew, and zooming stops at its limits.
    void zoomAndPanAboutThePointer() {
        const QString demo = dir_.filePath(QStringLiteral("demo.ce2"));
        writeBytes(demo, demoDrawing());
        Dialog d(settingsPath());
        d.dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d.dlg));
        QVERIFY(dropPaths(d.dlg, {demo}));
        QVERIFY(d.select(demo));
        PreviewPane* pane = d.preview();
        const PreviewView fitted = pane->view();
        QVERIFY(fitted.fitted());
        QCOMPARE(pane->pictureView().scale(), fitted.scale());

        const auto wheel = [pane](QPointF at, int eighths) {
            QWheelEvent event(at, pane->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pane, &event);
        };
        const ViewPoint pointer{40, 30};
        const ViewPoint under = fitted.toDrawing(pointer);
        wheel(QPointF(pointer.x, pointer.y), 120);
        QCOMPARE(pane->view().scale(), fitted.scale() * PreviewView::kZoomStep);
        const ViewPoint still = pane->view().toPixels(under);
        QVERIFY(qAbs(still.x - pointer.x) < 1e-6 && qAbs(still.y - pointer.y) < 1e-6);
        QSignalSpy shown(pane, &PreviewPane::shown);
        QVERIFY(shown.wait(10000));
        QCOMPARE(pane->pictureView().scale(), pane->view().scale());

        QTest::keyClick(pane, Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(qFuzzyCompare(pane->view().scale(), fitted.scale() * 1.5625));
        QTest::keyClick(pane, Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(qFuzzyCompare(pane->view().scale(), fitted.scale() * PreviewView::kZoomStep));
        QTest::keyClick(pane, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(pane->view().fitted());

        wheel(QPointF(100, 100), 240);
        const ViewPoint centre = pane->view().centre();
        QTest::mousePress(pane, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(pane, QPoint(130, 80));
        QTest::mouseRelease(pane, Qt::LeftButton, {}, QPoint(130, 80));
        QVERIFY(qAbs(pane->view().centre().x - (centre.x - 30 / pane->view().scale())) < 1e-6);
        QVERIFY(qAbs(pane->view().centre().y - (centre.y + 20 / pane->view().scale())) < 1e-6);
        QTest::mouseDClick(pane, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(pane->view().fitted());

        // A wheel spun far either way stops at the limits and still paints: all the way in at
        // the largest scale, all the way out with the whole page shown, the mark of what is left
        // out in its margin.
        for (const int eighths : {1200, -1200}) {
            for (int i = 0; i < 100; ++i) {
                wheel(QPointF(5, 5), eighths);
            }
            const double limit = pane->view().scale();
            wheel(QPointF(5, 5), eighths);
            QCOMPARE(pane->view().scale(), limit);
            QVERIFY(shown.wait(10000));
            QVERIFY(!pane->picture().isNull());
            if (eighths > 0) {
                QCOMPARE(limit, PreviewView::kMaxScale);
            } else {
                QVERIFY(limit <= fitted.scale() * PreviewView::kMinFitFraction);
                QVERIFY(pixelsNear(pane->picture(), kOutsideColour) > 0);
            }
        }
    }

    // "Save as SVG..." in the preview's menu writes the drawing shown where the file dialog says,
    // and tells why when it cannot.
    void savingAsSvgWritesTheDrawingShown() {
        const QString demo = dir_.filePath(QStringLiteral("demo.ce2"));
        writeBytes(demo, demoDrawing());
        Dialog d(settingsPath());
        QVERIFY(!d.dlg.createContextMenu(false)->findChild<QAction*>(QStringLiteral("saveSvg")));
        QVERIFY(dropPaths(d.dlg, {demo}));
        QVERIFY(d.select(demo));
        const auto save = [&d] {
            const auto menu = d.dlg.createContextMenu(true);
            QAction* action = menu->findChild<QAction*>(QStringLiteral("saveSvg"));
            QVERIFY(action && action->isEnabled());
            action->trigger();
        };
        const QString saved = dir_.filePath(QStringLiteral("saved.svg"));
        d.dialogs.svgFileToChoose = saved;
        save();
        QCOMPARE(d.dialogs.svgDialogsOpenedOn,
                 std::vector<QString>{dir_.filePath(QStringLiteral("demo.svg"))});
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), svgDocument(*d.preview()->drawing()));
        QVERIFY(d.dialogs.messages.empty());

        const QString nowhere = dir_.filePath(QStringLiteral("no-folder/saved.svg"));
        d.dialogs.svgFileToChoose = nowhere;
        save();
        QCOMPARE(d.dialogs.messages.size(), std::size_t{1});
        QCOMPARE(d.dialogs.messages[0].icon, QMessageBox::Warning);
        QVERIFY2(
            d.dialogs.messages[0].text.startsWith(nowhere + QStringLiteral(" cannot be written: ")),
            qPrintable(d.dialogs.messages[0].text));
    }

    // Selecting another file abandons the job of the one before: only the last selection shows.
    void onlyTheLastSelectionIsShown() {
        const QString demo = dir_.filePath(QStringLiteral("demo.ce2"));
        writeBytes(demo, demoDrawing());
        const QString missing = dir_.filePath(QStringLiteral("gone.ce2"));
        Dialog d(settingsPath());
        QVERIFY(dropPaths(d.dlg, {demo, missing}));
        QSignalSpy shown(d.preview(), &PreviewPane::shown);
        d.list()->setCurrentRow(0);
        d.list()->setCurrentRow(1);
        QVERIFY(shown.wait(10000));
        QTest::qWait(200);  // room for the abandoned job to finish
        QCOMPARE(shown.count(), 1);
        QVERIFY(d.preview()->picture().isNull());
        QVERIFY(d.preview()->message().contains(QStringLiteral("cannot be opened")));
    }
};

QTEST_MAIN(MorvexDlgPreviewTest)
#include "morvex_dlg_preview_test.moc"
