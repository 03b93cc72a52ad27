#pragma once

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/gui/morvex_dlg.h"

// Reaches the controls of a main dialog the way a user would: by dropping, clicking and reading.
namespace dialog_driver {

inline QLineEdit* field(CMorvexDlg& dlg, const char* name) {
    return dlg.findChild<QLineEdit*>(QLatin1String(name));
}

inline QPushButton* button(CMorvexDlg& dlg, const char* name) {
    return dlg.findChild<QPushButton*>(QLatin1String(name));
}

// The action of that name among the owner's children: a dialog's Browse menu, a context menu.
inline QAction* action(QObject& owner, const char* name) {
    return owner.findChild<QAction*>(QLatin1String(name));
}

inline QStringList listed(CMorvexDlg& dlg) {
    QStringList texts;
    const auto* list = dlg.findChild<QListWidget*>(QStringLiteral("files"));
    for (int i = 0; i < list->count(); ++i) {
        texts.append(list->item(i)->text());
    }
    return texts;
}

// Drops the URLs on the dialog; true when the dialog took the drop.
inline bool drop(CMorvexDlg& dlg, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the dialog's handler: the application would route a drop only during a drag.
    static_cast<QObject&>(dlg).event(&event);
    return event.isAccepted();
}

inline bool dropPaths(CMorvexDlg& dlg, const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    return drop(dlg, urls);
}

}  // namespace dialog_driver
