#include "app/gui/batch_result_dlg.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/core/dialog_messages.h"
#include "app/gui/batch_message.h"
#include "app/gui/dialog_services.h"
#include "app/gui/work_area.h"

namespace {

// How much of the list the dialog shows at first when there is room: rows, and a row's width in
// average characters.
constexpr int kShownRows = 16;
constexpr int kShownColumns = 90;
// The least the list may shrink to, in rows.
constexpr int kLeastRows = 3;

constexpr ResultGroup kGroups[] = {ResultGroup::NotConverted, ResultGroup::InPart,
                                   ResultGroup::Whole, ResultGroup::NotStarted};

// The style's picture of a message box icon.
QStyle::StandardPixmap standardPixmap(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Warning:
            return QStyle::SP_MessageBoxWarning;
        case QMessageBox::Critical:
            return QStyle::SP_MessageBoxCritical;
        default:
            return QStyle::SP_MessageBoxInformation;
    }
}

}  // namespace

BatchResultDlg::BatchResultDlg(const BatchResult& result, const QString& suggestedReport,
                               DialogServices& services, QWidget* parent)
    : QDialog(parent), result_(result), suggestedReport_(suggestedReport), services_(services) {
    setWindowTitle(QStringLiteral("MORVEX"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(standardPixmap(batchIcon(result.severity())), nullptr, this)
                        .pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(QString::fromStdString(result.message()), this);
    message->setObjectName(QStringLiteral("message"));
    // Paths may hold characters that would make the text look like markup.
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->addItem(
        QString::fromStdString(resultFilterLabel(std::nullopt, result.reports().size())), -1);
    for (const ResultGroup group : kGroups) {
        // Groups without a file are left out.
        if (const std::size_t count = result.count(group); count > 0) {
            filter_->addItem(QString::fromStdString(resultFilterLabel(group, count)),
                             static_cast<int>(group));
        }
    }

    rows_ = new QListWidget(this);
    rows_->setObjectName(QStringLiteral("rows"));
    // Each row as wide as its text: the list scrolls sideways rather than cut a path.
    rows_->setTextElideMode(Qt::ElideNone);
    rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* copyButton =
        buttons->addButton(QString::fromStdString(copyResultLabel()), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copy"));
    copyButton->setAutoDefault(false);
    auto* saveButton =
        buttons->addButton(QString::fromStdString(saveReportLabel()), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("saveReport"));
    saveButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(message, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(filter_, 0, Qt::AlignLeft);
    layout->addWidget(rows_, 1);
    layout->addWidget(buttons);

    connect(filter_, &QComboBox::currentIndexChanged, this, &BatchResultDlg::showRows);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(copyButton, &QPushButton::clicked, this, &BatchResultDlg::copy);
    connect(saveButton, &QPushButton::clicked, this, &BatchResultDlg::saveReport);
    showRows();

    // Room for the rows and their width when the screen has it; the list gives way when not.
    const int rowHeight = std::max(rows_->sizeHintForRow(0), fontMetrics().height());
    const int frame = 2 * rows_->frameWidth();
    rows_->setMinimumHeight(kLeastRows * rowHeight + frame);
    const QSize listWanted(kShownColumns * fontMetrics().averageCharWidth(),
                           kShownRows * rowHeight + frame);
    const QSize hint = sizeHint();
    const QSize wanted(
        std::max(hint.width(), listWanted.width() + hint.width() - rows_->sizeHint().width()),
        hint.height() + std::max(0, listWanted.height() - rows_->sizeHint().height()));
    resize(sizeInWorkArea(*this, wanted).expandedTo(minimumSizeHint()));
}

ResultFilter BatchResultDlg::filter() const {
    const int group = filter_->currentData().toInt();
    return group < 0 ? ResultFilter() : ResultFilter(static_cast<ResultGroup>(group));
}

void BatchResultDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    keepInWorkArea(*this);
}

void BatchResultDlg::showRows() {
    QStringList texts;
    for (const ResultRow& row : result_.rows(filter())) {
        texts.append(QString::fromStdString(row.text));
    }
    rows_->clear();
    rows_->addItems(texts);
}

void BatchResultDlg::copy() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(result_.copiedText(filter())));
}

void BatchResultDlg::saveReport() {
    const std::optional<QString> chosen = services_.chooseReportFile(this, suggestedReport_);
    if (!chosen) {
        return;
    }
    const std::string problem = result_.saveReport(QFile::encodeName(*chosen).toStdString());
    if (!problem.empty()) {
        services_.showMessage(this, QMessageBox::Warning, QString::fromStdString(problem),
                              QString());
        return;
    }
    suggestedReport_ = *chosen;  // a second save opens where the first went
}
