#include "historyview/historychart.h"

#include "core/regional.h"

#include <QDateTime>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <QToolTip>
#include <cmath>
#include <limits>

namespace vantrel::historyview {

using history::LineFigure;

namespace {

struct Series {
    LineFigure figure;
    const char *name;
    QColor colour;
};

struct Panel {
    const char *title;
    double scale; // stored value x scale = the value shown
    const char *unit;
    std::vector<Series> series;
};

const QColor kDown(31, 119, 180);
const QColor kUp(230, 120, 0);
const QColor kThird(44, 160, 44);
const QColor kFourth(200, 30, 30);
const QColor kOutage(255, 60, 60, 60);
const QColor kRestart(90, 90, 90);
const QColor kGrid(225, 225, 225);
const QColor kFrame(170, 170, 170);

// Graph margins in units (a pixel on the screen).
constexpr int kLeft = 64;
constexpr int kRight = 12;
constexpr int kTop = 4;
constexpr int kBottom = 22;
constexpr int kGap = 8;

const std::vector<Panel> &panels() {
    static const std::vector<Panel> list = {
        {"Noise margin",
         0.1,
         "dB",
         {{LineFigure::DownMargin, "down", kDown}, {LineFigure::UpMargin, "up", kUp}}},
        {"Attenuation",
         0.1,
         "dB",
         {{LineFigure::DownAttenuation, "down", kDown}, {LineFigure::UpAttenuation, "up", kUp}}},
        {"Sync rate",
         0.001,
         "kbit/s",
         {{LineFigure::DownRate, "down", kDown}, {LineFigure::UpRate, "up", kUp}}},
        {"Errored seconds",
         1,
         "s",
         {{LineFigure::ErroredSeconds, "errored", kDown},
          {LineFigure::LossOfFraming, "loss of framing", kUp},
          {LineFigure::LossOfSignal, "loss of signal", kThird},
          {LineFigure::LossOfPower, "loss of power", kFourth}}},
        {"Uncorrected blocks",
         1,
         "",
         {{LineFigure::DownUncorrected, "down", kDown}, {LineFigure::UpUncorrected, "up", kUp}}},
        {"Corrected blocks",
         1,
         "",
         {{LineFigure::DownCorrected, "down", kDown}, {LineFigure::UpCorrected, "up", kUp}}},
    };
    return list;
}

QString valueText(double v) {
    const double a = std::fabs(v);
    if (a >= 1e9)
        return QString::number(v / 1e9, 'g', 4) + QLatin1Char('G');
    if (a >= 1e6)
        return QString::number(v / 1e6, 'g', 4) + QLatin1Char('M');
    if (a >= 1e4)
        return QString::number(v / 1e3, 'g', 4) + QLatin1Char('k');
    return QString::number(v, 'g', 6);
}

double niceStep(double range, int ticks) {
    const double raw = range / std::max(1, ticks);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * magnitude >= raw)
            return m * magnitude;
    return 10 * magnitude;
}

struct Tick {
    qint64 time;
    QString label;
};

// Ticks of the time axis at round local times, at most maxTicks of them.
std::vector<Tick> timeTicks(qint64 from, qint64 to, int maxTicks) {
    std::vector<Tick> ticks;
    const qint64 span = to - from;
    if (span <= 0)
        return ticks;
    const QLocale locale;
    static const qint64 steps[] = {60,    120,   300,       600,       900,
                                   1800,  3600,  7200,      10800,     21600,
                                   43200, 86400, 2 * 86400, 7 * 86400, 14 * 86400};
    for (qint64 step : steps) {
        if (span / step > maxTicks)
            continue;
        const qint64 offset = QDateTime::fromSecsSinceEpoch(from).offsetFromUtc();
        for (qint64 t = ((from + offset + step - 1) / step) * step - offset; t < to; t += step) {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(t);
            const bool midnight = local.time() == QTime(0, 0);
            ticks.push_back({t, step < 86400 && !midnight
                                    ? locale.toString(local.time(), QStringLiteral("HH:mm"))
                                    : locale.toString(local.date(), QStringLiteral("d MMM"))});
        }
        return ticks;
    }
    // Months: the first of every month, or of every second, third, sixth or twelfth.
    for (int months : {1, 2, 3, 6, 12}) {
        if (span / (qint64(months) * 30 * 86400) > maxTicks)
            continue;
        QDate d = QDateTime::fromSecsSinceEpoch(from).date();
        d = QDate(d.year(), d.month(), 1);
        for (; QDateTime(d, QTime(0, 0)).toSecsSinceEpoch() < to; d = d.addMonths(months)) {
            const qint64 t = QDateTime(d, QTime(0, 0)).toSecsSinceEpoch();
            if (t >= from)
                ticks.push_back({t, locale.toString(d, QStringLiteral("MMM yyyy"))});
        }
        return ticks;
    }
    return ticks;
}

} // namespace

