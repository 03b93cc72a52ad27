#include "app/gui/qt_dialog_services.h"

#include <QFileDialog>
#include <QFontDialog>

#include "app/gui/about_dlg.h"

std::optional<QStringList> QtDialogServices::chooseCe2Files(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("開く"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Qt's own dialog, whose name filter ignores letter case, so that *.ce2 also shows X.CE2.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("Tovr data(*.ce2)"));
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedFiles();
}

std::optional<QFont> QtDialogServices::chooseFont(QWidget* parent, const QFont& initial) {
    bool confirmed = false;
    const QFont chosen = QFontDialog::getFont(
        &confirmed, initial, parent, QStringLiteral("フォント"), QFontDialog::ScalableFonts);
    if (!confirmed) {
        return std::nullopt;
    }
    return chosen;
}

void QtDialogServices::showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                   const QString& details) {
    QMessageBox box(icon, QStringLiteral("MORVEX"), text, QMessageBox::Ok, parent);
    if (!details.isEmpty()) {
        box.setDetailedText(details);
    }
    box.exec();
}

void QtDialogServices::runAbout(QWidget* parent) {
    CMorvexAboutDlg about(parent);
    about.exec();
}
