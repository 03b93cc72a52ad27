#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The modal dialogs the main dialog opens. Tests put a scripted implementation in their place.
class DialogServices {
  public:
    virtual ~DialogServices() = default;

    // The .ce2 files picked in an open-file dialog; nothing when the user cancels.
    virtual std::optional<QStringList> chooseCe2Files(QWidget* parent) = 0;
    // The path an SVG file is to be saved to, chosen in a save-file dialog that opens on
    // `suggested`; nothing when the user cancels.
    virtual std::optional<QString> chooseSvgFile(QWidget* parent, const QString& suggested) = 0;
    // The font confirmed in a font dialog opened on initial; nothing when the user cancels.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    // A message box with one OK button; details, when not empty, can be unfolded below the text.
    virtual void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                             const QString& details) = 0;
    virtual void runAbout(QWidget* parent) = 0;
};