HistoryChart::HistoryChart(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("History_Chart"));
    setMouseTracking(true);
    setMinimumSize(400, 360);
    setAttribute(Qt::WA_OpaquePaintEvent);
    message_ = QStringLiteral("Reading the history...");
}

const std::vector<LineFigure> &HistoryChart::Figures() {
    static const std::vector<LineFigure> figures = [] {
        std::vector<LineFigure> list;
        for (const Panel &panel : panels())
            for (const Series &s : panel.series)
                list.push_back(s.figure);
        return list;
    }();
    return figures;
}

void HistoryChart::SetData(const history::ChartData &chartData) {
    data_ = chartData;
    hasData_ = true;
    message_.clear();
    update();
}

void HistoryChart::SetMessage(const QString &message) {
    message_ = message;
    update();
}

QRect HistoryChart::plotArea(const QRect &rect, double unit) const {
    const int left = int(kLeft * unit);
    const int top = int(kTop * unit);
    return QRect(rect.left() + left, rect.top() + top,
                 std::max(1, rect.width() - left - int(kRight * unit)),
                 std::max(1, rect.height() - top - int(kBottom * unit)));
}

int HistoryChart::Columns() const {
    return plotArea(rect(), 1).width();
}

double HistoryChart::XOf(qint64 time) const {
    const QRect plot = plotArea(rect(), 1);
    const qint64 span = std::max<qint64>(1, data_.request.to - data_.request.from);
    return plot.left() + double(time - data_.request.from) / double(span) * plot.width();
}

qint64 HistoryChart::TimeAt(double x) const {
    const QRect plot = plotArea(rect(), 1);
    const qint64 span = data_.request.to - data_.request.from;
    return data_.request.from + qint64((x - plot.left()) / std::max(1, plot.width()) * span);
}

