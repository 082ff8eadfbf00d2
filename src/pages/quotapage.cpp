#include "pages/quotapage.h"

#include "core/clock.h"
#include "core/convert.h"
#include "core/grading.h"
#include "core/quota.h"
#include "core/quotamodel.h"
#include "core/quotaqueries.h"
#include "core/regional.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "pages/quotascale.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QColor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vantrel::pages {

using namespace ui;
using core::Trigger;

namespace {

const int kHelp = 120;
const QString kPageKey = QStringLiteral("page:Quota");
const QString kTimerKey = QStringLiteral("monitor:quota");
const QString kCalculateKey = QStringLiteral("page:QuotaCalc");
const QString kWarning = QStringLiteral("Warning");

// The bar's colour by its level.
QColor barColour(int position) {
    switch (core::QuotaLevelOf(position)) {
    case core::QuotaLevel::Critical:
        return QColor(255, 0, 0);
    case core::QuotaLevel::High:
        return QColor(255, 255, 0);
    case core::QuotaLevel::Normal:
        break;
    }
    return QColor(0, 128, 0);
}

double realIn(const QLineEdit *edit) {
    return core::StrToFloat(edit->text().toStdString());
}

// A box for a number: what can be typed is digits with one decimal point (a text set from the
// settings file is not held to it, and still gets its conversion message).
QLineEdit *makeEdit(QWidget *parent, const char *name, const QString &text, int width,
                    bool number = true) {
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(width);
    if (number)
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,15}(\\.[0-9]{0,6})?")), edit));
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
// text of the edit beside it. The edit takes a typed day (0 to 31) and the arrow keys too.
QSpinBox *makeUpDown(QWidget *parent, QLineEdit *buddy) {
    auto *upDown = new QSpinBox(parent);
    upDown->setObjectName(QStringLiteral("Day_UpDn"));
    upDown->setRange(0, 31);
    upDown->setValue(buddy->text().toInt());
    upDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    upDown->setFixedSize(upDown->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4,
                         buddy->sizeHint().height());
    QObject::connect(upDown, &QSpinBox::valueChanged, buddy, [buddy](int day) {
        if (buddy->text() != QString::number(day))
            buddy->setText(QString::number(day));
    });
    QObject::connect(buddy, &QLineEdit::textEdited, upDown, [upDown](const QString &text) {
        if (!text.isEmpty())
            upDown->setValue(text.toInt());
    });
    // An empty box left behind shows the day in force again.
    QObject::connect(buddy, &QLineEdit::editingFinished, upDown,
                     [upDown, buddy] { buddy->setText(QString::number(upDown->value())); });
    return upDown;
}

// The arrow keys and page keys in the reset-day box step the day.
class DayKeys : public QObject {
public:
    DayKeys(QSpinBox *upDown, QObject *parent) : QObject(parent), upDown_(upDown) {}
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress) {
            switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_Up:
                upDown_->stepUp();
                return true;
            case Qt::Key_Down:
                upDown_->stepDown();
                return true;
            case Qt::Key_PageUp:
                upDown_->stepBy(10);
                return true;
            case Qt::Key_PageDown:
                upDown_->stepBy(-10);
                return true;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSpinBox *upDown_;
};

} // namespace

