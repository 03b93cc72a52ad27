#include "app/gui/morvex_dlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include "app/core/conversion.h"
#include "app/core/settings.h"
#include "app/gui/batch_message.h"
#include "app/gui/batch_progress.h"
#include "app/gui/ce2_paths.h"
#include "app/gui/dialog_services.h"
#include "app/gui/dialog_units.h"
#include "app/gui/font_choice.h"
#include "app/gui/preview_pane.h"
#include "app/gui/ui_text.h"
#include "platform/cp932.h"

namespace {

// A face from the settings as the user sees it; bytes that are no CP932 text show as they can.
QString displayFace(const std::string& bytes) {
    const auto text = cp932ToUtf8(bytes);
    return QString::fromStdString(text ? *text : bytes);
}

// The dialog template's size in dialog units, and the height of the preview below it.
constexpr int kTemplateWidth = 294;
constexpr int kTemplateHeight = 135;
constexpr int kPreviewHeight = 220;

// A control of the dialog template: its place in dialog units and the room its text needs.
struct Placement {
    QWidget* widget;
    int x, y, width, height;
    int textPadding;  // pixels beside the text; negative where the text need not fit
};

}  // namespace

CMorvexDlg::CMorvexDlg(ProfileFile& settings, DialogServices& services, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      services_(services),
      large_{kLargeFontSection},
      small_{kSmallFontSection} {
    setWindowTitle(QStringLiteral("MORVEX"));
    setAcceptDrops(true);
    createControls();
    loadFontRow(large_, kDefaultLargeFace, kDefaultLargeSize);
    loadFontRow(small_, kDefaultSmallFace, kDefaultSmallSize);
}

CMorvexDlg::~CMorvexDlg() = default;

void CMorvexDlg::createControls() {
    // Created in the template's order, which is also the keyboard focus order.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* exit = new QPushButton(QStringLiteral("終了"), this);
    exit->setObjectName(QStringLiteral("exit"));

    const auto makeCaption = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        return label;
    };
    const auto makeField = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        field->setReadOnly(true);
        return field;
    };

    auto* largeCaption = makeCaption(QStringLiteral("コメントの大きいフォントを右のものに置換"));
    large_.face = makeField("largeFace");
    large_.size = makeField("largeSize");
    auto* largeButton = new QPushButton(QStringLiteral("設定(&L)..."), this);
    largeButton->setObjectName(QStringLiteral("largeFont"));
    auto* smallCaption = makeCaption(QStringLiteral("コメントの小さいフォントを右のものに置換"));
    small_.face = makeField("smallFace");
    small_.size = makeField("smallSize");
    auto* smallButton = new QPushButton(QStringLiteral("設定(&S)..."), this);
    smallButton->setObjectName(QStringLiteral("smallFont"));

    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("files"));
    // One entry can be selected, for the preview only: conversion takes the whole list.
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    files_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    files_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* browseButton = new QPushButton(QStringLiteral("参照(&R)..."), this);
    browseButton->setObjectName(QStringLiteral("browse"));

    preview_ = new PreviewPane(this);
    preview_->setObjectName(QStringLiteral("preview"));

    const Placement placements[] = {
        {ok, 245, 10, 35, 14, 12},
        {exit, 245, 30, 35, 14, 12},
        {largeCaption, 5, 95, 135, 8, 0},
        {large_.face, 145, 90, 65, 15, -1},
        {large_.size, 215, 90, 20, 15, -1},
        {largeButton, 240, 90, 40, 15, 12},
        {smallCaption, 5, 115, 135, 8, 0},
        {small_.face, 145, 110, 65, 15, -1},
        {small_.size, 215, 110, 20, 15, -1},
        {smallButton, 240, 110, 40, 15, 12},
        {files_, 5, 5, 230, 80, -1},
        {browseButton, 245, 55, 35, 14, 12},
        // Below the template's controls, with its margins.
        {preview_, 5, kTemplateHeight, kTemplateWidth - 10, kPreviewHeight, -1},
    };
    // The template's proportions in this font, widened where a caption would not fit.
    DialogUnits units(fontMetrics());
    for (const Placement& p : placements) {
        if (p.textPadding >= 0) {
            const QString text = p.widget->property("text").toString().remove(QLatin1Char('&'));
            units.fit(p.width, fontMetrics().horizontalAdvance(text) + 2 * p.textPadding);
        }
    }
    for (const Placement& p : placements) {
        p.widget->setGeometry(units.rect(p.x, p.y, p.width, p.height));
    }
    templateRect_ = units.rect(0, 0, kTemplateWidth, kTemplateHeight);
    setFixedSize(units.size(kTemplateWidth, kTemplateHeight + kPreviewHeight + 5));

    connect(ok, &QPushButton::clicked, this, &CMorvexDlg::convertListed);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &CMorvexDlg::browse);
    connect(largeButton, &QPushButton::clicked, this, [this] { chooseFont(large_); });
    connect(smallButton, &QPushButton::clicked, this, [this] { chooseFont(small_); });
    connect(files_, &QListWidget::itemSelectionChanged, this, &CMorvexDlg::updatePreview);
}

