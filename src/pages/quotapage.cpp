#include "quotapage.h"

#include "mainform.h"
#include "quotascale.h"
#include "widgets.h"

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

QWidget *QuotaPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->setSpacing(12);

    // The bar and its percentage on the left; the amount left above the account's details.
    auto *barColumn = new QVBoxLayout;
    auto *scale = new QuotaScale(page);
    scale->setObjectName(QStringLiteral("QuotaScale"));
    barColumn->addWidget(scale, 1);
    barColumn->addWidget(MakeValueLabel(page, "PercentUsed_Label", QStringLiteral("------")));
    layout->addLayout(barColumn);

    auto *detailsColumn = new QVBoxLayout;
    auto *remainingRow = new QHBoxLayout;
    remainingRow->setContentsMargins(4, 0, 0, 0);
    remainingRow->addWidget(
        MakeLabel(page, "QuoatRemainingL_Label", QStringLiteral("Quota left: ")));
    remainingRow->addWidget(MakeValueLabel(page, "QuotaRemaining_Label", QStringLiteral("----")),
                            1);
    detailsColumn->addLayout(remainingRow);

    QGroupBox *box = MakeGroup(page, "Quota_GBox", QStringLiteral(" Data quota details "));
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    int row = 0;

    grid->addWidget(
        MakeLabel(box, "FullQuota_Label", QStringLiteral("Your full quota in gigabytes:")), row, 0);
    grid->addWidget(makeEdit(box, "GBQuota_Edit", QStringLiteral("0"), 90), row, 1);
    grid->addWidget(MakeLabel(box, "GB_label", QStringLiteral("Gigabytes")), row++, 2, 1, 2);
    grid->addWidget(
        MakeLabel(box, "UsedQuota_Label", QStringLiteral("Current used quota in megabytes:")), row,
        0);
    grid->addWidget(makeEdit(box, "MBUsed_Edit", QStringLiteral("0"), 90), row, 1);
    grid->addWidget(MakeLabel(box, "MB_Label", QStringLiteral("Megabytes")), row++, 2, 1, 2);
    grid->addWidget(MakeButton(box, "CalcQuota_But", QStringLiteral("Calculate")), row, 0,
                    Qt::AlignLeft);
    QLabel *note =
        MakeLabel(box, "ButtonNote_Label",
                  QStringLiteral("Only calculate this ONCE unless you re-adjust your used quota!"));
    note->setWordWrap(true);
    grid->addWidget(note, row++, 1, 1, 4);

    grid->addWidget(makeBevel(box, "Bevel2"), row++, 0, 1, 5);
    grid->addWidget(
        MakeLabel(box, "GigabyteL_Label", QStringLiteral("ISP defines one gigabyte as")), row, 0);
    grid->addWidget(makeEdit(box, "Gbytes_Edit", QStringLiteral("1073741824"), 90), row, 1);
    grid->addWidget(MakeLabel(box, "GBytesLLabel", QStringLiteral("bytes")), row, 2);
    grid->addWidget(MakeButton(box, "ReDefGB_But", QStringLiteral("Redefine")), row++, 3);
    grid->addWidget(
        MakeLabel(box, "MegabyteL_Label", QStringLiteral("ISP defines one megabyte as")), row, 0);
    grid->addWidget(makeEdit(box, "MBytes_Edit", QStringLiteral("1048576"), 90), row, 1);
    grid->addWidget(MakeLabel(box, "MBytesLLabel", QStringLiteral("bytes")), row, 2);
    grid->addWidget(MakeButton(box, "ReDefMB_But", QStringLiteral("Redefine")), row++, 3);
    grid->addWidget(makeBevel(box, "Bevel6"), row++, 0, 1, 5);

    auto *downOnly = new QRadioButton(QStringLiteral("Quota includes downloaded data ONLY"), box);
    downOnly->setObjectName(QStringLiteral("Down_RBut"));
    downOnly->setChecked(true);
    auto *downUp =
        new QRadioButton(QStringLiteral("Quota includes downloaded AND uploaded data"), box);
    downUp->setObjectName(QStringLiteral("DownUp_RBut"));
    grid->addWidget(downOnly, row++, 0, 1, 5);
    grid->addWidget(downUp, row++, 0, 1, 5);

    auto *resetRow = new QHBoxLayout;
    resetRow->setSpacing(0);
    resetRow->addWidget(MakeLabel(box, "ResetQ1_Label", QStringLiteral("Reset quota on day  ")));
    QLineEdit *day = makeEdit(box, "ResetDay_Edit", QStringLiteral("0"), 36);
    day->setReadOnly(true);
    day->setAlignment(Qt::AlignRight);
    resetRow->addWidget(day);
    resetRow->addWidget(makeUpDown(box, day));
    resetRow->addSpacing(6);
    resetRow->addWidget(MakeLabel(box, "ResetQ2_Label", QStringLiteral("of each month")));
    resetRow->addStretch(1);
    grid->addLayout(resetRow, row++, 0, 1, 5);

    auto *lastRow = new QHBoxLayout;
    lastRow->setSpacing(6);
    lastRow->addWidget(MakeLabel(box, "LastResetT_Label", QStringLiteral("Last reset")));
    lastRow->addWidget(MakeValueLabel(box, "LastResetDate_Label", QStringLiteral("------")));
    lastRow->addStretch(1);
    grid->addLayout(lastRow, row++, 0, 1, 5);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(4, 1);
    detailsColumn->addWidget(box, 1);
    layout->addLayout(detailsColumn, 1);
    return page;
}

void QuotaPage::Bind() {}
void QuotaPage::QuotaClick(Trigger) {}
void QuotaPage::Quota_TimerTimer() {}
