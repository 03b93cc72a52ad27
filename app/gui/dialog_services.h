#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class BatchResult;
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
    // A folder picked in a folder dialog that opens on `folder`; nothing when the user cancels.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& folder) = 0;
    // The path a batch's report is to be saved to, chosen in a save-file dialog that opens on
    // `suggested`; nothing when the user cancels.
    virtual std::optional<QString> chooseReportFile(QWidget* parent, const QString& suggested) = 0;
    // The font confirmed in a font dialog opened on initial; nothing when the user cancels.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    // A message box with one OK button; details, when not empty, can be unfolded below the text.
    virtual void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                             const QString& details) = 0;
    // The result of a batch that needs a look (BatchResult::needsAttention), until the user
    // closes it; its report is offered to be saved as `suggestedReport`.
    virtual void showBatchResult(QWidget* parent, const BatchResult& result,
                                 const QString& suggestedReport) = 0;
    virtual void runAbout(QWidget* parent) = 0;
};
