#include "core/quotacalendar.h"

#include <algorithm>
#include <cmath>

namespace vantrel::core {

namespace {

// The reset day in the month of date: the month's last day when it has no such day.
std::optional<QDate> inMonth(const QDate &date, int day) {
    const QDate first(date.year(), date.month(), 1);
    if (day < 1)
        return std::nullopt;
    return QDate(date.year(), date.month(), std::min(day, first.daysInMonth()));
}

} // namespace

std::optional<QDate> LastResetDay(const QDate &today, int day) {
    if (day < 1 || day > 31 || !today.isValid())
        return std::nullopt;
    for (int back = 0; back < 2; ++back) {
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
    for (int ahead = 0; ahead < 2; ++ahead) {
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

bool IsResetDay(const QDate &today, int day) {
    return today.isValid() && LastResetDay(today, day) == today;
}

std::optional<double> ProjectedUse(double usedBytes, double countedBytes, qint64 basisSeconds,
                                   const QDateTime &now, const QDateTime &until) {
    const qint64 ahead = now.secsTo(until);
    if (basisSeconds < kForecastBasisSeconds || ahead <= 0 || !std::isfinite(usedBytes) ||
        usedBytes < 0 || !std::isfinite(countedBytes) || countedBytes < 0)
        return std::nullopt;
    return usedBytes + countedBytes / double(basisSeconds) * double(ahead);
}

QString ForecastText(double projectedBytes, const QDate &by, double bytesPerGB, double bytesPerMB,
                     qint64 basisSeconds, const QLocale &locale) {
    if (!(bytesPerGB > 0) || !(bytesPerMB > 0) || !std::isfinite(projectedBytes))
        return QString();
    const double gb = projectedBytes / bytesPerGB;
    const QString amount =
        gb > 1.0 ? locale.toString(gb, 'f', 1) + QStringLiteral(" GB")
                 : locale.toString(projectedBytes / bytesPerMB, 'f', 1) + QStringLiteral(" MB");
    const qint64 hours = basisSeconds / 3600;
    const QString basis = hours >= 48 ? QStringLiteral("%1 days").arg(hours / 24)
                                      : QStringLiteral("%1 hours").arg(hours);
    return QStringLiteral("At this rate: ") + amount + QStringLiteral(" by ") +
           locale.toString(by, QStringLiteral("d MMM")) + QStringLiteral(" (from ") + basis +
           QStringLiteral(" of readings)");
}

} // namespace vantrel::core
