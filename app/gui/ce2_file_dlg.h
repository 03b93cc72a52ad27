#pragma once

#include "app/gui/file_dlg.h"

// The open-file dialog for .ce2 files: the subfolders and .ce2 files (in any letter case) of one
// folder, several of which can be picked or named.
class Ce2FileDlg : public FileDlg {
    Q_OBJECT

  public:
    explicit Ce2FileDlg(const QString& folder, QWidget* parent = nullptr);
};
