#pragma once
// The dates of the monthly quota reset and the forecast of the month's use.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace vantrel::core {

// The latest reset date on or before today for the reset day: that day of the month, or the
// month's last day in a month without it (the 30th of April for the 31st, the 28th or 29th of
// February for the 29th to 31st). Nothing for day 0 (no reset).
std::optional<QDate> LastResetDay(const QDate &today, int day);
// The first such date after today.
std::optional<QDate> NextResetDay(const QDate &today, int day);

// A date in the regional short format, as the monthly reset writes it; nothing when the text
// is no date. A two-digit year is taken in the century that puts the date nearest to today.
std::optional<QDate> ParseShortDate(const QString &text, const QDate &today,
                                    const QLocale &locale = QLocale());

// Whether today is a reset date for the reset day.
bool IsResetDay(const QDate &today, int day);

// The forecast rests on at least this much time between readings.
constexpr qint64 kForecastBasisSeconds = 3 * 3600;

// The use projected to until: what is used now, and from now on the rate at which countedBytes
// crossed in basisSeconds of readings; nothing while the readings span less than
// kForecastBasisSeconds.
std::optional<double> ProjectedUse(double usedBytes, double countedBytes, qint64 basisSeconds,
                                   const QDateTime &now, const QDateTime &until);

// "At this rate: 87.3 GB by 7 Jan (from 5 hours of readings)": the projection with one decimal
// in ISP gigabytes (megabytes below one), the regional separator, the day and short month of
// the reset, and the span of readings it rests on (in days from two days on).
QString ForecastText(double projectedBytes, const QDate &by, double bytesPerGB, double bytesPerMB,
                     qint64 basisSeconds, const QLocale &locale = QLocale());

} // namespace vantrel::core
