#pragma once

#include <QDialog>

// The about box: the program's name, its version and what it does, closed by OK.
class CMorvexAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CMorvexAboutDlg(QWidget* parent = nullptr);
};
