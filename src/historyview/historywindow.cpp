#include "historyview/historywindow.h"

#include "core/clock.h"
#include "core/regional.h"
#include "core/routermodel.h"
#include "history/historycsv.h"
#include "history/historyservice.h"
#include "historyview/historychart.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/textoutput.h"

#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace vantrel::historyview {

using ui::SaveRequest;

namespace {

struct RangeButton {
    HistoryWindow::Range range;
    const char *name;
    const char *caption;
    qint64 span;
};
constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 86400;
const RangeButton kRanges[] = {
    {HistoryWindow::Range::Hour, "Range1h_But", "1 h", 3600},
    {HistoryWindow::Range::Day, "Range24h_But", "24 h", 86400},
    {HistoryWindow::Range::Week, "Range7d_But", "7 d", 7 * 86400},
    {HistoryWindow::Range::Month, "Range31d_But", "31 d", 31 * 86400},
    {HistoryWindow::Range::Year, "Range1y_But", "1 y", 365 * 86400},
};

// The size the window would like, and room for its frame and title bar, which are not known
// before it shows.
const QSize kPreferred(960, 760);
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

// The length of a range up to now that holds data that began `age` seconds ago, with a little
// room before it: ten minutes at least, the last day at most.
qint64 recentSpan(qint64 age) {
    for (qint64 span : {600LL, 1800LL, kHour, 2 * kHour, 3 * kHour, 6 * kHour, 12 * kHour})
        if (age + std::max<qint64>(60, age / 20) <= span)
            return span;
    return kDay;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void uncheckAll(QButtonGroup *group) {
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

QString when(qint64 secs) {
    return core::DateTimeText(QDateTime::fromSecsSinceEpoch(secs));
}

qint64 downSeconds(const history::ChartData &d) {
    qint64 total = 0;
    for (const history::Outage &o : d.outages)
        total += std::min(o.to, d.request.to) - std::max(o.from, d.request.from);
    return total;
}

// "2 drops, down 5 min in all; 1 router restart"
QString eventsText(const history::ChartData &d) {
    QString text = d.outages.size() == 1 ? QStringLiteral("1 drop")
                                         : QStringLiteral("%1 drops").arg(d.outages.size());
    if (!d.outages.empty())
        text += QStringLiteral(", down %1 in all").arg(history::DurationText(downSeconds(d)));
    if (!d.restarts.empty())
        text += d.restarts.size() == 1
                    ? QStringLiteral("; 1 router restart")
                    : QStringLiteral("; %1 router restarts").arg(d.restarts.size());
    return text;
}

} // namespace

HistoryWindow::HistoryWindow(ui::PageContext &context, history::HistoryService &history,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), context_(context), history_(history),
      chart_(new HistoryChart(this)), ranges_(new QButtonGroup(this)),
      fromEdit_(new QDateTimeEdit(this)), toEdit_(new QDateTimeEdit(this)), info_(new QLabel(this)),
      resizeDelay_(new QTimer(this)) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("Vantrel - Line history"));
    resize(kPreferred);

