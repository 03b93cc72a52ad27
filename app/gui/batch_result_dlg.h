#pragma once

#include <QDialog>
#include <QString>

#include "app/core/batch_result.h"

class DialogServices;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// What a batch that needs a look did: its message with the icon of its severity, a filter by
// group with their counts, every file's row of the groups filtered, failures first, and buttons to
// copy the message and those rows, to save the CLI's report of every file, and OK. Sized and
// placed inside the work area of its screen, however many files the batch had: the list scrolls.
class BatchResultDlg : public QDialog {
    Q_OBJECT

  public:
    // `result` must outlive the dialog; the save-file dialog opens on `suggestedReport`.
    BatchResultDlg(const BatchResult& result, const QString& suggestedReport,
                   DialogServices& services, QWidget* parent = nullptr);

    // The rows shown: every file's, or one group's.
    ResultFilter filter() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showRows();
    void copy();
    void saveReport();

    const BatchResult& result_;
    QString suggestedReport_;
    DialogServices& services_;
    QComboBox* filter_ = nullptr;
    QListWidget* rows_ = nullptr;
};
