#pragma once

#include "app/gui/dialog_services.h"

// The dialogs as the user sees them: Qt's file and font dialogs, message boxes, the about box.
class QtDialogServices : public DialogServices {
  public:
    std::optional<QStringList> chooseCe2Files(QWidget* parent) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                     const QString& details) override;
    void runAbout(QWidget* parent) override;
};