QuotaPage::QuotaPage(ui::PageContext &context, core::QuotaModel &quota,
                     core::SettingsModel &settings)
    : context_(context), quota_(quota), settings_(settings) {
    connect(&quota_, &core::QuotaModel::changed, this, [this] { render(); });
    // The month starts again from nothing used.
    connect(&quota_, &core::QuotaModel::monthStarted, this,
            [this] { mbUsed_->setText(QStringLiteral("0")); });
}

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
    // The month's use projected to the next reset day; empty until there is a day of data.
    forecast_ = MakeLabel(page, "Forecast_Label", QString());
    forecast_->setContentsMargins(4, 0, 0, 0);
    detailsColumn->addWidget(forecast_);
    // Why no amount is shown (an allowance or a definition of 0).
    nothingShown_ = MakeLabel(page, "NothingShown_Label", QString());
    nothingShown_->setContentsMargins(4, 0, 0, 0);
    nothingShown_->setWordWrap(true);
    detailsColumn->addWidget(nothingShown_);

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
    resetDay_ = makeEdit(box, "ResetDay_Edit", QStringLiteral("0"), 36, false);
    resetDay_->setValidator(new QIntValidator(0, 31, resetDay_));
    resetDay_->setProperty("longestText", QStringLiteral("31"));
    resetDay_->setAlignment(Qt::AlignRight);
    resetRow->addWidget(resetDay_);
    dayUpDown_ = makeUpDown(box, resetDay_);
    resetDay_->installEventFilter(new DayKeys(dayUpDown_, resetDay_));
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

    auto on = [this](QPushButton *button, void (QuotaPage::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { context_.Run([this, handler] { (this->*handler)(); }); });
    };
    on(calculate_, &QuotaPage::CalcQuota_ButClick);
    on(redefineGB_, &QuotaPage::ReDefGB_ButClick);
    on(redefineMB_, &QuotaPage::ReDefMB_ButClick);
    connect(downOnly_, &QRadioButton::toggled, this,
            [this](bool downloadOnly) { quota_.SetDownloadOnly(downloadOnly); });
    connect(dayUpDown_, &QSpinBox::valueChanged, this,
            [this](int day) { quota_.SetResetDay(day); });
    // The allowance as typed is kept with the settings.
    connect(gbQuota_, &QLineEdit::textChanged, this,
            [this](const QString &text) { settings_.SetAllowanceText(text); });
    connect(&settings_, &core::SettingsModel::changed, this, [this](core::Setting setting) {
        if (setting == core::Setting::Allowance && gbQuota_->text() != settings_.Values().GBQuota)
            gbQuota_->setText(settings_.Values().GBQuota);
    });
    return page;
}

void QuotaPage::QuotaClick(Trigger trigger) {
    const bool timer = trigger == Trigger::Timer;
    // A timer tick leaves the help topic, and the focus where the user is typing.
    RouterQuery::Begin(context_, timer ? -1 : kHelp, timer ? RouterQuery::NoFocus : 0);
    const bool wanted = timer || context_.IsActivePage(page_);
    if (wanted && quota_.CalculateMissed()) {
        // The router was silent at the start-up "Calculate" (switched on after the computer,
        // say). Until one gets an answer the account counts nothing, so each refresh makes it
        // again, with the "MBUsed" the box holds.
        if (OnRetryCalculate)
            OnRetryCalculate();
        calculate(timer ? core::Requester::Monitor : core::Requester::Page, trigger, true);
        return;
    }
    if (!wanted || !(quota_.Account().QuotaBytes > 0)) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    core::ResultHead head;
    head.trigger = trigger;
    head.requester = timer ? core::Requester::Monitor : core::Requester::Page;
    context_.Router().Submit<core::QuotaReading>(
        timer ? kTimerKey : kPageKey, core::RouterModel::KindOf(head), head,
        [ask = quota_.Objects()](core::RouterLink &link) {
            return core::ReadQuotaCounters(link, ask);
        },
        [this](core::QuotaReading &r) { context_.Run([this, &r] { showReading(r); }); });
}

void QuotaPage::showReading(const core::QuotaReading &r) {
    const core::Outcome &outcome = r.head.outcome;
    if (outcome.cancelled) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    if (outcome.probeFailed) {
        quota_.ReadingFailed();
        RouterQuery::ReportFailure(context_);
        return;
    }
    if (!outcome.conversionError.empty()) {
        context_.Prompt().Warning(kWarning, QStringLiteral("Value is not an integer error!"));
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    // The allowance was cleared while the reading was on its way.
    if (!(quota_.Account().QuotaBytes > 0)) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    quota_.Take(r);
    if (!quota_.Show(r.head.trigger == Trigger::PushButton))
        context_.Prompt().Warning(kWarning, QStringLiteral("Division by zero error!"));
    context_.SetStatus(RouterQuery::ReadyText);
}

void QuotaPage::render() {
    QProgressBar *bar = scale_->Bar();
    bar->setValue(quota_.BarPercent());
    if (quota_.PercentShown())
        percentUsed_->setText(QString::number(quota_.BarPercent()) + QLatin1Char('%'));
    quotaRemaining_->setText(quota_.LeftText());
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, barColour(quota_.BarPercent()));
    bar->setPalette(palette);
    forecast_->setText(quota_.ForecastText());
    nothingShown_->setText(quota_.NothingShownText());
    lastResetDate_->setText(quota_.LastResetDate());
}

void QuotaPage::CalcQuota_ButClick() {
    CalcQuota_ButClick(core::Requester::Page);
}

void QuotaPage::CalcQuota_ButClick(core::Requester requester) {
    calculate(requester, std::nullopt);
}