void CMorvexDlg::loadFontRow(FontRow& row, const char* defaultFace, int defaultSize) {
    row.faceBytes = settings_.readString(row.section, kFaceKey, defaultFace);
    row.face->setText(displayFace(row.faceBytes));
    row.size->setText(QString::number(settings_.readInt(row.section, kSizeKey, defaultSize)));
}

void CMorvexDlg::setFiles(const QStringList& paths) {
    files_->clear();
    files_->addItems(sortedForList(paths));
}

std::unique_ptr<QMenu> CMorvexDlg::createContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(uiText("&Close"), this, &QDialog::reject);
    menu->addSeparator();
    menu->addAction(QStringLiteral("MORVEXのバージョン情報(&A)..."), this,
                    [this] { services_.runAbout(this); });
    return menu;
}

void CMorvexDlg::contextMenuEvent(QContextMenuEvent* event) {
    createContextMenu()->exec(event->globalPos());
}

void CMorvexDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!converting_ && !localFilePaths(event->mimeData()->urls()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
    const QStringList dropped = localFilePaths(event->mimeData()->urls());
    if (converting_ || dropped.isEmpty()) {
        event->ignore();
        return;
    }
    setFiles(ce2PathsOnly(dropped));
    event->acceptProposedAction();
}

void CMorvexDlg::openFiles(const QStringList& paths) {
    QStringList absolute;
    for (const QString& path : ce2PathsOnly(paths)) {
        absolute.append(QFileInfo(path).absoluteFilePath());
    }
    setFiles(absolute);
}

void CMorvexDlg::browse() {
    if (const auto chosen = services_.chooseCe2Files(this)) {
        setFiles(*chosen);
    }
}

void CMorvexDlg::chooseFont(FontRow& row) {
    const QString shown = row.face->text();
    const auto chosen =
        services_.chooseFont(this, initialFont(shown, row.size->text().toStdString()));
    if (!chosen) {
        return;
    }
    const FaceChoice face =
        chooseFace(row.faceBytes, shown.toStdString(), chosen->family().toStdString());
    if (const QString refusal = faceRefusal(face); !refusal.isEmpty()) {
        services_.showMessage(this, QMessageBox::Warning, refusal, QString());
        return;
    }
    const int points = chosenPoints(*chosen);
    row.faceBytes = face.bytes;
    row.face->setText(QString::fromStdString(face.family));
    row.size->setText(QString::number(points));
    updatePreview();  // comments show in the new font
    // Both keys are written whatever becomes of the first.
    const bool faceSaved = settings_.writeString(row.section, kFaceKey, row.faceBytes);
    const bool sizeSaved = settings_.writeInt(row.section, kSizeKey, points);
    if (!faceSaved || !sizeSaved) {
        services_.showMessage(this, QMessageBox::Warning,
                              uiText("The settings could not be saved.\n%1")
                                  .arg(QFile::decodeName(settings_.path().c_str())),
                              QString());
    }
}

void CMorvexDlg::convertListed() {
    if (converting_ || files_->count() == 0) {
        return;
    }
    std::vector<std::string> sources;
    sources.reserve(static_cast<std::size_t>(files_->count()));
    for (int i = 0; i < files_->count(); ++i) {
        sources.push_back(QFile::encodeName(files_->item(i)->text()).toStdString());
    }
    const ConversionOptions options = currentOptions();
    std::vector<FileReport> reports;
    {
        const QScopedValueRollback busy(converting_, true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        BatchProgress progress(this, sources.size());
        ConversionProgress shown;
        shown.fileDone = [&progress](const FileReport&, std::size_t done, std::size_t) {
            progress.update(done);
        };
        shown.fileStage = [&progress](std::size_t index, FileStage stage, uint64_t done,
                                      uint64_t total) {
            progress.updateFile(index, stage, done, total);
        };
        reports = convertFiles(sources, options, shown);
    }
    services_.showMessage(this, QMessageBox::Information, completionText(),
                          notConvertedDetails(reports));
}

ConversionOptions CMorvexDlg::currentOptions() const {
    return makeConversionOptions(large_.faceBytes, large_.size->text().toStdString(),
                                 small_.faceBytes, small_.size->text().toStdString());
}

void CMorvexDlg::updatePreview() {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    if (selected.isEmpty()) {
        preview_->clear();
        return;
    }
    preview_->showFile(QFile::encodeName(selected.first()->text()).toStdString(), currentOptions());
}