    // Two rows of controls, so the window fits a small or scaled screen: the ranges up to now,
    // then a range of the user's own and the steps.
    auto *layout = new QVBoxLayout(this);
    auto *last = new QHBoxLayout;
    last->addWidget(new QLabel(QStringLiteral("Last:"), this));
    for (const RangeButton &r : kRanges) {
        QPushButton *b = button(this, r.name, QString::fromLatin1(r.caption));
        b->setCheckable(true);
        ranges_->addButton(b, int(r.range));
        last->addWidget(b);
    }
    connect(ranges_, &QButtonGroup::idClicked, this,
            [this](int id) { context_.Run([this, id] { ShowRange(Range(id)); }); });
    last->addStretch(1);
    layout->addLayout(last);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("From"), this));
    for (QDateTimeEdit *edit : {fromEdit_, toEdit_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    fromEdit_->setObjectName(QStringLiteral("RangeFrom_Edit"));
    toEdit_->setObjectName(QStringLiteral("RangeTo_Edit"));
    top->addWidget(fromEdit_);
    top->addWidget(new QLabel(QStringLiteral("to"), this));
    top->addWidget(toEdit_);
    QPushButton *show = button(this, "ShowRange_But", QStringLiteral("Show"));
    connect(show, &QPushButton::clicked, this, [this] {
        context_.Run([this] { ShowFree(fromEdit_->dateTime(), toEdit_->dateTime()); });
    });
    top->addWidget(show);
    top->addStretch(1);
    QPushButton *earlier = button(this, "Earlier_But", QStringLiteral("<"));
    QPushButton *later = button(this, "Later_But", QStringLiteral(">"));
    earlier->setToolTip(QStringLiteral("The same length of time before"));
    later->setToolTip(QStringLiteral("The same length of time after"));
    connect(earlier, &QPushButton::clicked, this, [this] { context_.Run([this] { step(-1); }); });
    connect(later, &QPushButton::clicked, this, [this] { context_.Run([this] { step(1); }); });
    top->addWidget(earlier);
    top->addWidget(later);
    layout->addLayout(top);

    layout->addWidget(chart_, 1);

    auto *bottom = new QHBoxLayout;
    info_->setObjectName(QStringLiteral("HistoryInfo_Label"));
    // A long range text breaks into lines rather than widen the window.
    info_->setWordWrap(true);
    info_->setTextFormat(Qt::PlainText);
    bottom->addWidget(info_, 1);
    QPushButton *csv = button(this, "ExportCsv_But", QStringLiteral("Export CSV..."));
    QPushButton *picture = button(this, "SavePicture_But", QStringLiteral("Save picture..."));
    QPushButton *report = button(this, "PrintReport_But", QStringLiteral("Print report..."));
    QPushButton *close = button(this, "CloseHistory_But", QStringLiteral("Close"));
    connect(csv, &QPushButton::clicked, this, [this] { context_.Run([this] { ExportCsv(); }); });
    connect(picture, &QPushButton::clicked, this,
            [this] { context_.Run([this] { SavePicture(); }); });
    connect(report, &QPushButton::clicked, this,
            [this] { context_.Run([this] { PrintReport(); }); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton *b : {csv, picture, report, close})
        bottom->addWidget(b);
    layout->addLayout(bottom);

    // The keyboard goes through the controls as they are seen, the ranges first.
    QList<QWidget *> order;
    for (QAbstractButton *b : ranges_->buttons())
        order << b;
    order << fromEdit_ << toEdit_ << show << earlier << later << csv << picture << report << close;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // A new width needs as many columns anew, once the resizing has settled.
    resizeDelay_->setSingleShot(true);
    resizeDelay_->setInterval(150);
    connect(resizeDelay_, &QTimer::timeout, this, [this] {
        if (to_ > from_)
            query();
    });
    connect(chart_, &HistoryChart::columnsChanged, resizeDelay_, qOverload<>(&QTimer::start));
}

void HistoryWindow::ShowFitted() {
    const QScreen *screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        const QSize size =
            kPreferred.boundedTo(QSize(room.width() - kFrameWidth, room.height() - kFrameHeight))
                .expandedTo(minimumSizeHint());
        resize(size);
        move(room.x() + std::max(0, room.width() - size.width() - kFrameWidth) / 2,
             room.y() + std::max(0, room.height() - size.height() - kFrameHeight) / 2);
    }
    show();
}

void HistoryWindow::ShowFitting() {
    if (fitting_)
        return;
    fitting_ = true;
    const qint64 now = context_.Clock().Now().toSecsSinceEpoch() + 1;
    // When the history holds nothing older than a day, the time of its first sample or event.
    history_.Run<qint64>(
        this,
        [now](history::HistoryStore &store) -> qint64 {
            history::ChartRequest older;
            older.from = 0;
            older.to = now - kDay;
            older.now = now;
            if (store.Chart(older).rows > 0)
                return 0;
            qint64 first = now;
            const std::vector<history::HistoryRow> rows = store.Rows(now - kDay, now);
            if (!rows.empty())
                first = rows.front().time;
            const std::vector<history::LineEvent> events = store.Events(now - kDay, now);
            if (!events.empty())
                first = std::min(first, events.front().time);
            return first;
        },
        [this, now](qint64 &first) {
            // A range the user chose meanwhile stays.
            if (!fitting_)
                return;
            fitting_ = false;
            const qint64 span = first > 0 ? recentSpan(now - first) : kDay;
            recentFrom_ = first;
            ShowRange(span == kDay ? Range::Day : Range::Recent);
        });
}

void HistoryWindow::ShowRange(Range range) {
    fitting_ = false;
    qint64 span = kDay;
    for (const RangeButton &r : kRanges)
        if (r.range == range)
            span = r.span;
    if (range == Range::Free)
        return;
    to_ = context_.Clock().Now().toSecsSinceEpoch() + 1;
    if (range == Range::Recent) {
        // It grows with the data, up to the last day.
        span = recentSpan(to_ - recentFrom_);
        if (span == kDay)
            range = Range::Day;
    }
    range_ = range;
    // A recent range as long as a button's shows that button, though it goes on growing.
    uncheckAll(ranges_);
    for (const RangeButton &r : kRanges)
        if (r.span == span)
            ranges_->button(int(r.range))->setChecked(true);
    from_ = to_ - span;
    fromEdit_->setDateTime(QDateTime::fromSecsSinceEpoch(from_));
    toEdit_->setDateTime(QDateTime::fromSecsSinceEpoch(to_));
    query();
}

void HistoryWindow::ShowFree(const QDateTime &from, const QDateTime &to) {
    qint64 a = from.toSecsSinceEpoch();
    qint64 b = to.toSecsSinceEpoch();
    if (a == b)
        return;
    if (b < a)
        std::swap(a, b);
    fitting_ = false;
    range_ = Range::Free;
    uncheckAll(ranges_);
    from_ = a;
    to_ = b;
    fromEdit_->setDateTime(QDateTime::fromSecsSinceEpoch(from_));
    toEdit_->setDateTime(QDateTime::fromSecsSinceEpoch(to_));
    query();
}

void HistoryWindow::step(int direction) {
    const qint64 span = to_ - from_;
    if (span <= 0)
        return;
    ShowFree(QDateTime::fromSecsSinceEpoch(from_ + direction * span),
             QDateTime::fromSecsSinceEpoch(to_ + direction * span));
}

void HistoryWindow::Refresh() {
    if (range_ != Range::Free)
        ShowRange(range_);
    else
        query();
}

void HistoryWindow::SampleStored() {
    if (isVisible() && range_ != Range::Free)
        Refresh();
}

void HistoryWindow::query() {
    // One reading at a time; the latest wish is read after it.
    if (loading_) {
        again_ = true;
        return;
    }
    loading_ = true;
    history::ChartRequest request;
    request.from = from_;
    request.to = to_;
    request.columns = chart_->Columns();
    request.figures = HistoryChart::Figures();
    request.now = context_.Clock().Now().toSecsSinceEpoch();
    history_.Run<history::ChartData>(
        this, [request](history::HistoryStore &store) { return store.Chart(request); },
        [this](history::ChartData &read) { shown(read); });
}

void HistoryWindow::shown(const history::ChartData &read) {
    loading_ = false;
    if (again_) {
        again_ = false;
        query();
    }
    chart_->SetData(read);
    const QString range = when(read.request.from) + QStringLiteral(" to ") + when(read.request.to);
    if (!history_.IsOpen())
        chart_->SetMessage(QStringLiteral("The line history file is not open."));
    else if (read.rows == 0 && read.outages.empty())
        chart_->SetMessage(QStringLiteral("No samples from %1.").arg(range));
    info_->setText(range + QStringLiteral(": ") + eventsText(read));
    emit loaded();
}

QString HistoryWindow::askFileName(const QString &suffix, const QStringList &filters) {
    SaveRequest request;
    request.defaultSuffix = suffix;
    request.filters = filters;
    request.proposedName = QStringLiteral("vantrel_history");
    request.folder = context_.Output().DialogFolder();
    const QString name = context_.Prompt().SaveFileName(request);
    if (!name.isEmpty())
        context_.Output().SetSaveFolder(QFileInfo(name).absolutePath());
    return name;
}

bool HistoryWindow::ExportCsv() {
    const QString name =
        askFileName(QStringLiteral("csv"), QStringList{QStringLiteral("CSV file (*.csv)"),
                                                       QStringLiteral("Any file (*.*)")});
    if (name.isEmpty())
        return false;
    history::ExportSource source = Source();
    source.from = from_;
    source.to = to_;
    history_.Run<QByteArray>(
        this,
        [source](history::HistoryStore &store) {
            return history::HistoryCsv(store.Rows(source.from, source.to), source);
        },
        [this, name](QByteArray &csv) {
            QSaveFile file(name);
            const bool ok =
                file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit();
            if (!ok)
                context_.ReportError(
                    QStringLiteral("Cannot create file \"%1\". %2").arg(name, file.errorString()));
            emit exported(name, ok);
        });
    return true;
}

bool HistoryWindow::SavePicture() {
    const QString name =
        askFileName(QStringLiteral("png"), QStringList{QStringLiteral("PNG picture (*.png)")});
    if (name.isEmpty())
        return false;
    const bool ok = Picture().save(name, "PNG");
    if (!ok)
        context_.ReportError(QStringLiteral("Cannot create file \"%1\".").arg(name));
    emit exported(name, ok);
    return ok;
}

bool HistoryWindow::PrintReport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vantrel line history"));
    printer.setCreator(QStringLiteral("Vantrel"));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!context_.Output().PrintDialog(printer, QStringLiteral("vantrel_history")))
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        context_.ReportError(QStringLiteral("The report could not be printed"));
        emit exported(printer.outputFileName(), false);
        return false;
    }
    PaintReport(painter, QRect(0, 0, printer.width(), printer.height()));
    painter.end();
    emit exported(printer.outputFileName(), true);
    return true;
}

