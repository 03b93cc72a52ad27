#include "app/gui/morvex_dlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
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

#include "app/core/profile_file.h"
#include "app/gui/batch_message.h"
#include "app/gui/batch_progress.h"
#include "app/gui/ce2_paths.h"
#include "app/gui/dialog_services.h"
#include "app/gui/dialog_units.h"
#include "app/gui/font_choice.h"
#include "app/gui/preview_pane.h"
#include "app/gui/ui_text.h"
#include "app/gui/work_area.h"
#include "platform/atomic_file.h"
#include "render/svg_writer.h"

namespace {

// The dialog template's size in dialog units, and the height of the preview below it: at first,
// and the least the dialog may be shrunk to.
constexpr int kTemplateWidth = 294;
constexpr int kTemplateHeight = 135;
constexpr int kPreviewHeight = 220;
constexpr int kLeastPreviewHeight = 60;

// A control of the dialog template: its place in dialog units and the room its text needs.
struct Placement {
    QWidget* widget;
    int x, y, width, height;
    int textPadding;  // pixels beside the text; negative where the text need not fit
};

}  // namespace

CMorvexDlg::CMorvexDlg(ProfileFile& settings, DialogServices& services, QWidget* parent)
    : QDialog(parent), model_(settings, comesBeforeInList), services_(services) {
    setWindowTitle(QString::fromStdString(model_.title()));
    setAcceptDrops(true);
    createControls();
    showFontRow(large_);
    showFontRow(small_);
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
    // Files, or a folder whose .ce2 files are listed as a drop of it lists them.
    auto* browseMenu = new QMenu(browseButton);
    browseMenu
        ->addAction(QString::fromStdString(chooseFilesItemLabel()), this, &CMorvexDlg::browseFiles)
        ->setObjectName(QStringLiteral("browseFiles"));
    browseMenu
        ->addAction(QString::fromStdString(chooseFolderItemLabel()), this,
                    &CMorvexDlg::browseFolder)
        ->setObjectName(QStringLiteral("browseFolder"));
    browseButton->setMenu(browseMenu);

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
    // The template's controls stay where they are; the preview takes what the dialog grows by.
    const QSize initial = units.size(kTemplateWidth, kTemplateHeight + kPreviewHeight + 5);
    const QRect preview = preview_->geometry();
    previewMargins_ = QMargins(preview.left(), preview.top(), initial.width() - preview.right() - 1,
                               initial.height() - preview.bottom() - 1);
    setMinimumSize(units.size(kTemplateWidth, kTemplateHeight + kLeastPreviewHeight + 5));
    // On a small screen the preview gives way, down to its least height.
    resize(sizeInWorkArea(*this, initial).expandedTo(minimumSize()));

    connect(ok, &QPushButton::clicked, this, &CMorvexDlg::convertListed);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(largeButton, &QPushButton::clicked, this, [this] { chooseFont(large_); });
    connect(smallButton, &QPushButton::clicked, this, [this] { chooseFont(small_); });
    connect(files_, &QListWidget::itemSelectionChanged, this, &CMorvexDlg::updatePreview);
}

void CMorvexDlg::showFontRow(const FontRowFields& fields) {
    const FontField& font = model_.font(fields.row);
    fields.face->setText(QString::fromStdString(font.face));
    fields.size->setText(QString::fromStdString(font.size));
}

void CMorvexDlg::showFiles() {
    files_->clear();
    for (const std::string& path : model_.files()) {
        files_->addItem(QFile::decodeName(QByteArray::fromStdString(path)));
    }
    setWindowTitle(QString::fromStdString(model_.title()));
}

std::unique_ptr<QMenu> CMorvexDlg::createContextMenu(bool overPreview) {
    auto menu = std::make_unique<QMenu>(this);
    if (overPreview) {
        QAction* save = menu->addAction(uiText("Save as &SVG..."), this, &CMorvexDlg::saveSvg);
        save->setObjectName(QStringLiteral("saveSvg"));
        save->setEnabled(preview_->drawing() != nullptr);
        QAction* fit = menu->addAction(uiText("&Fit to Window"), preview_, &PreviewPane::fit);
        fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
        fit->setEnabled(preview_->drawing() != nullptr);
        menu->addSeparator();
    }
    menu->addAction(QString::fromStdString(outputFolderItemLabel()), this,
                    &CMorvexDlg::chooseOutputFolder)
        ->setObjectName(QStringLiteral("outputFolder"));
    if (!model_.outputFolder().empty()) {
        menu->addAction(QString::fromStdString(outputsBesideSourcesItemLabel()), this,
                        [this] { setOutputFolder(std::string()); })
            ->setObjectName(QStringLiteral("outputsBesideSources"));
    }
    menu->addSeparator();
    menu->addAction(uiText("&Close"), this, &QDialog::reject);
    menu->addSeparator();
    menu->addAction(QStringLiteral("MORVEXのバージョン情報(&A)..."), this,
                    [this] { services_.runAbout(this); });
    return menu;
}

void CMorvexDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The preview passes its context menu events on to the dialog.
    createContextMenu(preview_->geometry().contains(event->pos()))->exec(event->globalPos());
}

void CMorvexDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    preview_->setGeometry(rect().marginsRemoved(previewMargins_));
}

void CMorvexDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    keepInWorkArea(*this);
}