void QuotaPage::calculate(core::Requester requester, std::optional<Trigger> refresh, bool carryOn) {
    context_.SetStatus(RouterQuery::BusyText);
    core::ResultHead head;
    head.requester = requester;
    context_.Router().Submit<core::QuotaReading>(
        kCalculateKey, core::RouterModel::KindOf(head), head,
        [ask = quota_.Objects()](core::RouterLink &link) {
            return core::ReadQuotaCounters(link, ask);
        },
        [this, refresh, carryOn](core::QuotaReading &r) {
            context_.Run([this, &r, refresh, carryOn] { captured(r, refresh, carryOn); });
        });
}

void QuotaPage::captured(const core::QuotaReading &r, std::optional<Trigger> refresh,
                         bool carryOn) {
    const core::Outcome &outcome = r.head.outcome;
    if (outcome.cancelled) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    // No answer: nothing changes. Until some "Calculate" gets an answer the account counts
    // nothing, so each quota refresh makes it again.
    if (outcome.probeFailed) {
        quota_.CalculateFailed();
        // A retry from a timer fails quietly: the tray's timer makes one every 5 seconds.
        if (r.head.requester == core::Requester::Monitor)
            context_.SetStatus(RouterQuery::ErrorText);
        else
            RouterQuery::ReportFailure(context_);
        return;
    }
    RouterQuery::Finish(context_, outcome); // a counter that is no number goes to the error box
    quota_.Calculated(r, carryOn);
    // One after the other: a text that is no number leaves the fields before it assigned.
    quota_.SetAllowance(realIn(gbQuota_) * quota_.Account().BytesPerGB);
    quota_.SetUsedAtCalculate(realIn(mbUsed_) * quota_.Account().BytesPerMB);
    quota_.Announce();
    if (refresh) {
        QuotaClick(*refresh);
        return;
    }
    // The account is known now: the stored amount and no growth yet.
    showAccount(r.head.requester != core::Requester::Monitor);
}

void QuotaPage::showAccount(bool mayLower) {
    if (!(quota_.Account().QuotaBytes > 0) || !quota_.Show(mayLower))
        render(); // says why nothing is shown
}

void QuotaPage::ReDefGB_ButClick() {
    quota_.SetBytesPerGB(realIn(gbytes_));
}

void QuotaPage::ReDefMB_ButClick() {
    quota_.SetBytesPerMB(realIn(mbytes_));
}

void QuotaPage::CheckResetDay() {
    const QDate today = context_.Clock().Now().date();
    checkedDay_ = today;
    if (quota_.ResetDue(today)) {
        quota_.StartMonth(today);
        CalcQuota_ButClick(core::Requester::Monitor);
    }
}

void QuotaPage::Quota_TimerTimer() {
    CheckResetDay();
    QuotaClick(Trigger::Timer);
}

void QuotaPage::Start() {
    CheckResetDay();
    calculate(core::Requester::Startup, std::nullopt, true);
    if (!dayTimer_) {
        // A change of day is looked for each minute: that also sees a day that passed while the
        // computer slept, or the clock being set.
        dayTimer_ = new QTimer(page_);
        dayTimer_->setObjectName(QStringLiteral("QuotaDay_Timer"));
        dayTimer_->setInterval(60000);
        connect(dayTimer_, &QTimer::timeout, this, [this] {
            if (context_.Clock().Now().date() != checkedDay_)
                context_.Run([this] { CheckResetDay(); });
        });
    }
    dayTimer_->start();
}

void QuotaPage::ShowSettings(const core::SettingsFile::LoadResult &loaded) {
    const core::SettingsValues &v = loaded.values;
    const char kQuota[] = "Quota";
    if (loaded.Reached(kQuota, "Data")) {
        // Checked and unchecked explicitly, whether or not the two share a group.
        downUp_->setChecked(!v.DownloadOnly);
        downOnly_->setChecked(v.DownloadOnly);
    }
    // Both definitions go into their boxes before either is converted.
    if (loaded.Reached(kQuota, "ISP bytes in Megabyte") ||
        loaded.Reached(kQuota, "ISP bytes in Gigabyte") || !loaded.error.isEmpty()) {
        gbytes_->setText(v.GigabyteText);
        mbytes_->setText(v.MegabyteText);
    }
    if (loaded.Reached(kQuota, "MBUsed"))
        mbUsed_->setText(v.MBUsed);
    if (loaded.Reached(kQuota, "Reset day"))
        dayUpDown_->setValue(std::clamp(v.ResetDay, 0, 31));
    render();
}

} // namespace vantrel::pages
