#include "core/quotacalendar.h"

#include <cmath>

namespace vantrel::core {

namespace {

// The reset day in the month of date, when that month has it.
std::optional<QDate> inMonth(const QDate &date, int day) {
    const QDate first(date.year(), date.month(), 1);
    if (day < 1 || day > first.daysInMonth())
        return std::nullopt;
    return QDate(date.year(), date.month(), day);
}

} // namespace

std::optional<QDate> LastResetDay(const QDate &today, int day) {
    if (day < 1 || day > 31 || !today.isValid())
        return std::nullopt;
    // Every day from 1 to 31 comes round within a year.
    for (int back = 0; back < 13; ++back) {
        const QDate month = QDate(today.year(), today.month(), 1).addMonths(-back);
        const std::optional<QDate> date = inMonth(month, day);
        if (date && *date <= today)
            return date;
    }
    return std::nullopt;
}

std::optional<QDate> NextResetDay(const QDate &today, int day) {
    if (day < 1 || day > 31 || !today.isValid())
        return std::nullopt;
    for (int ahead = 0; ahead < 13; ++ahead) {
        const QDate month = QDate(today.year(), today.month(), 1).addMonths(ahead);
        const std::optional<QDate> date = inMonth(month, day);
        if (date && *date > today)
            return date;
    }
    return std::nullopt;
}

std::optional<QDate> ParseShortDate(const QString &text, const QDate &today,
                                    const QLocale &locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(text.trimmed(), format);
    if (!date.isValid())
        return std::nullopt;
    // Qt reads "yy" as 19yy.
    if (!format.contains(QLatin1String("yyyy"))) {
        while (date.daysTo(today) > 50 * 366)
            date = date.addYears(100);
        while (today.daysTo(date) > 50 * 366)
            date = date.addYears(-100);
    }
    return date;
}

std::optional<double> ProjectedUse(double usedBytes, const QDateTime &start, const QDateTime &now,
                                   const QDateTime &until) {
    const qint64 elapsed = start.secsTo(now);
    const qint64 period = start.secsTo(until);
    if (elapsed < 24 * 3600 || period <= 0 || !std::isfinite(usedBytes) || usedBytes < 0)
        return std::nullopt;
    return usedBytes / double(elapsed) * double(period);
}

QString ForecastText(double projectedBytes, const QDate &by, double bytesPerGB, double bytesPerMB,
                     const QLocale &locale) {
    if (!(bytesPerGB > 0) || !(bytesPerMB > 0) || !std::isfinite(projectedBytes))
        return QString();
    const double gb = projectedBytes / bytesPerGB;
    const QString amount =
        gb > 1.0 ? locale.toString(gb, 'f', 1) + QStringLiteral(" GB")
                 : locale.toString(projectedBytes / bytesPerMB, 'f', 1) + QStringLiteral(" MB");
    return QStringLiteral("At this rate: ") + amount + QStringLiteral(" by ") +
           locale.toString(by, QStringLiteral("d MMM"));
}

} // namespace vantrel::core
