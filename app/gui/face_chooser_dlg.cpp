#include "app/gui/face_chooser_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/ui_text.h"

namespace {

// The largest size whose pixel size (points * 96 / 72) still fits 32 bits.
constexpr int kMaxPoints = 1610612735;
// Larger sizes are previewed at this size.
constexpr int kMaxPreviewPoints = 72;
constexpr int kListedSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

}  // namespace

FaceChooserDlg::FaceChooserDlg(const QStringList& faces, const QString& family, int points,
                               QWidget* parent)
    : QDialog(parent), initialFamily_(family) {
    setWindowTitle(uiText("Font"));

    family_ = new QLineEdit(family, this);
    family_->setObjectName(QStringLiteral("family"));
    faces_ = new QListWidget(this);
    faces_->setObjectName(QStringLiteral("faces"));
    faces_->addItems(faces);

    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("size"));
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    for (const int listed : kListedSizes) {
        size_->addItem(QString::number(listed));
    }
    size_->setValidator(new QIntValidator(1, kMaxPoints, size_));
    size_->setEditText(points > 0 ? QString::number(points) : QString());

    preview_ = new QLabel(QStringLiteral("AaBbYyZz あぁアァ亜宇"), this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumSize(240, 60);
    standIn_ = new QLabel(this);
    standIn_->setObjectName(QStringLiteral("standIn"));
    standIn_->setWordWrap(true);

    auto* familyLabel = new QLabel(uiText("&Font:"), this);
    familyLabel->setBuddy(family_);
    auto* sizeLabel = new QLabel(uiText("&Size:"), this);
    sizeLabel->setBuddy(size_);
    auto* choice = new QGridLayout;
    choice->addWidget(familyLabel, 0, 0);
    choice->addWidget(sizeLabel, 0, 1);
    choice->addWidget(family_, 1, 0);
    choice->addWidget(size_, 1, 1, Qt::AlignTop);
    choice->addWidget(faces_, 2, 0);
    choice->setColumnStretch(0, 1);

    auto* sample = new QGroupBox(uiText("Sample"), this);
    auto* sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(preview_);
    sampleLayout->addWidget(standIn_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(choice);
    outer->addWidget(sample);
    outer->addWidget(buttons);

    connect(family_, &QLineEdit::textEdited, this, &FaceChooserDlg::familyEdited);
    connect(family_, &QLineEdit::textChanged, this, &FaceChooserDlg::updateState);
    connect(faces_, &QListWidget::itemSelectionChanged, this, &FaceChooserDlg::facePicked);
    connect(faces_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(size_, &QComboBox::editTextChanged, this, &FaceChooserDlg::updateState);

    familyEdited(family);
    updateState();
}

QString FaceChooserDlg::family() const {
    return family_->text();
}

int FaceChooserDlg::points() const {
    bool ok = false;
    const int value = size_->currentText().toInt(&ok);
    return ok && value > 0 ? value : 0;
}

// Follows the typed family in the list: the face of that name is selected, else the first that
// begins with it is shown. The typed text itself stays as it is.
void FaceChooserDlg::familyEdited(const QString& text) {
    const QSignalBlocker blocker(faces_);
    faces_->clearSelection();
    QListWidgetItem* shown = nullptr;
    for (int i = 0; i < faces_->count() && !text.isEmpty(); ++i) {
        QListWidgetItem* item = faces_->item(i);
        if (item->text().compare(text, Qt::CaseInsensitive) == 0) {
            faces_->setCurrentItem(item);
            shown = item;
            break;
        }
        if (shown == nullptr && item->text().startsWith(text, Qt::CaseInsensitive)) {
            shown = item;
        }
    }
    if (shown != nullptr) {
        faces_->scrollToItem(shown, QAbstractItemView::PositionAtTop);
    }
}

void FaceChooserDlg::facePicked() {
    const QList<QListWidgetItem*> picked = faces_->selectedItems();
    if (!picked.isEmpty()) {
        family_->setText(picked.front()->text());
    }
}

void FaceChooserDlg::updateState() {
    const QString family = family_->text();
    QFont font;
    font.setFamily(family);
    if (points() > 0) {
        font.setPointSize(std::min(points(), kMaxPreviewPoints));
    }
    preview_->setFont(font);
    const QString drawnWith = QFontInfo(font).family();
    const bool standsIn = !family.trimmed().isEmpty() &&
                          drawnWith.compare(family.trimmed(), Qt::CaseInsensitive) != 0;
    standIn_->setText(standsIn ? uiText("“%1” is not installed on this computer, so the "
                                        "sample is shown in “%2”. “%1” is what "
                                        "will be saved.")
                                     .arg(family.trimmed(), drawnWith)
                               : QString());
    // An empty family is confirmed only when it is the one the chooser opened on.
    ok_->setEnabled(points() > 0 && (!family.trimmed().isEmpty() || family == initialFamily_));
}
