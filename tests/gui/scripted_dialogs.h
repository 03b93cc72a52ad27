#pragma once

#include <QApplication>
#include <QTest>
#include <functional>
#include <vector>

#include "app/core/batch_result.h"
#include "app/gui/batch_result_dlg.h"
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
    // A batch's result as it was handed over to be shown.
    struct Result {
        QString message;
        QStringList rows;  // every file's row, in the order shown
        BatchSeverity severity;
        QString suggestedReport;
        bool waitCursorShown;
    };

    std::optional<QStringList> filesToChoose;
    std::optional<QString> svgFileToChoose;
    std::vector<QString> svgDialogsOpenedOn;
    std::optional<QString> folderToChoose;
    std::vector<QString> folderDialogsOpenedOn;
    std::optional<QString> reportFileToChoose;
    std::vector<QString> reportDialogsOpenedOn;
    std::optional<QFont> fontToChoose;
    std::vector<QFont> fontDialogsOpenedOn;
    std::vector<Message> messages;
    std::vector<Result> results;
    // When set, a result is shown in the program's own dialog, which this gets while it is
    // shown; the dialog is closed afterwards.
    std::function<void(BatchResultDlg&)> onResultShown;
    int aboutRuns = 0;

    std::optional<QStringList> chooseCe2Files(QWidget*) override { return filesToChoose; }
    std::optional<QString> chooseSvgFile(QWidget*, const QString& suggested) override {
        svgDialogsOpenedOn.push_back(suggested);
        return svgFileToChoose;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& folder) override {
        folderDialogsOpenedOn.push_back(folder);
        return folderToChoose;
    }
    std::optional<QString> chooseReportFile(QWidget*, const QString& suggested) override {
        reportDialogsOpenedOn.push_back(suggested);
        return reportFileToChoose;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        fontDialogsOpenedOn.push_back(initial);
        return fontToChoose;
    }
    void showMessage(QWidget*, QMessageBox::Icon icon, const QString& text,
                     const QString& details) override {
        messages.push_back({icon, text, details, QApplication::overrideCursor() != nullptr});
    }
    void showBatchResult(QWidget* parent, const BatchResult& result,
                         const QString& suggestedReport) override {
        QStringList rows;
        for (const ResultRow& row : result.rows()) {
            rows.append(QString::fromStdString(row.text));
        }
        results.push_back({QString::fromStdString(result.message()), rows, result.severity(),
                           suggestedReport, QApplication::overrideCursor() != nullptr});
        if (onResultShown) {
            BatchResultDlg dialog(result, suggestedReport, *this, parent);
            dialog.show();
            if (QTest::qWaitForWindowExposed(&dialog)) {
                onResultShown(dialog);
            }
            dialog.close();
        }
    }
    void runAbout(QWidget*) override { ++aboutRuns; }
};
