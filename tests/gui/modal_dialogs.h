#pragma once

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

// Acts on modal dialogs that the code under test opens with exec().
namespace modal_dialogs {

// Runs action on the next modal dialog of type Dialog once it is shown. Should none appear
// within about three seconds, any modal dialog is closed, so that the test fails instead of
// hanging.
template <class Dialog>
void onNext(std::function<void(Dialog&)> action, int triesLeft = 300) {
    QTimer::singleShot(10, [action, triesLeft] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            action(*dialog);
        } else if (triesLeft > 0) {
            onNext<Dialog>(action, triesLeft - 1);
        } else if (QWidget* other = QApplication::activeModalWidget()) {
            other->close();
        }
    });
}

// Presses the dialog's accepting button as a user would; when it is disabled, the dialog is
// cancelled instead. True when the button could be pressed.
inline bool pressAccept(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    QPushButton* button = dialog.findChild<QDialogButtonBox*>()->button(which);
    if (!button->isEnabled()) {
        dialog.reject();
        return false;
    }
    button->click();
    return true;
}

}  // namespace modal_dialogs
