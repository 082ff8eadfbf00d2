#include "core/quotamodel.h"

#include "core/clock.h"
#include "core/convert.h"
#include "core/quotacalendar.h"
#include "core/regional.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vantrel::core {

const QString QuotaModel::NoAmountText = QStringLiteral("----");
const QString QuotaModel::NoResetDateText = QStringLiteral("------");

QuotaModel::QuotaModel(const Clock &clock, QObject *parent)
    : QObject(parent), clock_(clock), startDate_(clock.Now().date()) {}

void QuotaModel::SetDownloadOnly(bool downloadOnly) {
    downloadOnly_ = downloadOnly;
}

void QuotaModel::SetBytesPerGB(double bytes) {
    account_.BytesPerGB = bytes;
}

void QuotaModel::SetBytesPerMB(double bytes) {
    account_.BytesPerMB = bytes;
}

void QuotaModel::SetResetDay(int day) {
    resetDay_ = std::clamp(day, 0, 31);
}

void QuotaModel::RestoreLastResetDate(const QString &date) {
    lastResetDate_ = date;
    resetDoneToday_ = date == ShortDateText(clock_.Now().date());
}

QString QuotaModel::UsedToStore() const {
    // Without a "Calculate" that got an answer, the stored value stays.
    const QString used = UsedMegabytesText(account_, downloadOnly_);
    return used.isEmpty() ? storedUsed_ : used;
}

void QuotaModel::Calculated(const CounterSample &sample) {
    account_.Capture(sample);
}

void QuotaModel::SetAllowance(double bytes) {
    account_.QuotaBytes = bytes;
}

void QuotaModel::SetUsedAtCalculate(double bytes) {
    account_.UsedAtCalcBytes = bytes;
}

void QuotaModel::Announce() {
    emit changed();
}

void QuotaModel::CalculateFailed() {
    calculateMissed_ = !account_.Calculated;
}

void QuotaModel::Take(const CounterSample &sample) {
    account_.Take(sample);
}

void QuotaModel::ReadingFailed() {
    account_.ReadingFailed();
}

bool QuotaModel::Show(bool mayLower) {
    const double used = account_.Used(downloadOnly_);
    const double percent = used / account_.QuotaBytes * 100;
    if (!std::isfinite(percent) || std::fabs(percent) >= 9.2e18)
        return false;
    const auto p = static_cast<long long>(percent); // toward zero
    // The bar holds 0 to 100.
    if (p > barPercent_ || mayLower) {
        barPercent_ = int(std::clamp<long long>(p, 0, 100));
        percentShown_ = true;
    }
    QString left;
    try {
        // The amount passes through its text form (15 significant digits).
        left = AmountText(FloatToStr(account_.QuotaBytes - used), account_.BytesPerGB,
                          account_.BytesPerMB);
    } catch (const std::domain_error &) {
        // A definition redefined to 0: no amount to show, and no box at every tick.
        left = QStringLiteral("-");
    }
    if (downloadOnly_)
        left += QStringLiteral(" (") + QString::number(100 - barPercent_) + QStringLiteral("%)");
    leftText_ = left;
    emit changed();
    return true;
}

QString QuotaModel::ForecastText() const {
    if (!account_.Calculated || !(account_.QuotaBytes > 0))
        return QString();
    const QDateTime now = clock_.Now();
    const std::optional<QDate> from = LastResetDay(now.date(), resetDay_);
    const std::optional<QDate> to = NextResetDay(now.date(), resetDay_);
    if (!from || !to)
        return QString();
    // A reset that ran later than the reset day (the program was not running then) starts the
    // month's figures.
    QDate start = *from;
    const std::optional<QDate> done = ParseShortDate(lastResetDate_, now.date());
    if (done && *done > start && *done <= now.date())
        start = *done;
    const std::optional<double> projected =
        ProjectedUse(account_.Used(downloadOnly_), start.startOfDay(), now, to->startOfDay());
    if (!projected)
        return QString();
    return core::ForecastText(*projected, *to, account_.BytesPerGB, account_.BytesPerMB);
}

bool QuotaModel::ResetDue(const QDate &today) {
    if (today.day() == resetDay_)
        return !resetDoneToday_;
    resetDoneToday_ = false;
    // A reset day that passed while the program was not running: the account still holds last
    // month's use when the last reset is before that day.
    const std::optional<QDate> last = LastResetDay(today, resetDay_);
    if (!last || startDate_ <= *last)
        return false;
    const std::optional<QDate> done = ParseShortDate(lastResetDate_, today);
    return done && *done < *last;
}

void QuotaModel::StartMonth(const QDate &today) {
    resetDoneToday_ = true;
    lastResetDate_ = ShortDateText(today);
    account_.StartMonth();
    barPercent_ = 0;
    percentShown_ = true;
    emit changed();
    emit monthStarted(lastResetDate_);
}

} // namespace vantrel::core
