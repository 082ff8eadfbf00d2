#pragma once

#include "history/historycsv.h"
#include "history/historystore.h"

#include <QDateTime>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QDateTimeEdit;
class QImage;
class QLabel;
class QPainter;
class QPushButton;
class QTimer;

namespace vantrel::history {
class HistoryService;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::historyview {

class HistoryChart;

// The line history in a window of its own (the main window keeps its fixed size): the graphs of
// the last hour, day, week, month or year, or of a range the user chooses, and their export as
// CSV, as a picture, and as a one-page report printed or saved as PDF. Each export names the
// router, the range and the time zone.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // Recent: up to now, as long as the data the history holds (while it is younger than a day).
    enum class Range { Hour, Day, Week, Month, Year, Free, Recent };

    HistoryWindow(ui::PageContext &context, history::HistoryService &history,
                  QWidget *parent = nullptr);

    // The router's description as the System page shows it, for the exports.
    void SetRouterDescription(std::function<QString()> description) {
        description_ = std::move(description);
    }

    // Sizes the window to fit the screen it opens on (the main window's), and shows it.
    void ShowFitted();
    // The range that fits what the history holds: the last 24 hours, or, while all of it is
    // younger than that, the time since its first sample (the last hour at least).
    void ShowFitting();
    // The last hour ... year, up to now.
    void ShowRange(Range range);
    // [from, to) as the user chose it.
    void ShowFree(const QDateTime &from, const QDateTime &to);
    // Reads the range again (a range up to now moves on to the new now).
    void Refresh();
    // A new sample was stored: a range up to now shows it.
    void SampleStored();

    // Ask for a file and write the visible range into it (the writing comes later, off the
    // window's thread); false when the user cancelled.
    bool ExportCsv();
    bool SavePicture();
    // The report of the visible range through the print dialog (or to a PDF file).
    bool PrintReport();
    // Draws the report on painter's device (one page).
    void PaintReport(QPainter &painter, const QRect &page) const;
    // The picture Save picture writes: the heading above the graphs.
    QImage Picture() const;
    // What the exports say about the range shown.
    history::ExportSource Source() const;

    HistoryChart *Chart() const { return chart_; }
    Range CurrentRange() const { return range_; }
    qint64 From() const { return from_; }
    qint64 To() const { return to_; }
    // A reading of the history is on its way.
    bool Loading() const { return loading_ || fitting_; }

signals:
    // The graphs show what was read for the range.
    void loaded();
    // An export was written (or failed: ok false).
    void exported(const QString &fileName, bool ok);

private:
    void query();
    void fitted(qint64 firstData);
    // Draws the title and the lines that say what the graphs show at the top of area (nothing
    // when painter is null); returns the height they take.
    double paintHeading(QPainter *painter, QPaintDevice *device, const QRectF &area) const;
    void shown(const history::ChartData &read);
    void step(int direction);
    // The save dialog for an export; empty when the user cancelled.
    QString askFileName(const QString &suffix, const QStringList &filters);

    ui::PageContext &context_;
    history::HistoryService &history_;
    HistoryChart *chart_;
    QButtonGroup *ranges_;
    QDateTimeEdit *fromEdit_;
    QDateTimeEdit *toEdit_;
    QLabel *info_;
    QTimer *resizeDelay_;
    std::function<QString()> description_;
    Range range_ = Range::Day;
    qint64 recentFrom_ = 0; // the first data of a Recent range
    qint64 from_ = 0;
    qint64 to_ = 0;
    bool loading_ = false;
    bool again_ = false;
    bool fitting_ = false; // ShowFitting's reading is on its way
};

} // namespace vantrel::historyview