void CMorvexDlg::saveSvg() {
    const std::shared_ptr<const Drawing> drawing = preview_->drawing();
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    if (drawing == nullptr || selected.isEmpty()) {
        return;
    }
    // Beside the drawing, named as the converter names its SVG files.
    const QFileInfo source(selected.first()->text());
    const std::optional<QString> chosen = services_.chooseSvgFile(
        this, source.dir().filePath(source.completeBaseName() + QStringLiteral(".svg")));
    if (!chosen) {
        return;
    }
    const std::string path = QFile::encodeName(*chosen).toStdString();
    WriteFailure failure;
    if (!writeFileAtomically(path, svgDocument(*drawing), &failure)) {
        // The path as the dialog shows it, whatever the locale's encoding.
        const std::string shown = chosen->toStdString();
        const std::string cause = describeWriteFailure(failure);
        services_.showMessage(
            this, QMessageBox::Warning,
            QString::fromStdString(
                cause.empty() ? formatted(translated("%s cannot be written"), shown.c_str())
                              : formatted(translated("%s cannot be written: %s"), shown.c_str(),
                                          cause.c_str())),
            QString());
    }
}

void CMorvexDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!model_.converting() && !localFilePaths(event->mimeData()->urls()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
    if (!model_.drop(encodedPaths(localFilePaths(event->mimeData()->urls())))) {
        event->ignore();
        return;
    }
    showFiles();
    event->acceptProposedAction();
}

void CMorvexDlg::openFiles(const QStringList& paths) {
    QStringList absolute;
    for (const QString& path : paths) {
        absolute.append(QFileInfo(path).absoluteFilePath());
    }
    model_.drop(encodedPaths(absolute));
    showFiles();
}

QString CMorvexDlg::firstSourceFolder() const {
    if (model_.files().empty()) {
        return QDir::currentPath();
    }
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(model_.files().front())))
        .absolutePath();
}

void CMorvexDlg::browseFiles() {
    if (const auto chosen = services_.chooseCe2Files(this)) {
        model_.choose(encodedPaths(*chosen));
        showFiles();
    }
}

void CMorvexDlg::browseFolder() {
    if (const auto chosen = services_.chooseFolder(this, firstSourceFolder())) {
        model_.choose(encodedPaths({*chosen}));
        showFiles();
    }
}

void CMorvexDlg::chooseOutputFolder() {
    // The model keeps the folder in UTF-8, whatever the locale's encoding of file names.
    const QString current = QString::fromStdString(model_.outputFolder());
    // Cancelling keeps the folder as it is.
    if (const auto chosen =
            services_.chooseFolder(this, current.isEmpty() ? firstSourceFolder() : current)) {
        setOutputFolder(chosen->toStdString());
    }
}

void CMorvexDlg::setOutputFolder(const std::string& folder) {
    const SettingsConfirmation confirmed = model_.chooseOutputFolder(folder);
    setWindowTitle(QString::fromStdString(model_.title()));
    showConfirmation(confirmed);
}

void CMorvexDlg::chooseFont(const FontRowFields& fields) {
    const FontField& font = model_.font(fields.row);
    const auto chosen =
        services_.chooseFont(this, initialFont(QString::fromStdString(font.face), font.size));
    if (!chosen) {
        return;
    }
    const SettingsConfirmation confirmed =
        model_.confirmFont(fields.row, chosen->family().toStdString(), chosenPoints(*chosen));
    if (confirmed.outcome != SettingsConfirmation::Outcome::Refused) {
        showFontRow(fields);
        updatePreview();  // comments show in the new font
    }
    showConfirmation(confirmed);
}

void CMorvexDlg::showConfirmation(const SettingsConfirmation& confirmed) {
    if (confirmed.message.empty()) {
        return;
    }
    // Where a first write made the settings file is news; anything else, a problem.
    const bool told = confirmed.outcome == SettingsConfirmation::Outcome::SavedInNewFile;
    services_.showMessage(this, told ? QMessageBox::Information : QMessageBox::Warning,
                          QString::fromStdString(confirmed.message), QString());
}

void CMorvexDlg::convertListed() {
    if (model_.converting() || model_.files().empty()) {
        return;
    }
    BatchStart start;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        BatchProgress progress(this, model_.files().size());
        start = model_.convert(progressCallbacksFor(progress));
    }
    if (!start.refusal.empty()) {
        services_.showMessage(this, QMessageBox::Warning, QString::fromStdString(start.refusal),
                              QString());
    }
    if (!start.result) {
        return;
    }
    if (!start.result->needsAttention()) {
        services_.showMessage(this, batchIcon(start.result->severity()),
                              QString::fromStdString(start.result->message()), QString());
        return;
    }
    // The report is offered beside the outputs: in the output folder, else in the first file's.
    const QString folder = model_.outputFolder().empty()
                               ? firstSourceFolder()
                               : QString::fromStdString(model_.outputFolder());
    services_.showBatchResult(this, *start.result,
                              QDir(folder).filePath(QString::fromUtf8(kSuggestedReportName)));
}

void CMorvexDlg::updatePreview() {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    if (selected.isEmpty()) {
        preview_->clear();
        return;
    }
    preview_->showFile(QFile::encodeName(selected.first()->text()).toStdString(), model_.options());
}
