#include "app/gui/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/ui_text.h"

CMorvexAboutDlg::CMorvexAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("MORVEXのバージョン情報"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/morvex.svg")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("MORVEX"), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* version = new QLabel(uiText("Version %1").arg(QStringLiteral(MORVEX_VERSION)), this);
    auto* purpose = new QLabel(uiText("Converts .CE2 schematic drawings into .CE3 files."), this);
    // The licence's name, in every language.
    auto* licence = new QLabel(QStringLiteral("MIT License"), this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(purpose);
    texts->addWidget(licence);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addWidget(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}
