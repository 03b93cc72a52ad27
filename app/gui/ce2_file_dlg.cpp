#include "app/gui/ce2_file_dlg.h"

Ce2FileDlg::Ce2FileDlg(const QString& folder, QWidget* parent)
    : FileDlg(Purpose::Open, folder, QStringLiteral("Tovr data(*.ce2)"), QStringLiteral("*.ce2"),
              parent) {}
