#include "history/historycsv.h"

#include "core/regional.h"

#include <QDateTime>
#include <QTimeZone>
#include <cstdlib>

namespace vantrel::history {

namespace {

QByteArray number(double v) {
    return QByteArray::number(v, 'g', 15);
}

QByteArray utcText(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
               .toLatin1() +
           "+00:00";
}

QString offsetText(int seconds) {
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// A router's text on one line: a description may hold line breaks and other control bytes.
QString oneLine(const QString &text) {
    QString out = text;
    for (QChar &c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return out.simplified();
}

} // namespace

QString ZoneText(qint64 from, qint64 to) {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(from);
    const QDateTime end = QDateTime::fromSecsSinceEpoch(std::max(from, to - 1));
    QString offsets = offsetText(start.offsetFromUtc());
    if (end.offsetFromUtc() != start.offsetFromUtc())
        offsets += QStringLiteral(" at the start, ") + offsetText(end.offsetFromUtc()) +
                   QStringLiteral(" at the end");
    const QString name = QString::fromUtf8(zone.id());
    return (name.isEmpty() ? QStringLiteral("local") : name) + QStringLiteral(" time (") + offsets +
           QLatin1Char(')');
}

QStringList ExportHeading(const ExportSource &source) {
    const QString description = oneLine(source.description);
    const QString address = oneLine(source.address);
    return {
        QStringLiteral("Router: %1, address %2")
            .arg(description.isEmpty() ? QStringLiteral("(description not read)") : description,
                 address.isEmpty() ? QStringLiteral("(none)") : address),
        QStringLiteral("From %1 to %2, %3")
            .arg(core::DateTimeText(QDateTime::fromSecsSinceEpoch(source.from)),
                 core::DateTimeText(QDateTime::fromSecsSinceEpoch(source.to)),
                 ZoneText(source.from, source.to)),
    };
}

QByteArray LinkStateWord(int status) {
    static const char *const words[] = {"up",      "down",       "testing",       "unknown",
                                        "dormant", "notPresent", "lowerLayerDown"};
    if (status >= 1 && status <= int(std::size(words)))
        return words[status - 1];
    return QByteArray::number(status);
}

QByteArray HistoryCsv(const std::vector<HistoryRow> &rows, const ExportSource &source) {
    QByteArray out("# Vantrel line history\r\n");
    for (const QString &line : ExportHeading(source))
        out += "# " + line.toUtf8() + "\r\n";
    out += "# The times below are in UTC: " + utcText(source.from) + " to " + utcText(source.to) +
           "\r\n";
    out += "time,samples,link,uptime_s";
    for (const LineFigureInfo &info : LineFigures())
        out += ',' + QByteArray(info.csvName);
    out += "\r\n";
    for (const HistoryRow &r : rows) {
        out += utcText(r.time) + ',' + QByteArray::number(r.samples) + ',';
        if (r.link)
            out += LinkStateWord(*r.link);
        out += ',';
        if (r.uptime)
            out += number(double(*r.uptime) / 100.0);
        for (const LineFigureInfo &info : LineFigures()) {
            out += ',';
            if (const auto &v = r.figures[std::size_t(info.figure)])
                out += number(*v / info.divisor);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace vantrel::history
