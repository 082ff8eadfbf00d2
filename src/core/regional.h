#pragma once

#include <QDateTime>
#include <QString>

namespace vantrel::core {

// The user's regional formats: the short date, and the long time with seconds but without a
// time-zone name. QLocale() is the system locale unless a test has set another default.
QString ShortDateText(const QDate &date);
QString LongTimeText(const QTime &time);
// A time format without its time-zone field and the literal text that goes with it ("HH:mm:ss
// (t)" gives "HH:mm:ss").
QString WithoutTimeZone(const QString &format);
// Short date, a blank and the long time; the time is left out at exactly midnight.
QString DateTimeText(const QDateTime &when);

} // namespace vantrel::core
