#include "history/historycsv.h"

#include <QDateTime>

namespace vantrel::history {

namespace {

QByteArray number(double v) {
    return QByteArray::number(v, 'g', 15);
}

} // namespace

QByteArray HistoryCsv(const std::vector<HistoryRow> &rows) {
    QByteArray out("time,samples,link,uptime_s");
    for (const LineFigureInfo &info : LineFigures())
        out += ',' + QByteArray(info.csvName);
    out += "\r\n";
    for (const HistoryRow &r : rows) {
        out += QDateTime::fromSecsSinceEpoch(r.time, Qt::UTC)
                   .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
                   .toLatin1() +
               "+00:00," + QByteArray::number(r.samples) + ',';
        if (r.link)
            out += QByteArray::number(*r.link);
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
