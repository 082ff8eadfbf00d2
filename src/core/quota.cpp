#include "core/quota.h"

#include "core/convert.h"

#include <cmath>
#include <stdexcept>

namespace vantrel::core {

namespace {

// A byte amount in megabytes with the ".0000" pattern: four decimals and no digit before the
// point below one.
QString megabytes(double bytes, double bytesPerMB) {
    const double mb = bytes / bytesPerMB;
    QString text = QString::number(std::fabs(mb), 'f', 4);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    if (mb < 0 && text != QLatin1String(".0000"))
        text.prepend(QLatin1Char('-'));
    return text;
}

// value with four decimals, rounded; no digit before the separator below one.
QString fourDecimals(double value, const QLocale &locale) {
    if (!std::isfinite(value))
        throw std::domain_error("Division by zero");
    QString text = QString::number(std::fabs(value), 'f', 4);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    if (value < 0 && text != QLatin1String(".0000"))
        text.prepend(QLatin1Char('-'));
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

double divided(double amount, double definition) {
    if (definition == 0 && amount != 0)
        throw std::domain_error("Division by zero");
    return definition == 0 ? 0.0 : amount / definition;
}

} // namespace

QString AmountText(const std::string &bytes, double bytesPerGB, double bytesPerMB,
                   const QLocale &locale) {
    return AmountText(core::StrToFloat(bytes), bytesPerGB, bytesPerMB, locale);
}

QString AmountText(double x, double bytesPerGB, double bytesPerMB, const QLocale &locale) {
    const double g = divided(x, bytesPerGB);
    if (g > 1.0)
        return fourDecimals(g, locale) + QStringLiteral(" GB");
    return fourDecimals(divided(x, bytesPerMB), locale) + QStringLiteral(" MB");
}

QString MegabyteText(const std::string &bytes, double bytesPerMB, const QLocale &locale) {
    return fourDecimals(divided(core::StrToFloat(bytes), bytesPerMB), locale);
}

double UsedBytes(const QuotaAccount &a, bool downloadOnly) {
    return a.Used(downloadOnly);
}

QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly) {
    if (!account.Calculated || !(account.QuotaBytes > 0) || !(account.BytesPerMB > 0))
        return QString();
    const double used = account.Used(downloadOnly);
    if (!std::isfinite(used))
        return QString();
    // The amount passes through its text form (15 significant digits), as the page shows it.
    return megabytes(core::StrToFloat(core::FloatToStr(used)), account.BytesPerMB);
}

double CounterGrowth(std::uint32_t ref, std::uint32_t now, std::optional<bool> restarted) {
    if (restarted.value_or(false))
        return now;
    if (now >= ref)
        return double(now - ref);
    // Below the previous reading: a wrap past 2^32 while the router kept running; without an
    // uptime to tell a wrap from a restart, only the new reading is certain.
    if (!restarted)
        return now;
    return double(now) + (4294967296.0 - double(ref));
}

std::optional<std::uint32_t> CounterValue(const std::string &reply) {
    if (reply.empty())
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(core::StrToInt64(reply)));
}

void QuotaAccount::Capture(const CounterSample &s) {
    InOctetsNow = s.inOctets.value_or(0);
    if (s.outOctets)
        OutOctetsNow = *s.outOctets;
    InOctetsBase = InOctetsNow;
    OutOctetsBase = OutOctetsNow;
    InGrowth = 0;
    OutGrowth = 0;
    // An empty reply is no counter: the next real reading becomes the baseline.
    inRef_ = s.inOctets;
    if (s.outOctets)
        outRef_ = s.outOctets;
    if (s.uptime)
        uptimeRef_ = s.uptime;
    Calculated = true;
    LastReadingFailed = false;
}

void QuotaAccount::Take(const CounterSample &s) {
    std::optional<bool> restarted;
    if (s.uptime && uptimeRef_)
        restarted = *s.uptime < *uptimeRef_;
    InOctetsNow = s.inOctets.value_or(0);
    if (s.inOctets) {
        if (inRef_)
            InGrowth += CounterGrowth(*inRef_, *s.inOctets, restarted);
        inRef_ = s.inOctets;
    }
    if (s.outOctets) {
        OutOctetsNow = *s.outOctets;
        if (outRef_)
            OutGrowth += CounterGrowth(*outRef_, *s.outOctets, restarted);
        outRef_ = s.outOctets;
    }
    if (s.uptime)
        uptimeRef_ = s.uptime;
    LastReadingFailed = false;
}

void QuotaAccount::ReadingFailed() {
    InOctetsNow = 0;
    LastReadingFailed = true;
}

void QuotaAccount::StartMonth() {
    UsedAtCalcBytes = 0;
    InGrowth = 0;
    OutGrowth = 0;
}

double QuotaAccount::Used(bool downloadOnly) const {
    return downloadOnly ? UsedAtCalcBytes + InGrowth : UsedAtCalcBytes + InGrowth + OutGrowth;
}

} // namespace vantrel::core
