#include "app/gui/file_dlg.h"

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

FileDlg::FileDlg(Purpose purpose, const QString& folder, const QString& types,
                 const QString& pattern, QWidget* parent)
    : QDialog(parent), purpose_(purpose), pattern_(pattern) {
    const bool folders = purpose == Purpose::Folder;
    setWindowTitle(purpose == Purpose::Open   ? uiText("Open")
                   : purpose == Purpose::Save ? uiText("Save As")
                                              : uiText("Choose a Folder"));

    model_ = new QFileSystemModel(this);
    model_->setReadOnly(true);
    // Folders always, files only when they match; without QDir::CaseSensitive the name filter
    // ignores letter case.
    model_->setFilter(folders ? QDir::AllDirs | QDir::NoDotAndDotDot
                              : QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    if (!folders) {
        model_->setNameFilters({pattern});
        model_->setNameFilterDisables(false);
    }

    location_ = new QLineEdit(this);
    location_->setObjectName(QStringLiteral("location"));
    auto* up = new QToolButton(this);
    up->setObjectName(QStringLiteral("up"));
    up->setArrowType(Qt::UpArrow);
    up->setToolTip(uiText("Up one folder"));

    view_ = new QListView(this);
    view_->setObjectName(QStringLiteral("entries"));
    view_->setModel(model_);
    view_->setSelectionMode(purpose == Purpose::Open ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    names_ = new QLineEdit(this);
    names_->setObjectName(QStringLiteral("names"));
    auto* typeField = new QComboBox(this);
    typeField->addItem(types);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);

    const auto confirm = purpose == Purpose::Save ? QDialogButtonBox::Save : QDialogButtonBox::Open;
    auto* buttons = new QDialogButtonBox(confirm | QDialogButtonBox::Cancel, this);
    buttons->button(confirm)->setText(purpose == Purpose::Open   ? uiText("&Open")
                                      : purpose == Purpose::Save ? uiText("&Save")
                                                                 : uiText("&Select"));
    buttons->button(QDialogButtonBox::Cancel)->setText(uiText("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FileDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(uiText("Look in:"), this), 0, 0);
    form->addWidget(location_, 0, 1);
    form->addWidget(up, 0, 2);
    form->addWidget(view_, 1, 0, 1, 3);
    form->addWidget(new QLabel(folders ? uiText("Folder:") : uiText("File name:"), this), 2, 0);
    form->addWidget(names_, 2, 1, 1, 2);
    if (folders) {
        typeField->hide();
    } else {
        form->addWidget(new QLabel(uiText("Files of type:"), this), 3, 0);
        form->addWidget(typeField, 3, 1, 1, 2);
    }
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(problem_);
    outer->addWidget(buttons);
    resize(560, 400);

    connect(view_, &QListView::activated, this, &FileDlg::activated);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileDlg::selectionChanged);
    connect(up, &QToolButton::clicked, this, &FileDlg::goUp);
    connect(location_, &QLineEdit::returnPressed, this, &FileDlg::goToTyped);

    setFolder(folder);
}

void FileDlg::setName(const QString& name) {
    names_->setText(name);
}

void FileDlg::setFolder(const QString& path) {
    folder_ = QDir(path).absolutePath();
    location_->setText(folder_);
    view_->setRootIndex(model_->setRootPath(folder_));
    if (purpose_ != Purpose::Save) {
        names_->clear();  // the name to save under stays while the user looks for its folder
    }
    problem_->clear();
}

QStringList FileDlg::namesIn(const QString& text) {
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

void FileDlg::accept() {
    const QStringList names = namesIn(names_->text());
    if (purpose_ == Purpose::Folder) {
        acceptFolder(names);
        return;
    }
    if (names.isEmpty()) {
        return;
    }
    if (purpose_ == Purpose::Save) {
        acceptToSave(names);
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

void FileDlg::acceptToSave(const QStringList& names) {
    if (names.size() != 1) {
        problem_->setText(uiText("Name one file to save."));
        return;
    }
    QFileInfo info(QDir(folder_).absoluteFilePath(names.front()));
    if (info.isDir()) {
        names_->clear();
        setFolder(info.absoluteFilePath());
        return;
    }
    if (info.suffix().isEmpty()) {
        // A name without an extension gets the one of the files shown ("*.svg" gives ".svg").
        info.setFile(info.absoluteFilePath() +
                     pattern_.mid(pattern_.lastIndexOf(QLatin1Char('.'))));
    }
    const QString path = info.absoluteFilePath();
    if (info.exists() && confirmedReplace_ != path) {
        confirmedReplace_ = path;
        problem_->setText(
            uiText("“%1” exists. Choose Save again to replace it.").arg(info.fileName()));
        return;
    }
    selected_ = QStringList{path};
    QDialog::accept();
}

void FileDlg::acceptFolder(const QStringList& names) {
    // No name picks the folder shown; one name, the subfolder of that name.
    if (names.size() > 1) {
        problem_->setText(uiText("Name one folder."));
        return;
    }
    const QFileInfo info(names.isEmpty() ? folder_ : QDir(folder_).absoluteFilePath(names.front()));
    if (!info.isDir()) {
        problem_->setText(uiText("There is no folder named “%1”.").arg(names.value(0)));
        return;
    }
    selected_ = QStringList{info.absoluteFilePath()};
    QDialog::accept();
}

void FileDlg::activated(const QModelIndex& index) {
    if (model_->isDir(index)) {
        setFolder(model_->filePath(index));
    } else {
        accept();
    }
}

void FileDlg::selectionChanged() {
    QStringList files;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        // Files to open or save; folders to pick.
        if (model_->isDir(index) == (purpose_ == Purpose::Folder)) {
            files.append(model_->fileName(index));
        }
    }
    if (files.size() == 1) {
        names_->setText(files.front());
    } else if (!files.isEmpty()) {
        names_->setText(QLatin1Char('"') + files.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
    }
}

void FileDlg::goUp() {
    QDir dir(folder_);
    if (dir.cdUp()) {
        setFolder(dir.absolutePath());
    }
}

void FileDlg::goToTyped() {
    const QFileInfo info(location_->text());
    if (info.isDir()) {
        setFolder(info.absoluteFilePath());
    } else {
        location_->setText(folder_);
    }
}