void HistoryChart::Paint(QPainter &p, const QRect &rect) const {
    const double unit = std::max(1.0, p.device()->logicalDpiY() / 96.0);
    p.save();
    p.fillRect(rect, Qt::white);
    const QRect plot = plotArea(rect, unit);
    const QFontMetricsF metrics(p.font(), p.device());
    if (!hasData_ || !message_.isEmpty()) {
        p.setPen(Qt::darkGray);
        p.drawText(rect, Qt::AlignCenter, message_);
        p.restore();
        return;
    }

    const qint64 from = data_.request.from;
    const qint64 span = std::max<qint64>(1, data_.request.to - from);
    const int columns = int(data_.columns.size());
    const double columnWidth = double(plot.width()) / columns;
    auto xTime = [&](qint64 t) {
        const double x = plot.left() + double(t - from) / double(span) * plot.width();
        return std::clamp(x, double(plot.left()), double(plot.right() + 1));
    };
    const std::vector<Tick> ticks =
        timeTicks(from, data_.request.to, std::max(2, int(plot.width() / (90 * unit))));
    const double header = metrics.lineSpacing() + 2 * unit;
    const int count = int(panels().size());
    const double panelHeight = (plot.height() - kGap * unit * (count - 1)) / count;

    pointsDrawn_.assign(Figures().size(), 0);
    std::size_t figure = 0;
    for (int k = 0; k < count; ++k) {
        const Panel &panel = panels()[std::size_t(k)];
        const double top = plot.top() + k * (panelHeight + kGap * unit);
        const QRectF graph(plot.left(), top + header, plot.width(), panelHeight - header);

        // Title and legend.
        double x = plot.left();
        p.setPen(Qt::black);
        QString title = QString::fromLatin1(panel.title);
        if (*panel.unit != '\0')
            title += QStringLiteral(" (%1)").arg(QLatin1String(panel.unit));
        p.drawText(QPointF(x, top + metrics.ascent()), title);
        x += metrics.horizontalAdvance(title) + 12 * unit;
        for (const Series &s : panel.series) {
            const double box = metrics.ascent() * 0.7;
            p.fillRect(QRectF(x, top + metrics.ascent() - box, box, box), s.colour);
            x += box + 3 * unit;
            p.setPen(Qt::black);
            p.drawText(QPointF(x, top + metrics.ascent()), QString::fromLatin1(s.name));
            x += metrics.horizontalAdvance(QString::fromLatin1(s.name)) + 10 * unit;
        }

        p.setPen(QPen(kFrame, 0));
        p.drawRect(graph);
        for (const Tick &tick : ticks) {
            p.setPen(QPen(kGrid, 0));
            p.drawLine(QPointF(xTime(tick.time), graph.top()),
                       QPointF(xTime(tick.time), graph.bottom()));
        }
        for (const history::Outage &o : data_.outages) {
            const double x1 = xTime(o.from);
            // A short outage stays in sight however long the range.
            const double x2 = std::max(xTime(o.to), x1 + 3 * unit);
            p.fillRect(QRectF(x1, graph.top(), x2 - x1, graph.height()), kOutage);
        }
        for (qint64 restart : data_.restarts) {
            p.setPen(QPen(kRestart, unit, Qt::DashLine));
            p.drawLine(QPointF(xTime(restart), graph.top()),
                       QPointF(xTime(restart), graph.bottom()));
        }

        // The figures' range in this panel.
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        for (std::size_t i = 0; i < panel.series.size(); ++i)
            for (int c = 0; c < columns; ++c) {
                const double l = data_.Lo(figure + i, c);
                const double h = data_.Hi(figure + i, c);
                if (!std::isnan(l))
                    lo = std::min(lo, l * panel.scale);
                if (!std::isnan(h))
                    hi = std::max(hi, h * panel.scale);
            }
        if (lo > hi) {
            p.setPen(Qt::darkGray);
            p.drawText(graph, Qt::AlignCenter, QStringLiteral("No samples"));
            figure += panel.series.size();
            continue;
        }
        if (hi - lo < 1e-9) {
            const double pad = std::max(1.0, std::fabs(lo) * 0.05);
            lo -= pad;
            hi += pad;
        }
        const double step =
            niceStep(hi - lo, std::max(1, int(graph.height() / (metrics.lineSpacing() * 1.8))));
        const double yMin = std::floor(lo / step) * step;
        const double yMax = std::ceil(hi / step) * step;
        const double inner = graph.height() - 4 * unit;
        auto y = [&](double stored) {
            return graph.bottom() - 2 * unit -
                   (stored * panel.scale - yMin) / (yMax - yMin) * inner;
        };
        for (double v = yMin; v <= yMax + step / 2; v += step) {
            const double yy = graph.bottom() - 2 * unit - (v - yMin) / (yMax - yMin) * inner;
            p.setPen(QPen(kGrid, 0));
            p.drawLine(QPointF(graph.left() + 1, yy), QPointF(graph.right() - 1, yy));
            p.setPen(Qt::black);
            p.drawText(QRectF(rect.left(), yy - metrics.lineSpacing() / 2,
                              plot.left() - rect.left() - 4 * unit, metrics.lineSpacing()),
                       Qt::AlignRight | Qt::AlignVCenter,
                       valueText(std::fabs(v) < step / 1e6 ? 0 : v));
        }

        // Each run of samples is one line: at most a minimum and a maximum per column.
        p.setClipRect(graph.adjusted(1, 1, -1, -1));
        for (std::size_t i = 0; i < panel.series.size(); ++i, ++figure) {
            // On the screen a one-pixel line, the fast kind; on paper a little wider.
            const QPen pen(panel.series[i].colour, unit > 1 ? 1.5 * unit : 0, Qt::SolidLine,
                           Qt::RoundCap, Qt::RoundJoin);
            QPolygonF line;
            auto flush = [&] {
                if (line.size() == 1) {
                    p.setPen(QPen(pen.color(), 3 * unit, Qt::SolidLine, Qt::RoundCap));
                    p.drawPoint(line.front());
                } else if (line.size() > 1) {
                    p.setPen(pen);
                    p.drawPolyline(line);
                }
                pointsDrawn_[figure] += int(line.size());
                line.clear();
            };
            for (int c = 0; c < columns; ++c) {
                const history::ChartColumn &column = data_.columns[std::size_t(c)];
                if (column.breakBefore)
                    flush();
                const double l = data_.Lo(figure, c);
                if (std::isnan(l)) {
                    // Samples without this figure end its line too.
                    if (column.samples > 0)
                        flush();
                    continue;
                }
                const double xc = plot.left() + (c + 0.5) * columnWidth;
                const double yLo = y(l);
                const double yHi = y(data_.Hi(figure, c));
                if (std::fabs(yLo - yHi) < 0.5 * unit) {
                    line << QPointF(xc, (yLo + yHi) / 2);
                    continue;
                }
                // Go on from the end nearest to where the line comes from.
                const bool hiFirst = !line.isEmpty() && std::fabs(line.back().y() - yHi) <
                                                            std::fabs(line.back().y() - yLo);
                line << QPointF(xc, hiFirst ? yHi : yLo) << QPointF(xc, hiFirst ? yLo : yHi);
            }
            flush();
        }
        p.setClipping(false);
    }

    // The time axis under the last graph.
    p.setPen(Qt::black);
    for (const Tick &tick : ticks) {
        const double x = xTime(tick.time);
        p.drawLine(QPointF(x, plot.bottom() + 1), QPointF(x, plot.bottom() + 4 * unit));
        const double w = metrics.horizontalAdvance(tick.label);
        p.drawText(QPointF(std::clamp(x - w / 2, double(rect.left()), rect.right() - w),
                           plot.bottom() + 5 * unit + metrics.ascent()),
                   tick.label);
    }
    p.restore();
}

