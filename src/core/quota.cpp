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

void QuotaAccount::note(const OctetReading &r) {
    // The counters as read.
    const auto value = [](const std::optional<Binding> &hc,
                          const std::optional<Binding> &plain) -> std::optional<double> {
        for (const auto *b : {&hc, &plain})
            if (*b)
                if (const auto count = OctetCountOf(**b))
                    return double(count->value);
        return std::nullopt;
    };
    InOctetsNow = value(r.hcIn, r.in).value_or(0);
    if (const auto out = value(r.hcOut, r.out))
        OutOctetsNow = *out;
}

void QuotaAccount::Capture(const OctetReading &r, bool carryOn) {
    const OctetSteps steps = octets_.Take(r);
    note(r);
    InGrowth = carryOn ? double(steps.in.octets) : 0;
    OutGrowth = carryOn ? double(steps.out.octets) : 0;
    InOctetsBase = double(octets_.InOctets()) - InGrowth;
    OutOctetsBase = double(octets_.OutOctets()) - OutGrowth;
    Calculated = true;
    LastReadingFailed = false;
}

void QuotaAccount::Take(const OctetReading &r) {
    const OctetSteps steps = octets_.Take(r);
    note(r);
    InGrowth += double(steps.in.octets);
    OutGrowth += double(steps.out.octets);
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
