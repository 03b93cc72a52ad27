#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;

// The file dialog of this program: the subfolders of one folder and its files of one type (their
// names matched in any letter case), to open several of them or to name one to save; or the
// subfolders alone, to pick the folder shown or one of them. It keeps
// nothing on disk, unlike Qt's own file dialog, which stores its history in a settings file of
// its own.
class FileDlg : public QDialog {
    Q_OBJECT

  public:
    enum class Purpose { Open, Save, Folder };

    // `types`: the text of the type field; `pattern`: the names shown, such as "*.ce2" (both
    // unused when picking a folder).
    FileDlg(Purpose purpose, const QString& folder, const QString& types, const QString& pattern,
            QWidget* parent = nullptr);

    QString folder() const { return folder_; }
    void setFolder(const QString& path);
    // Fills the name field, as the name to save under.
    void setName(const QString& name);
    // The absolute paths of the accepted files, in the order named; the folder picked.
    QStringList selectedFiles() const { return selected_; }

    // The file names typed in the name field: several in double quotes, else the whole text.
    static QStringList namesIn(const QString& text);

  public slots:
    // Opens the files named, or saves under the one name; a name that is a folder goes there
    // instead. Saving over a file that exists takes a second confirmation.
    void accept() override;

  private:
    void acceptToSave(const QStringList& names);
    void acceptFolder(const QStringList& names);
    void activated(const QModelIndex& index);
    void selectionChanged();
    void goUp();
    void goToTyped();

    Purpose purpose_;
    QString pattern_;
    QString folder_;
    QStringList selected_;
    QString confirmedReplace_;  // the file that saving would replace, told once
    QFileSystemModel* model_ = nullptr;
    QListView* view_ = nullptr;
    QLineEdit* location_ = nullptr;
    QLineEdit* names_ = nullptr;
    QLabel* problem_ = nullptr;
};
