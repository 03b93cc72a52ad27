#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;

// The open-file dialog for .ce2 files: the subfolders and .ce2 files (in any letter case) of one
// folder, several of which can be picked or named. It keeps nothing on disk, unlike Qt's own file
// dialog, which stores its history in a settings file of its own.
class Ce2FileDlg : public QDialog {
    Q_OBJECT

  public:
    explicit Ce2FileDlg(const QString& folder, QWidget* parent = nullptr);

    QString folder() const { return folder_; }
    void setFolder(const QString& path);
    // The absolute paths of the accepted files, in the order named.
    QStringList selectedFiles() const { return selected_; }

    // The file names typed in the name field: several in double quotes, else the whole text.
    static QStringList namesIn(const QString& text);

  public slots:
    void accept() override;

  private:
    void activated(const QModelIndex& index);
    void selectionChanged();
    void goUp();
    void goToTyped();

    QString folder_;
    QStringList selected_;
    QFileSystemModel* model_ = nullptr;
    QListView* view_ = nullptr;
    QLineEdit* location_ = nullptr;
    QLineEdit* names_ = nullptr;
    QLabel* problem_ = nullptr;
};
