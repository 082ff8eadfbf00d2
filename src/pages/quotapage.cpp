#include "pages/quotapage.h"

#include "app/pagecontext.h"
#include "app/widgets.h"
#include "core/clock.h"
#include "core/quota.h"
#include "core/regional.h"
#include "core/state.h"
#include "pages/quotascale.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::pages {

using namespace app;

namespace {

QLineEdit *makeEdit(QWidget *parent, const char *name, const QString &text, int width) {
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(width);
    return edit;
}

QFrame *makeBevel(QWidget *parent, const char *name) {
    auto *bevel = new QFrame(parent);
    bevel->setObjectName(QString::fromLatin1(name));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

// The up-down control of the reset day: a spin box showing only its arrows, whose value is the
// text of the read-only edit beside it.
QSpinBox *makeUpDown(QWidget *parent, QLineEdit *buddy) {
    auto *upDown = new QSpinBox(parent);
    upDown->setObjectName(QStringLiteral("Day_UpDn"));
    upDown->setRange(0, 31);
    upDown->setValue(buddy->text().toInt());
    upDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    upDown->setFixedSize(upDown->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4,
                         buddy->sizeHint().height());
    QObject::connect(upDown, &QSpinBox::valueChanged, buddy,
                     [buddy](int day) { buddy->setText(QString::number(day)); });
    return upDown;
}

} // namespace

QuotaPage::QuotaPage(app::PageContext &context) : context_(context) {}

QWidget *QuotaPage::Build() {
    page_ = new QWidget;
    QWidget *page = page_;
    auto *layout = new QHBoxLayout(page);
    layout->setSpacing(12);

    // The bar and its percentage on the left; the amount left above the account's details.
    auto *barColumn = new QVBoxLayout;
    scale_ = new QuotaScale(page);
    scale_->setObjectName(QStringLiteral("QuotaScale"));
    barColumn->addWidget(scale_, 1);
    percentUsed_ = MakeValueLabel(page, "PercentUsed_Label", QStringLiteral("------"));
    barColumn->addWidget(percentUsed_);
    layout->addLayout(barColumn);

    auto *detailsColumn = new QVBoxLayout;
    auto *remainingRow = new QHBoxLayout;
    remainingRow->setContentsMargins(4, 0, 0, 0);
    remainingRow->addWidget(
        MakeLabel(page, "QuoatRemainingL_Label", QStringLiteral("Quota left: ")));
    quotaRemaining_ = MakeValueLabel(page, "QuotaRemaining_Label", QStringLiteral("----"));
    remainingRow->addWidget(quotaRemaining_, 1);
    detailsColumn->addLayout(remainingRow);

    QGroupBox *box = MakeGroup(page, "Quota_GBox", QStringLiteral(" Data quota details "));
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    int row = 0;

    grid->addWidget(
        MakeLabel(box, "FullQuota_Label", QStringLiteral("Your full quota in gigabytes:")), row, 0);
    gbQuota_ = makeEdit(box, "GBQuota_Edit", QStringLiteral("0"), 90);
    grid->addWidget(gbQuota_, row, 1);
    grid->addWidget(MakeLabel(box, "GB_label", QStringLiteral("Gigabytes")), row++, 2, 1, 2);
    grid->addWidget(
        MakeLabel(box, "UsedQuota_Label", QStringLiteral("Current used quota in megabytes:")), row,
        0);
    mbUsed_ = makeEdit(box, "MBUsed_Edit", QStringLiteral("0"), 90);
    grid->addWidget(mbUsed_, row, 1);
    grid->addWidget(MakeLabel(box, "MB_Label", QStringLiteral("Megabytes")), row++, 2, 1, 2);
    calculate_ = MakeButton(box, "CalcQuota_But", QStringLiteral("Calculate"));
    grid->addWidget(calculate_, row, 0, Qt::AlignLeft);
    QLabel *note =
        MakeLabel(box, "ButtonNote_Label",
                  QStringLiteral("Only calculate this ONCE unless you re-adjust your used quota!"));
    note->setWordWrap(true);
    grid->addWidget(note, row++, 1, 1, 4);

    grid->addWidget(makeBevel(box, "Bevel2"), row++, 0, 1, 5);
    grid->addWidget(
        MakeLabel(box, "GigabyteL_Label", QStringLiteral("ISP defines one gigabyte as")), row, 0);
    gbytes_ = makeEdit(box, "Gbytes_Edit", QStringLiteral("1073741824"), 90);
    grid->addWidget(gbytes_, row, 1);
    grid->addWidget(MakeLabel(box, "GBytesLLabel", QStringLiteral("bytes")), row, 2);
    redefineGB_ = MakeButton(box, "ReDefGB_But", QStringLiteral("Redefine"));
    grid->addWidget(redefineGB_, row++, 3);
    grid->addWidget(
        MakeLabel(box, "MegabyteL_Label", QStringLiteral("ISP defines one megabyte as")), row, 0);
    mbytes_ = makeEdit(box, "MBytes_Edit", QStringLiteral("1048576"), 90);
    grid->addWidget(mbytes_, row, 1);
    grid->addWidget(MakeLabel(box, "MBytesLLabel", QStringLiteral("bytes")), row, 2);
    redefineMB_ = MakeButton(box, "ReDefMB_But", QStringLiteral("Redefine"));
    grid->addWidget(redefineMB_, row++, 3);
    grid->addWidget(makeBevel(box, "Bevel6"), row++, 0, 1, 5);

    downOnly_ = new QRadioButton(QStringLiteral("Quota includes downloaded data ONLY"), box);
    downOnly_->setObjectName(QStringLiteral("Down_RBut"));
    downOnly_->setChecked(true);
    downUp_ = new QRadioButton(QStringLiteral("Quota includes downloaded AND uploaded data"), box);
    downUp_->setObjectName(QStringLiteral("DownUp_RBut"));
    grid->addWidget(downOnly_, row++, 0, 1, 5);
    grid->addWidget(downUp_, row++, 0, 1, 5);

    auto *resetRow = new QHBoxLayout;
    resetRow->setSpacing(0);
    resetRow->addWidget(MakeLabel(box, "ResetQ1_Label", QStringLiteral("Reset quota on day  ")));
    resetDay_ = makeEdit(box, "ResetDay_Edit", QStringLiteral("0"), 36);
    resetDay_->setReadOnly(true);
    resetDay_->setAlignment(Qt::AlignRight);
    resetRow->addWidget(resetDay_);
    dayUpDown_ = makeUpDown(box, resetDay_);
    resetRow->addWidget(dayUpDown_);
    resetRow->addSpacing(6);
    resetRow->addWidget(MakeLabel(box, "ResetQ2_Label", QStringLiteral("of each month")));
    resetRow->addStretch(1);
    grid->addLayout(resetRow, row++, 0, 1, 5);

    auto *lastRow = new QHBoxLayout;
    lastRow->setSpacing(6);
    lastRow->addWidget(MakeLabel(box, "LastResetT_Label", QStringLiteral("Last reset")));
    lastResetDate_ = MakeValueLabel(box, "LastResetDate_Label", QStringLiteral("------"));
    lastRow->addWidget(lastResetDate_);
    lastRow->addStretch(1);
    grid->addLayout(lastRow, row++, 0, 1, 5);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(4, 1);
    detailsColumn->addWidget(box, 1);
    layout->addLayout(detailsColumn, 1);
    return page;
}

// The account's refresh, "Calculate", "Redefine" and the monthly reset come with the quota
// account.
void QuotaPage::QuotaClick(core::Trigger) {}
void QuotaPage::CalcQuota_ButClick() {}
void QuotaPage::Quota_TimerTimer() {}

bool QuotaPage::DownloadOnly() const {
    return downOnly_->isChecked();
}

QString QuotaPage::QuotaLeftText() const {
    return quotaRemaining_->text();
}

void QuotaPage::ApplySettings(const core::SettingsFile::LoadResult &loaded) {
    const core::SettingsValues &v = loaded.values;
    const char kQuota[] = "Quota";
    if (loaded.Reached(kQuota, "Data")) {
        const bool both = v.Data == QLatin1String("DownloadUpload");
        // Checked and unchecked explicitly, whether or not the two share a group.
        downUp_->setChecked(both);
        downOnly_->setChecked(!both);
    }
    // Both definitions go into their boxes before either is converted.
    if (loaded.Reached(kQuota, "ISP bytes in Megabyte") ||
        loaded.Reached(kQuota, "ISP bytes in Gigabyte") || !loaded.error.isEmpty()) {
        gbytes_->setText(v.GigabyteText);
        mbytes_->setText(v.MegabyteText);
    }
    if (loaded.Reached(kQuota, "ISP bytes in Gigabyte"))
        context_.Quota().BytesPerGB = v.BytesPerGB;
    if (loaded.Reached(kQuota, "ISP bytes in Megabyte"))
        context_.Quota().BytesPerMB = v.BytesPerMB;
    if (loaded.Reached(kQuota, "GBQuota"))
        gbQuota_->setText(v.GBQuota);
    if (loaded.Reached(kQuota, "MBUsed")) {
        mbUsedAtLoad_ = v.MBUsed;
        mbUsed_->setText(v.MBUsed);
    }
    if (loaded.Reached(kQuota, "Reset day")) {
        dayUpDown_->setValue(v.ResetDay); // held within 0 to 31
        resetDay_->setText(QString::number(dayUpDown_->value()));
    }
    if (loaded.Reached(kQuota, "Last reset date")) {
        lastResetDate_->setText(v.LastResetDate);
        context_.Flags().ResetDoneToday =
            lastResetDate_->text() == core::ShortDateText(context_.Clock().Now().date());
    }
}

void QuotaPage::CollectSettings(core::SettingsValues &v) {
    v.Data =
        downOnly_->isChecked() ? QStringLiteral("DownloadOnly") : QStringLiteral("DownloadUpload");
    // The definitions in use, not the edit texts, which may not have been applied.
    v.GigabyteText = gbytes_->text();
    v.MegabyteText = mbytes_->text();
    v.BytesPerGB = context_.Quota().BytesPerGB;
    v.BytesPerMB = context_.Quota().BytesPerMB;
    v.GBQuota = gbQuota_->text();
    v.ResetDay = resetDay_->text().toInt();
    v.LastResetDate = lastResetDate_->text();
    // A good account gives the megabytes used so far; otherwise the stored value stays.
    const QString used = core::UsedMegabytesText(context_.Quota(), DownloadOnly());
    v.MBUsed = used.isEmpty() ? mbUsedAtLoad_ : used;
}

} // namespace vantrel::pages
