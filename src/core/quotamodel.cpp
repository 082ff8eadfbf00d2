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

QuotaModel::QuotaModel(const Clock &clock, QObject *parent) : QObject(parent), clock_(clock) {}

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

void QuotaModel::RestoreCounters(const SavedCounters::Texts &texts) {
    restored_ = texts;
    if (const auto saved = SavedCounters::FromTexts(texts))
        account_.RestoreCounters(*saved);
}

SavedCounters::Texts QuotaModel::CountersToStore() const {
    if (!account_.Calculated)
        return restored_.value_or(SavedCounters::Texts{});
    const std::optional<SavedCounters> saved = account_.SaveCounters();
    return saved ? saved->ToTexts() : SavedCounters::Texts{};
}

void QuotaModel::StartAfresh() {
    account_.StartAfresh();
    objects_ = QuotaObjects();
    highSpeed_.reset();
    speed_.reset();
    rateFromMs_.reset();
}

OctetReading QuotaModel::prepare(const QuotaReading &r) {
    if (!wanRow_.empty() && r.wanRow != wanRow_)
        StartAfresh();
    wanRow_ = r.wanRow;
    objects_.wide = objects_.wide && !r.lacking.wide;
    objects_.discontinuity = objects_.discontinuity && !r.lacking.discontinuity;
    OctetReading o = r.reading;
    o.wallMs = clock_.Now().toMSecsSinceEpoch();
    if (objects_.speed) {
        if (r.lacking.speed || o.highSpeed || o.speed) {
            objects_.speed = false;
            highSpeed_ = o.highSpeed;
            speed_ = o.speed;
        }
    } else {
        o.highSpeed = highSpeed_;
        o.speed = speed_;
    }
    return o;
}

void QuotaModel::noteReading(std::int64_t ms) {
    if (!rateFromMs_ || ms < *rateFromMs_) {
        rateFromMs_ = ms;
        rateFromIn_ = account_.CountedIn();
        rateFromOut_ = account_.CountedOut();
    }
    lastReadingMs_ = ms;
}

void QuotaModel::Calculated(const QuotaReading &reading, bool carryOn) {
    const OctetReading o = prepare(reading);
    account_.Capture(o, carryOn);
    noteReading(o.wallMs);
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

void QuotaModel::Take(const QuotaReading &reading) {
    const OctetReading o = prepare(reading);
    account_.Take(o);
    noteReading(o.wallMs);
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

QString QuotaModel::NothingShownText() const {
    // A definition of 0 or fewer bytes makes every amount meaningless (a negative gigabyte
    // makes the allowance negative, which switches the account off).
    const auto definition = [](const char *unit, double bytes) {
        return QStringLiteral("No amount is shown: the ISP's %1 is defined as %2 bytes. A %1 "
                              "must be more than 0 bytes: redefine it.")
            .arg(QLatin1String(unit), FloatToStr(bytes).c_str());
    };
    if (!(account_.BytesPerGB > 0))
        return definition("gigabyte", account_.BytesPerGB);
    if (!(account_.BytesPerMB > 0))
        return definition("megabyte", account_.BytesPerMB);
    if (account_.Calculated && !(account_.QuotaBytes > 0))
        return QStringLiteral("No quota is shown: the full quota is 0 gigabytes. Enter it and "
                              "press Calculate.");
    return QString();
}

QString QuotaModel::ForecastText() const {
    if (!account_.Calculated || !(account_.QuotaBytes > 0) || !rateFromMs_)
        return QString();
    const QDateTime now = clock_.Now();
    const std::optional<QDate> to = NextResetDay(now.date(), resetDay_);
    if (!to)
        return QString();
    const qint64 basis = (lastReadingMs_ - *rateFromMs_) / 1000;
    const double counted = account_.CountedIn() - rateFromIn_ +
                           (downloadOnly_ ? 0.0 : account_.CountedOut() - rateFromOut_);
    const std::optional<double> projected =
        ProjectedUse(account_.Used(downloadOnly_), counted, basis, now, to->startOfDay());
    if (!projected)
        return QString();
    return core::ForecastText(*projected, *to, account_.BytesPerGB, account_.BytesPerMB, basis);
}

bool QuotaModel::ResetDue(const QDate &today) {
    // Done today exactly when the last reset's date is today's, as the settings hold it.
    resetDoneToday_ = lastResetDate_ == ShortDateText(today);
    if (IsResetDay(today, resetDay_))
        return !resetDoneToday_;
    // A reset day that passed unseen (the program was closed or the computer asleep): the
    // account still holds last month's use when the last reset is before that day.
    const std::optional<QDate> last = LastResetDay(today, resetDay_);
    if (!last)
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
