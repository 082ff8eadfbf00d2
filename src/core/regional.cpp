#include "core/regional.h"

#include <QLocale>
#include <QRegularExpression>

namespace vantrel::core {

QString ShortDateText(const QDate &date) {
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString LongTimeText(const QTime &time) {
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // Drop the time-zone name and the blank or separator in front of it.
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    if (!format.contains(QLatin1Char('s')))
        format = QStringLiteral("HH:mm:ss");
    return QLocale().toString(time, format.trimmed());
}

QString DateTimeText(const QDateTime &when) {
    const QString date = ShortDateText(when.date());
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date;
    return date + QLatin1Char(' ') + LongTimeText(when.time());
}

} // namespace vantrel::core
