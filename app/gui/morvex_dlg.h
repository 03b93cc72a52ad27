#pragma once

#include <QDialog>
#include <QMargins>
#include <QRect>
#include <memory>

#include "app/core/dialog_model.h"

class DialogServices;
class PreviewPane;
class ProfileFile;
class QLineEdit;
class QListWidget;
class QMenu;

// The main dialog, a view of its DialogModel: the list of .ce2 files to convert, the two
// replacement fonts for comments, the buttons that convert, browse, change a font and end the
// program, and below them a preview of the file selected in the list, which grows with the
// dialog.
class CMorvexDlg : public QDialog {
    Q_OBJECT

  public:
    CMorvexDlg(ProfileFile& settings, DialogServices& services, QWidget* parent = nullptr);
    ~CMorvexDlg() override;

    // Lists the .ce2 files among paths, as a drop of them would; relative paths are taken from
    // the current directory.
    void openFiles(const QStringList& paths);

    // The dialog's context menu: the output folder's items, then closing, and at the end a
    // separator and the about item; over the preview, it begins with saving the drawing shown as
    // SVG and fitting it into the pane.
    std::unique_ptr<QMenu> createContextMenu(bool overPreview = false);

    // The part of the dialog laid out from the dialog template; the preview lies below it and
    // takes what the dialog grows by.
    QRect templateRect() const { return templateRect_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The face and size fields of one font row.
    struct FontRowFields {
        FontRow row;
        QLineEdit* face = nullptr;
        QLineEdit* size = nullptr;
    };

    void createControls();
    void showFontRow(const FontRowFields& fields);
    void showFiles();
    void convertListed();
    void browseFiles();
    void browseFolder();
    void chooseOutputFolder();
    void setOutputFolder(const std::string& folder);
    // The folder a folder or file dialog opens on: that of the first file listed, else the
    // current one.
    QString firstSourceFolder() const;
    void chooseFont(const FontRowFields& fields);
    // Tells what became of a choice the settings keep, when there is anything to tell.
    void showConfirmation(const SettingsConfirmation& confirmed);
    void updatePreview();
    void saveSvg();

    DialogModel model_;
    DialogServices& services_;
    QListWidget* files_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QRect templateRect_;
    QMargins previewMargins_;  // between the preview and the dialog's edges
    FontRowFields large_{FontRow::Large};
    FontRowFields small_{FontRow::Small};
};
