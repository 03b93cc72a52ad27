#pragma once

#include <QApplication>
#include <vector>

#include "app/gui/dialog_services.h"

// Dialog services that answer from a script and record what the main dialog asked for.
class ScriptedDialogs : public DialogServices {
  public:
    struct Message {
        QMessageBox::Icon icon;
        QString text;
        QString details;
        bool waitCursorShown;  // whether an override cursor was still set when it appeared
    };

    std::optional<QStringList> filesToChoose;
    std::optional<QString> svgFileToChoose;
    std::vector<QString> svgDialogsOpenedOn;
    std::optional<QFont> fontToChoose;
    std::vector<QFont> fontDialogsOpenedOn;
    std::vector<Message> messages;
    int aboutRuns = 0;

    std::optional<QStringList> chooseCe2Files(QWidget*) override { return filesToChoose; }
    std::optional<QString> chooseSvgFile(QWidget*, const QString& suggested) override {
        svgDialogsOpenedOn.push_back(suggested);
        return svgFileToChoose;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        fontDialogsOpenedOn.push_back(initial);
        return fontToChoose;
    }
    void showMessage(QWidget*, QMessageBox::Icon icon, const QString& text,
                     const QString& details) override {
        messages.push_back({icon, text, details, QApplication::overrideCursor() != nullptr});
    }
    void runAbout(QWidget*) override { ++aboutRuns; }
};