QString HistoryChart::ToolTipAt(const QPoint &pos) const {
    const QRect plot = plotArea(rect(), 1);
    if (!hasData_ || !message_.isEmpty() || !plot.contains(pos))
        return QString();
    for (const history::Outage &o : data_.outages) {
        if (pos.x() < XOf(o.from) - 1 || pos.x() > std::max(XOf(o.to), XOf(o.from) + 1) + 1)
            continue;
        const QString start = core::DateTimeText(QDateTime::fromSecsSinceEpoch(o.from));
        if (o.open)
            return QStringLiteral("Link down since %1: %2 so far")
                .arg(start, history::DurationText(o.Seconds()));
        return QStringLiteral("Link down from %1 to %2: %3")
            .arg(start, core::DateTimeText(QDateTime::fromSecsSinceEpoch(o.to)),
                 history::DurationText(o.Seconds()));
    }
    for (qint64 restart : data_.restarts)
        if (std::fabs(XOf(restart) - pos.x()) <= 2)
            return QStringLiteral("Router restarted at %1")
                .arg(core::DateTimeText(QDateTime::fromSecsSinceEpoch(restart)));
    const int columns = int(data_.columns.size());
    const int c =
        std::clamp(int((pos.x() - plot.left()) * qint64(columns) / plot.width()), 0, columns - 1);
    QStringList lines{core::DateTimeText(QDateTime::fromSecsSinceEpoch(TimeAt(pos.x())))};
    std::size_t figure = 0;
    for (const Panel &panel : panels()) {
        QStringList values;
        for (const Series &s : panel.series) {
            const double l = data_.Lo(figure, c);
            const double h = data_.Hi(figure, c);
            ++figure;
            if (std::isnan(l))
                continue;
            QString v = valueText(l * panel.scale);
            if (h != l)
                v += QStringLiteral(" to ") + valueText(h * panel.scale);
            values << QStringLiteral("%1 %2").arg(QLatin1String(s.name), v);
        }
        if (!values.isEmpty())
            lines << QStringLiteral("%1: %2").arg(QLatin1String(panel.title),
                                                  values.join(QStringLiteral(", ")));
    }
    if (lines.size() == 1)
        lines << QStringLiteral("No samples");
    return lines.join(QLatin1Char('\n'));
}

void HistoryChart::paintEvent(QPaintEvent *) {
    QPainter p(this);
    Paint(p, rect());
}

void HistoryChart::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (Columns() != lastColumns_) {
        lastColumns_ = Columns();
        emit columnsChanged(lastColumns_);
    }
}

bool HistoryChart::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace vantrel::historyview
