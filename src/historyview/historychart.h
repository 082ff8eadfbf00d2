#pragma once

#include "history/historystore.h"

#include <QString>
#include <QWidget>
#include <vector>

class QPainter;

namespace vantrel::historyview {

// The line's graphs over one time range, stacked above one time axis: noise margin,
// attenuation, sync rate, errored seconds and the blocks with errors. The data comes reduced to
// one column per pixel (a minimum and a maximum per figure), so at most two points per column
// are drawn. A run of samples is drawn as one line; where a run ends (no samples: the link was
// down, the router did not answer, the program did not run) there is a gap. Outages are shaded
// and tell their length under the mouse; router restarts are dashed lines.
class HistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit HistoryChart(QWidget *parent = nullptr);

    // The figures the graphs show, in the order the data must hold them.
    static const std::vector<history::LineFigure> &Figures();

    void SetData(const history::ChartData &chartData);
    const history::ChartData &Data() const { return data_; }
    bool HasData() const { return hasData_; }
    // A text in place of the graphs ("No samples in this range").
    void SetMessage(const QString &message);

    // One column per pixel of the graphs' width.
    int Columns() const;

    // Draws the graphs into rect (the widget, a picture or a printed page).
    void Paint(QPainter &painter, const QRect &rect) const;
    // The points drawn for each figure at the last paint (at most two per column).
    const std::vector<int> &PointsDrawn() const { return pointsDrawn_; }
    // What the mouse at pos shows: the outage under it with its length, else the figures.
    QString ToolTipAt(const QPoint &pos) const;
    // The x position of a time in the widget, and back.
    double XOf(qint64 time) const;
    qint64 TimeAt(double x) const;

signals:
    // The widget's width changed: the data needs as many columns anew.
    void columnsChanged(int columns);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect plotArea(const QRect &rect, double unit) const;

    history::ChartData data_;
    bool hasData_ = false;
    QString message_;
    mutable std::vector<int> pointsDrawn_;
    int lastColumns_ = 0;
};

} // namespace vantrel::historyview
