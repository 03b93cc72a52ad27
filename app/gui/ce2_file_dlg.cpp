#include "app/gui/ce2_file_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/gui/ui_text.h"

Ce2FileDlg::Ce2FileDlg(const QString& folder, QWidget* parent) : QDialog(parent) {
    setWindowTitle(uiText("Open"));

    model_ = new QFileSystemModel(this);
    model_->setReadOnly(true);
    // Folders always, files only when they match; without QDir::CaseSensitive the name filter
    // ignores letter case.
    model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    model_->setNameFilters({QStringLiteral("*.ce2")});
    model_->setNameFilterDisables(false);

    location_ = new QLineEdit(this);
    location_->setObjectName(QStringLiteral("location"));
    auto* up = new QToolButton(this);
    up->setObjectName(QStringLiteral("up"));
    up->setArrowType(Qt::UpArrow);
    up->setToolTip(uiText("Up one folder"));

    view_ = new QListView(this);
    view_->setObjectName(QStringLiteral("entries"));
    view_->setModel(model_);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    names_ = new QLineEdit(this);
    names_->setObjectName(QStringLiteral("names"));
    auto* types = new QComboBox(this);
    types->addItem(QStringLiteral("Tovr data(*.ce2)"));
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Open)->setText(uiText("&Open"));
    buttons->button(QDialogButtonBox::Cancel)->setText(uiText("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &Ce2FileDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(uiText("Look in:"), this), 0, 0);
    form->addWidget(location_, 0, 1);
    form->addWidget(up, 0, 2);
    form->addWidget(view_, 1, 0, 1, 3);
    form->addWidget(new QLabel(uiText("File name:"), this), 2, 0);
    form->addWidget(names_, 2, 1, 1, 2);
    form->addWidget(new QLabel(uiText("Files of type:"), this), 3, 0);
    form->addWidget(types, 3, 1, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(problem_);
    outer->addWidget(buttons);
    resize(560, 400);

    connect(view_, &QListView::activated, this, &Ce2FileDlg::activated);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Ce2FileDlg::selectionChanged);
    connect(up, &QToolButton::clicked, this, &Ce2FileDlg::goUp);
    connect(location_, &QLineEdit::returnPressed, this, &Ce2FileDlg::goToTyped);

    setFolder(folder);
}

void Ce2FileDlg::setFolder(const QString& path) {
    folder_ = QDir(path).absolutePath();
    location_->setText(folder_);
    view_->setRootIndex(model_->setRootPath(folder_));
    names_->clear();
    problem_->clear();
}

QStringList Ce2FileDlg::namesIn(const QString& text) {
    if (!text.contains(QLatin1Char('"'))) {
        const QString name = text.trimmed();
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    QStringList names;
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    for (const QRegularExpressionMatch& match : quoted.globalMatch(text)) {
        names.append(match.captured(1));
    }
    return names;
}

void Ce2FileDlg::accept() {
    const QStringList names = namesIn(names_->text());
    if (names.isEmpty()) {
        return;
    }
    const QDir here(folder_);
    QStringList paths;
    for (const QString& name : names) {
        const QFileInfo info(here.absoluteFilePath(name));
        if (info.isDir() && names.size() == 1) {
            setFolder(info.absoluteFilePath());
            return;
        }
        if (!info.isFile()) {
            problem_->setText(uiText("There is no file named “%1”.").arg(name));
            return;
        }
        paths.append(info.absoluteFilePath());
    }
    selected_ = paths;
    QDialog::accept();
}

void Ce2FileDlg::activated(const QModelIndex& index) {
    if (model_->isDir(index)) {
        setFolder(model_->filePath(index));
    } else {
        accept();
    }
}

void Ce2FileDlg::selectionChanged() {
    QStringList files;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        if (!model_->isDir(index)) {
            files.append(model_->fileName(index));
        }
    }
    if (files.size() == 1) {
        names_->setText(files.front());
    } else if (!files.isEmpty()) {
        names_->setText(QLatin1Char('"') + files.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
    }
}

void Ce2FileDlg::goUp() {
    QDir dir(folder_);
    if (dir.cdUp()) {
        setFolder(dir.absolutePath());
    }
}

void Ce2FileDlg::goToTyped() {
    const QFileInfo info(location_->text());
    if (info.isDir()) {
        setFolder(info.absoluteFilePath());
    } else {
        location_->setText(folder_);
    }
}
