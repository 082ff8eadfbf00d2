#include "core/quota.h"

#include "snmp/convert.h"

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
    const double x = snmp::StrToFloat(bytes);
    const double g = divided(x, bytesPerGB);
    if (g > 1.0)
        return fourDecimals(g, locale) + QStringLiteral(" GB");
    return fourDecimals(divided(x, bytesPerMB), locale) + QStringLiteral(" MB");
}

QString MegabyteText(const std::string &bytes, double bytesPerMB, const QLocale &locale) {
    return fourDecimals(divided(snmp::StrToFloat(bytes), bytesPerMB), locale);
}

double UsedBytes(const QuotaAccount &a, bool downloadOnly) {
    return downloadOnly ? a.InOctetsNow + a.UsedAtCalcBytes - a.InOctetsBase
                        : a.InOctetsNow + a.OutOctetsNow + a.UsedAtCalcBytes - a.InOctetsBase -
                              a.OutOctetsBase;
}

QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly) {
    // A failed last reading leaves zero in InOctetsNow; the figure would then drop the data used
    // since the baseline, so the stored value stays instead.
    if (!(account.QuotaBytes > 0) || !(account.InOctetsNow > 0) || !(account.BytesPerMB > 0))
        return QString();
    const double used = UsedBytes(account, downloadOnly);
    if (!std::isfinite(used))
        return QString();
    // The amount passes through its text form (15 significant digits), as the page shows it.
    return megabytes(snmp::StrToFloat(snmp::FloatToStr(used)), account.BytesPerMB);
}

} // namespace vantrel::core
