#pragma once

#include <QString>

#include "app/gui/dialog_services.h"

// The dialogs as the user sees them: the file dialog and the font chooser of this program
// (neither writes anything), message boxes, the batch's result, the about box.
class QtDialogServices : public DialogServices {
  public:
    std::optional<QStringList> chooseCe2Files(QWidget* parent) override;
    std::optional<QString> chooseSvgFile(QWidget* parent, const QString& suggested) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& folder) override;
    std::optional<QString> chooseReportFile(QWidget* parent, const QString& suggested) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                     const QString& details) override;
    void showBatchResult(QWidget* parent, const BatchResult& result,
                         const QString& suggestedReport) override;
    void runAbout(QWidget* parent) override;

  private:
    QString lastFolder_;  // where the open-file dialog was last confirmed, for this run only
};