history::ExportSource HistoryWindow::Source() const {
    history::ExportSource source;
    source.description = description_ ? description_() : QString();
    // The System page's placeholder is a row of dashes: nothing was read.
    if (source.description.count(QLatin1Char('-')) == source.description.size())
        source.description.clear();
    source.address = QString::fromStdString(context_.Router().Host());
    const history::ChartRequest &shownRange = chart_->Data().request;
    source.from = chart_->HasData() ? shownRange.from : from_;
    source.to = chart_->HasData() ? shownRange.to : to_;
    return source;
}

double HistoryWindow::paintHeading(QPainter *p, QPaintDevice *device, const QRectF &area) const {
    const double unit = std::max(1.0, device->logicalDpiY() / 96.0);
    QFont base = chart_->font();
    base.setPointSizeF(9);
    QFont title = base;
    title.setPointSizeF(14);
    title.setBold(true);
    const QFontMetricsF titleMetrics(title, device);
    const QFontMetricsF metrics(base, device);
    QStringList lines = history::ExportHeading(Source());
    if (chart_->HasData())
        lines << eventsText(chart_->Data()) + QLatin1Char('.');
    if (p != nullptr) {
        p->setPen(Qt::black);
        p->setFont(title);
        p->drawText(QPointF(area.left(), area.top() + titleMetrics.ascent()),
                    QStringLiteral("Vantrel line history"));
        p->setFont(base);
    }
    // A long router description wraps: evidence is never cut short.
    double y = area.top() + titleMetrics.lineSpacing() + 4 * unit;
    for (const QString &line : lines) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRectF box(area.left(), y, area.width(), 1e6);
        const double height =
            std::max(metrics.lineSpacing(), metrics.boundingRect(box, flags, line).height());
        if (p != nullptr)
            p->drawText(QRectF(area.left(), y, area.width(), height), flags, line);
        y += height;
    }
    return y - area.top() + 6 * unit;
}

