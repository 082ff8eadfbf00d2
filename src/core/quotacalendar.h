#pragma once
// The dates of the monthly quota reset and the forecast of the month's use.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace vantrel::core {

// The latest date on or before today whose day of the month is day; months without that day
// (the 31st in April, the 30th in February) are passed over. Nothing for day 0 (no reset).
std::optional<QDate> LastResetDay(const QDate &today, int day);
// The first such date after today.
std::optional<QDate> NextResetDay(const QDate &today, int day);

// A date in the regional short format, as the monthly reset writes it; nothing when the text
// is no date. A two-digit year is taken in the century that puts the date nearest to today.
std::optional<QDate> ParseShortDate(const QString &text, const QDate &today,
                                    const QLocale &locale = QLocale());

// The use projected to until at the average rate from start to now; nothing until a whole day
// of data exists.
std::optional<double> ProjectedUse(double usedBytes, const QDateTime &start, const QDateTime &now,
                                   const QDateTime &until);

// "At this rate: 87.3 GB by 7 Jan": the projection with one decimal in ISP gigabytes (megabytes
// below one), the regional separator, and the day and short month of the reset.
QString ForecastText(double projectedBytes, const QDate &by, double bytesPerGB, double bytesPerMB,
                     const QLocale &locale = QLocale());

} // namespace vantrel::core
