#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>
#include <memory>
#include <string>

#include "ce2/ce2_reader.h"

class DialogServices;
class PreviewPane;
class ProfileFile;
class QLineEdit;
class QListWidget;
class QMenu;

// The main dialog: the list of .ce2 files to convert, the two replacement fonts for comments,
// the buttons that convert, browse, change a font and end the program, and below them a preview
// of the file selected in the list.
class CMorvexDlg : public QDialog {
    Q_OBJECT

  public:
    CMorvexDlg(ProfileFile& settings, DialogServices& services, QWidget* parent = nullptr);
    ~CMorvexDlg() override;

    // Lists the .ce2 files among paths, as a drop of them would; relative paths are taken from
    // the current directory.
    void openFiles(const QStringList& paths);

    // The dialog's context menu, ending with a separator and the about item.
    std::unique_ptr<QMenu> createContextMenu();

    // The part of the dialog laid out from the dialog template; the preview lies below it.
    QRect templateRect() const { return templateRect_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // One font row: its settings section, its face and size fields, and the face as CP932 bytes,
    // which is what the settings file holds and what the conversion gets.
    struct FontRow {
        const char* section;
        QLineEdit* face = nullptr;
        QLineEdit* size = nullptr;
        std::string faceBytes{};
    };

    void createControls();
    void loadFontRow(FontRow& row, const char* defaultFace, int defaultSize);
    void setFiles(const QStringList& paths);
    void convertListed();
    void browse();
    void chooseFont(FontRow& row);
    ConversionOptions currentOptions() const;
    void updatePreview();

    ProfileFile& settings_;
    DialogServices& services_;
    QListWidget* files_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QRect templateRect_;
    FontRow large_;
    FontRow small_;
    bool converting_ = false;
};