QImage HistoryWindow::Picture() const {
    // Drawn as on the screen, with the heading in a band above the graphs.
    QImage sizing(1, 1, QImage::Format_RGB32);
    const int margin = 8;
    const QRectF area(margin, margin, chart_->width() - 2 * margin, 0);
    const int heading = int(std::ceil(paintHeading(nullptr, &sizing, area))) + margin;
    QImage picture(chart_->width(), heading + chart_->height(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        paintHeading(&painter, &picture, area);
        painter.setFont(chart_->font());
        chart_->Paint(painter, QRect(0, heading, chart_->width(), chart_->height()));
    }
    const QStringList lines = history::ExportHeading(Source());
    picture.setText(QStringLiteral("Title"), QStringLiteral("Vantrel line history"));
    picture.setText(QStringLiteral("Description"), lines.join(QLatin1Char('\n')));
    picture.setText(QStringLiteral("Software"), QStringLiteral("Vantrel"));
    return picture;
}

void HistoryWindow::PaintReport(QPainter &p, const QRect &page) const {
    const history::ChartData &shownData = chart_->Data();
    const double unit = std::max(1.0, p.device()->logicalDpiY() / 96.0);
    QFont base = chart_->font();
    base.setPointSizeF(9);
    const QFontMetricsF metrics(base, p.device());
    double y = page.top() + paintHeading(&p, p.device(), QRectF(page));
    p.setFont(base);

    const int chartHeight = int(page.height() * 0.62);
    chart_->Paint(p, QRect(page.left(), int(y), page.width(), chartHeight));
    y += chartHeight + 10 * unit;

    QFont bold = base;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPointF(page.left(), y + metrics.ascent()), QStringLiteral("Drops"));
    y += metrics.lineSpacing() + 2 * unit;
    p.setFont(base);
    if (shownData.outages.empty()) {
        p.drawText(QPointF(page.left(), y + metrics.ascent()),
                   QStringLiteral("The link did not drop."));
        return;
    }
    // Two columns of drops; what does not fit on the page is counted in the last line.
    const int rows = std::max(1, int((page.bottom() - y) / metrics.lineSpacing()));
    const int fits = rows * 2;
    const int count = int(shownData.outages.size());
    const int shown = count <= fits ? count : fits - 1;
    for (int i = 0; i < shown; ++i) {
        const history::Outage &o = shownData.outages[std::size_t(i)];
        const QString text = o.open ? QStringLiteral("%1  down, %2 so far")
                                          .arg(when(o.from), history::DurationText(o.Seconds()))
                                    : QStringLiteral("%1  down %2")
                                          .arg(when(o.from), history::DurationText(o.Seconds()));
        const double x = page.left() + (i / rows) * page.width() / 2.0;
        p.drawText(QPointF(x, y + (i % rows) * metrics.lineSpacing() + metrics.ascent()), text);
    }
    if (shown < count)
        p.drawText(QPointF(page.left() + page.width() / 2.0,
                           y + (rows - 1) * metrics.lineSpacing() + metrics.ascent()),
                   QStringLiteral("... and %1 more").arg(count - shown));
}

} // namespace vantrel::historyview
