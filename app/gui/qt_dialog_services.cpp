#include "app/gui/qt_dialog_services.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <string>
#include <vector>

#include "app/core/face_choice.h"
#include "app/gui/about_dlg.h"
#include "app/gui/batch_result_dlg.h"
#include "app/gui/ce2_file_dlg.h"
#include "app/gui/face_chooser_dlg.h"
#include "app/gui/file_dlg.h"
#include "app/gui/font_choice.h"

namespace {

// The installed families that scale smoothly, as the font database names them.
std::vector<std::string> installedScalableFamilies() {
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isSmoothlyScalable(family) && !QFontDatabase::isPrivateFamily(family)) {
            families.push_back(family.toStdString());
        }
    }
    return families;
}

}  // namespace

std::optional<QStringList> QtDialogServices::chooseCe2Files(QWidget* parent) {
    Ce2FileDlg dialog(lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    lastFolder_ = dialog.folder();
    return dialog.selectedFiles();
}

namespace {

// The path named in a save-file dialog for files of one type, opened on `suggested`.
std::optional<QString> chooseFileToSave(QWidget* parent, const QString& suggested,
                                        const QString& types, const QString& pattern) {
    const QFileInfo file(suggested);
    FileDlg dialog(FileDlg::Purpose::Save, file.absolutePath(), types, pattern, parent);
    dialog.setName(file.fileName());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedFiles().value(0);
}

}  // namespace

std::optional<QString> QtDialogServices::chooseSvgFile(QWidget* parent, const QString& suggested) {
    return chooseFileToSave(parent, suggested, QStringLiteral("SVG (*.svg)"),
                            QStringLiteral("*.svg"));
}

std::optional<QString> QtDialogServices::chooseReportFile(QWidget* parent,
                                                          const QString& suggested) {
    return chooseFileToSave(parent, suggested, QStringLiteral("CSV (*.csv)"),
                            QStringLiteral("*.csv"));
}

std::optional<QString> QtDialogServices::chooseFolder(QWidget* parent, const QString& folder) {
    FileDlg dialog(FileDlg::Purpose::Folder, folder.isEmpty() ? QDir::currentPath() : folder,
                   QString(), QString(), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedFiles().value(0);
}

std::optional<QFont> QtDialogServices::chooseFont(QWidget* parent, const QFont& initial) {
    QStringList faces;
    for (const std::string& face :
         offeredFaces(initial.family().toStdString(), installedScalableFamilies())) {
        faces.append(QString::fromStdString(face));
    }
    FaceChooserDlg dialog(faces, initial.family(), shownPoints(initial), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    QFont chosen;
    chosen.setFamily(dialog.family());
    chosen.setPointSize(dialog.points());
    return chosen;
}

void QtDialogServices::showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                   const QString& details) {
    QMessageBox box(icon, QStringLiteral("MORVEX"), text, QMessageBox::Ok, parent);
    // Paths may hold characters that would make the text look like markup.
    box.setTextFormat(Qt::PlainText);
    if (!details.isEmpty()) {
        box.setDetailedText(details);
    }
    box.exec();
}

void QtDialogServices::showBatchResult(QWidget* parent, const BatchResult& result,
                                       const QString& suggestedReport) {
    BatchResultDlg dialog(result, suggestedReport, *this, parent);
    dialog.exec();
}

void QtDialogServices::runAbout(QWidget* parent) {
    CMorvexAboutDlg about(parent);
    about.exec();
}
