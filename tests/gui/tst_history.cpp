// The line history in the real window against the loopback agent, with the test's clock: what a
// sample holds, where the graphs break, the connection monitor's drops, a full disk, the alerts,
// the metrics endpoint, the history window and its exports, and the stored settings.

#include "app/historymenu.h"
#include "app/mainform.h"
#include "app/metricsserver.h"
#include "core/quotamodel.h"
#include "core/regional.h"
#include "formfixture.h"
#include "history/historyservice.h"
#include "historydata.h"
#include "historyview/alertsdialog.h"
#include "historyview/historychart.h"
#include "historyview/historywindow.h"
#include "historyview/metricsdialog.h"
#include "monitors/alerts.h"
#include "monitors/notifier.h"
#include "monitors/recorder.h"
#include "snmp/ber.h"
#include "vantrel_skip.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::core;
using namespace vantrel::history;
using namespace vantrel::ui;
using namespace vantrel::monitors;
using namespace vantrel::historyview;
using vantrel::tools::AgentValue;

namespace {

const std::string kWanStatus = "1.3.6.1.2.1.2.2.1.8.2";
const std::string kSysUpTime = "1.3.6.1.2.1.1.3.0";
const std::string kDownRate = "1.3.6.1.2.1.10.94.1.1.4.1.2.2";
const std::string kDownMargin = "1.3.6.1.2.1.10.94.1.1.3.1.4.2";

class ListNotifier : public Notifier {
public:
    QList<Notification> shown;
    void Notify(const Notification &n) override { shown << n; }
    QStringList Kinds() const {
        QStringList kinds;
        for (const Notification &n : shown)
            kinds << n.kind;
        return kinds;
    }
};

// The ADSL objects of a line in sync.
void lineInSync(tools::LoopbackAgent &agent) {
    agent.SetGauge(kDownRate, 8128000);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.2.1.7.2", 190);
    agent.SetInteger(kDownMargin, 65);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.3.1.5.2", 409);
    agent.SetGauge("1.3.6.1.2.1.10.94.1.1.5.1.2.2", 832000);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.2.1.4.2", 120);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.2.1.5.2", 250);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.3.1.7.2", 121);
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.1.1.1.2", 2);
    agent.SetString("1.3.6.1.4.1.763.3.2.2.2", "G.dmt");
    agent.SetInteger("1.3.6.1.2.1.10.94.1.1.1.1.2.2", 2);
    const int counters[] = {1, 2, 3, 4, 16, 21};
    for (int i = 0; i < 6; ++i)
        agent.SetCounter("1.3.6.1.2.1.10.94.1.1.7.1." + std::to_string(counters[i]) + ".2",
                         std::uint64_t(10 * (i + 1)));
    agent.SetCounter("1.3.6.1.2.1.10.94.1.1.11.1.3.2", 123456);
    agent.SetCounter("1.3.6.1.2.1.10.94.1.1.11.1.4.2", 789);
    agent.SetCounter("1.3.6.1.2.1.10.94.1.1.10.1.3.2", 4567);
    agent.SetCounter("1.3.6.1.2.1.10.94.1.1.10.1.4.2", 12);
}

Composition &historyParts(FormFixture &f) {
    return PartsOf(f.form());
}

// load: with the settings load and the start-up reads (the System page knows the router).
MainForm &createForm(FormFixture &f, bool load = false) {
    lineInSync(f.agent);
    MainForm &form = f.Create(load);
    SetWanRow(form, "2");
    if (!historyParts(f).HistoryService().WaitIdle())
        throw std::runtime_error("the history file did not open");
    return form;
}

// One tick of a timer at the given clock, and everything it asked done.
void tickAt(FormFixture &f, const char *timer, const QDateTime &when) {
    f.clock.Set(when);
    QVERIFY(QMetaObject::invokeMethod(Timer(f.form(), timer), "timeout", Qt::DirectConnection));
    QVERIFY(f.Settle());
    QVERIFY(historyParts(f).HistoryService().WaitIdle());
}

template <class R> R read(FormFixture &f, std::function<R(HistoryStore &)> job) {
    R result{};
    historyParts(f).HistoryService().Run<R>(nullptr, std::move(job),
                                            [&result](R &r) { result = r; });
    historyParts(f).HistoryService().WaitIdle();
    return result;
}

std::vector<HistoryRow> storedRows(FormFixture &f) {
    return read<std::vector<HistoryRow>>(f, [](HistoryStore &s) { return s.Rows(0, qint64(4e9)); });
}

QString storedEvents(FormFixture &f) {
    const auto events =
        read<std::vector<LineEvent>>(f, [](HistoryStore &s) { return s.Events(0, qint64(4e9)); });
    QString kinds;
    for (const LineEvent &e : events)
        kinds += e.kind == LineEventKind::Drop     ? QLatin1Char('D')
                 : e.kind == LineEventKind::Return ? QLatin1Char('R')
                                                   : QLatin1Char('S');
    return kinds;
}

const QDateTime kStart(QDate(2026, 12, 7), QTime(20, 0, 0));

// A sample of a line that is up with this downstream margin; -1: the link is down, -2: up but
// without the figure.
LineSample marginSample(int downTenths) {
    LineSample s;
    s.time = kStart.toSecsSinceEpoch();
    s.link = downTenths == -1 ? 2 : 1;
    if (downTenths >= 0) {
        s.Figure(LineFigure::DownMargin) = downTenths;
        s.Figure(LineFigure::UpMargin) = 120;
    }
    return s;
}

// A GET on the loopback address, the window's events running meanwhile.
QByteArray httpGet(quint16 port, const QByteArray &request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray reply;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { reply += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::connected, [&] { socket.write(request); });
    const QDeadlineTimer deadline(5000);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    reply += socket.readAll();
    return reply;
}

// A paint device that keeps the texts drawn on it, in order.
class TextRecorder : public QPaintDevice {
public:
    QStringList texts;
    QPaintEngine *paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        // A wide page at 96 dpi, so no heading line wraps.
        switch (m) {
        case PdmWidth:
            return 1600;
        case PdmHeight:
            return 1100;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 96;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder &owner) : QPaintEngine(AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override {
            owner_.texts << item.text();
        }
        Type type() const override { return User; }

    private:
        TextRecorder &owner_;
    };
    mutable Engine engine_{*this};
};

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// A reading of the WAN counters: ifInOctets and sysUpTime as the agent types them.
core::QuotaReading quotaReading(std::uint32_t in, std::uint32_t ticks) {
    core::QuotaReading r;
    r.reading.in = core::Binding{std::string(), core::tag::Counter32, std::to_string(in)};
    r.reading.out = core::Binding{std::string(), core::tag::Counter32, "0"};
    r.reading.uptime = core::Binding{std::string(), core::tag::TimeTicks, std::to_string(ticks)};
    return r;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void sampleHoldsWhatTheAdslPageReads();
    void runsBreak_data();
    void runsBreak();
    void connectionMonitorDropsStoredOnce();
    void noSampleWhileTargetEdited();
    void fullDiskPausesRecording();
    void damagedFileToldOnce();

    void marginAlert_data();
    void marginAlert();
    void quotaAlerts_data();
    void quotaAlerts();

    void metricsEndpoint();
    void metricsPassPromtool();
    void metricsPortZeroIsNoChoice();
    void notRecordedIsSaidForGood_data();
    void notRecordedIsSaidForGood();

    void historyWindowOnAMonth();
    void opensOnARangeThatFits_data();
    void opensOnARangeThatFits();
    void rangeChosenWhileItOpensStays();
    void windowFitsTheScreen();
    void exports_data();
    void exports();
    void menuAndSettings();
};

void TestHistory::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestHistory::sampleHoldsWhatTheAdslPageReads() {
    FormFixture f;
    MainForm &form = createForm(f);
    tickAt(f, "History_Timer", kStart);
    const std::vector<HistoryRow> rows = storedRows(f);
    QCOMPARE(rows.size(), std::size_t(1));
    const HistoryRow &r = rows[0];
    QCOMPARE(r.time, kStart.toSecsSinceEpoch());
    QVERIFY(r.runStart);
    QCOMPARE(r.link, std::optional<int>(1));
    QCOMPARE(r.uptime, std::optional<qint64>(12345678));
    auto figure = [&r](LineFigure which) { return r.figures[std::size_t(which)].value_or(-1); };
    QCOMPARE(figure(LineFigure::DownRate), 8128000.0);
    QCOMPARE(figure(LineFigure::DownMargin), 65.0);
    QCOMPARE(figure(LineFigure::DownAttenuation), 409.0);
    QCOMPARE(figure(LineFigure::UpMargin), 120.0);
    QCOMPARE(figure(LineFigure::UpPower), 121.0);
    QCOMPARE(figure(LineFigure::ErroredSeconds), 40.0);
    QCOMPARE(figure(LineFigure::ErroredYesterday), 60.0);
    QCOMPARE(figure(LineFigure::DownCorrected), 123456.0);
    QCOMPARE(figure(LineFigure::UpUncorrected), 12.0);
    // The ADSL page shows nothing of it, and the window never looked busy.
    QCOMPARE(Label(form, "DnSNRVal_Label")->text(), QStringLiteral("------"));
    QVERIFY(f.prompter.shown.isEmpty());
    QCOMPARE(historyParts(f).Recorder().Latest()->Value(LineFigure::DownMargin), 6.5);
}

void TestHistory::runsBreak_data() {
    QTest::addColumn<QStringList>("steps"); // "seconds:status:uptime"; status "-": no answer
    QTest::addColumn<QString>("runStarts"); // per stored sample, in time order
    QTest::addColumn<QString>("events");    // D drop, R return, S restart
    QTest::addRow("steady") << QStringList{"0:1:100000", "60:1:106000", "120:1:112000"} << "100"
                            << "";
    QTest::addRow("drop and return")
        << QStringList{"0:1:100000", "60:2:106000", "120:1:112000", "180:1:118000"} << "1110"
        << "DR";
    QTest::addRow("router restarted")
        << QStringList{"0:1:100000", "60:1:106000", "120:1:3000", "180:1:9000"} << "1010"
        << "S";
    QTest::addRow("an uptime that jumps back and forth is no restart")
        << QStringList{"0:1:100000", "60:1:50", "120:1:112000", "180:1:60", "240:1:124000"}
        << "11010"
        << "";
    QTest::addRow("router silent for a while")
        << QStringList{"0:1:100000", "60:-:0", "120:1:112000", "180:1:118000"} << "110"
        << "";
    QTest::addRow("computer slept")
        << QStringList{"0:1:100000", "60:1:106000", "7260:1:826000"} << "101"
        << "";
    QTest::addRow("clock set back")
        << QStringList{"0:1:100000", "60:1:106000", "30:1:112000", "90:1:118000"} << "1100"
        << "";
    QTest::addRow("training is not a drop")
        << QStringList{"0:1:100000", "60:3:106000", "120:1:112000"} << "111"
        << "";
}

void TestHistory::runsBreak() {
    QFETCH(QStringList, steps);
    QFETCH(QString, runStarts);
    QFETCH(QString, events);
    FormFixture f;
    createForm(f);
    for (const QString &step : steps) {
        const QStringList parts = step.split(QLatin1Char(':'));
        if (parts[1] == QLatin1String("-")) {
            f.agent.Script(kDownRate, {std::nullopt});
        } else {
            f.agent.SetInteger(kWanStatus, parts[1].toInt());
            f.agent.SetTimeTicks(kSysUpTime, parts[2].toULongLong());
        }
        tickAt(f, "History_Timer", kStart.addSecs(parts[0].toInt()));
    }
    QString got;
    for (const HistoryRow &r : storedRows(f))
        got += r.runStart ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, runStarts);
    QCOMPARE(storedEvents(f), events);
}

void TestHistory::connectionMonitorDropsStoredOnce() {
    FormFixture f;
    createForm(f);
    ListNotifier notes;
    historyParts(f).Alerts().SetNotifier(&notes);
    tickAt(f, "History_Timer", kStart);
    f.agent.SetInteger(kWanStatus, 2);
    tickAt(f, "Connect_Timer", kStart.addSecs(10));
    // The recorder sees the same drop: nothing more is stored or told.
    tickAt(f, "History_Timer", kStart.addSecs(60));
    f.agent.SetInteger(kWanStatus, 1);
    tickAt(f, "Connect_Timer", kStart.addSecs(135));
    tickAt(f, "History_Timer", kStart.addSecs(140));
    QCOMPARE(storedEvents(f), QStringLiteral("DR"));
    const auto stored =
        read<std::vector<LineEvent>>(f, [](HistoryStore &s) { return s.Events(0, qint64(4e9)); });
    QCOMPARE(int(stored[0].source), int(EventSource::ConnectionMonitor));
    QVERIFY(stored[0].detail.startsWith(QStringLiteral("Disconnected: ")));
    QCOMPARE(notes.Kinds(), (QStringList{"link-down", "link-up"}));
    QCOMPARE(notes.shown[0].text,
             QStringLiteral("The ADSL link went down at 07/12/2026 20:00:10."));
    QCOMPARE(notes.shown[1].text,
             QStringLiteral("The ADSL link is back at 07/12/2026 20:02:15 after 2 min 5 s down."));
    // The graph leaves the drop out: the sample after it starts a run.
    const std::vector<HistoryRow> rows = storedRows(f);
    QCOMPARE(rows.size(), std::size_t(3));
    QVERIFY(rows[2].runStart);
}

void TestHistory::noSampleWhileTargetEdited() {
    FormFixture f;
    MainForm &form = createForm(f);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTimer *timer = Timer(form, "History_Timer");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 60000);
    for (const char *box : {"IPaddress_Edit", "community_edit"}) {
        Edit(form, box)->setFocus();
        QTRY_VERIFY(Edit(form, box)->hasFocus());
        QVERIFY2(!timer->isActive(), box);
        // A tick that was already due takes no sample either.
        tickAt(f, "History_Timer", kStart);
        QVERIFY(storedRows(f).empty());
        form.GetValuesButton()->setFocus();
        QTRY_VERIFY(form.GetValuesButton()->hasFocus());
        QVERIFY(timer->isActive());
    }
    form.ApproveClose();
}

void TestHistory::fullDiskPausesRecording() {
    FormFixture f;
    MainForm &form = createForm(f);
    tickAt(f, "History_Timer", kStart);
    historyParts(f).HistoryService().Post([](HistoryStore &s) { s.LimitPages(1); });
    int tick = 1;
    for (; tick < 400 && !historyParts(f).Recorder().Paused(); ++tick)
        tickAt(f, "History_Timer", kStart.addSecs(60 * tick));
    QVERIFY(historyParts(f).Recorder().Paused());
    QCOMPARE(form.Status(), monitors::Recorder::PausedText);
    const std::size_t kept = storedRows(f).size();
    // Samples go on being read, none is stored; a drop and a return are kept for later.
    tickAt(f, "History_Timer", kStart.addSecs(60 * tick++));
    f.agent.SetInteger(kWanStatus, 2);
    tickAt(f, "Connect_Timer", kStart.addSecs(60 * tick++));
    f.agent.SetInteger(kWanStatus, 1);
    tickAt(f, "Connect_Timer", kStart.addSecs(60 * tick++));
    tickAt(f, "History_Timer", kStart.addSecs(60 * tick++));
    QCOMPARE(storedRows(f).size(), kept);
    QVERIFY(historyParts(f).Recorder().Paused());
    QCOMPARE(form.Status(), monitors::Recorder::PausedText);
    QCOMPARE(storedEvents(f), QString());

    historyParts(f).HistoryService().Post([](HistoryStore &s) { s.LimitPages(0); });
    tickAt(f, "History_Timer", kStart.addSecs(60 * tick++));
    QVERIFY(!historyParts(f).Recorder().Paused());
    QCOMPARE(form.Status(), monitors::Recorder::ResumedText);
    const std::vector<HistoryRow> rows = storedRows(f);
    QCOMPARE(rows.size(), kept + 1);
    QVERIFY(rows.back().runStart);
    QTRY_COMPARE(storedEvents(f), QStringLiteral("DR"));
    QVERIFY(f.prompter.shown.isEmpty());
}

void TestHistory::damagedFileToldOnce() {
    FormFixture f;
    const QString path = HistoryFilePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, '\x42'));
    }
    createForm(f);
    QCOMPARE(f.prompter.Texts(QStringLiteral("warning")).size(), 1);
    QVERIFY(f.prompter.Texts(QStringLiteral("warning"))[0].contains(QStringLiteral("is damaged")));
    tickAt(f, "History_Timer", kStart);
    QCOMPARE(storedRows(f).size(), std::size_t(1));
    const QStringList aside = QFileInfo(path).dir().entryList({"history-damaged-*.sqlite"});
    QCOMPARE(aside.size(), 1);

    f.Destroy();
    f.prompter.Reset();
    createForm(f);
    QVERIFY(f.prompter.shown.isEmpty());
    QCOMPARE(storedRows(f).size(), std::size_t(1));
}

void TestHistory::marginAlert_data() {
    QTest::addColumn<QList<int>>("margins"); // as marginSample takes them
    QTest::addColumn<QList<int>>("alertAt"); // samples after which an alert was given
    QTest::addRow("three low in a row") << QList<int>{70, 59, 59, 59} << QList<int>{3};
    QTest::addRow("two low are not enough") << QList<int>{59, 59, 61, 59, 59} << QList<int>{};
    QTest::addRow("staying low tells once") << QList<int>{50, 50, 50, 50, 50, 50} << QList<int>{2};
    QTest::addRow("back above the threshold is not enough")
        << QList<int>{50, 50, 50, 65, 50, 50, 50} << QList<int>{2};
    QTest::addRow("one dB above clears it")
        << QList<int>{50, 50, 50, 70, 50, 50, 50} << QList<int>{2, 6};
    QTest::addRow("a drop neither counts nor breaks the row")
        << QList<int>{50, 50, -1, 50, 50} << QList<int>{3};
    QTest::addRow("an unstable line still tells")
        << QList<int>{50, -1, 50, -1, -1, 50} << QList<int>{5};
    QTest::addRow("drops alone tell nothing") << QList<int>{-1, -1, -1, -1} << QList<int>{};
    QTest::addRow("a sample without the figure breaks the row")
        << QList<int>{50, 50, -2, 50, 50} << QList<int>{};
    QTest::addRow("exactly the threshold is not below") << QList<int>{60, 60, 60} << QList<int>{};
}

void TestHistory::marginAlert() {
    QFETCH(QList<int>, margins);
    QFETCH(QList<int>, alertAt);
    FormFixture f;
    createForm(f);
    ListNotifier notes;
    historyParts(f).Alerts().SetNotifier(&notes);
    monitors::Alerts &alerts = historyParts(f).Alerts();
    QList<int> got;
    for (int i = 0; i < margins.size(); ++i) {
        const int before = notes.shown.size();
        alerts.OnSample(marginSample(margins[i]));
        if (notes.shown.size() > before)
            got << i;
    }
    QCOMPARE(got, alertAt);
    if (!notes.shown.isEmpty())
        QVERIFY2(notes.shown[0].text.startsWith(QStringLiteral("Downstream noise margin ")) &&
                     notes.shown[0].text.contains(QStringLiteral("below 6 dB for 3 samples")),
                 qPrintable(notes.shown[0].text));
}

void TestHistory::quotaAlerts_data() {
    // Steps: "calc <used GB>" is a "Calculate" (10 GB allowance), "grow <bytes>" the WAN
    // counter growing by that much over refreshes (wrapping past 2^32 as it goes), "restart
    // <counter>" the router starting again with that counter, "fail" a refresh without answer,
    // "reset" the monthly reset. Each step is followed by a look. Expected: the levels told.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("toldBefore"); // the level told in this cycle when the program started
    QTest::addColumn<QList<int>>("told");
    QTest::addRow("passes 65 then 85")
        << QStringList{"calc 0", "grow 6.6e9", "grow 0.4e9", "grow 1.6e9", "grow 0.4e9"} << 0
        << QList<int>{65, 85};
    QTest::addRow("past two levels at once tells the higher")
        << QStringList{"calc 0", "grow 9e9"} << 0 << QList<int>{85};
    QTest::addRow("used up") << QStringList{"calc 9", "grow 1.2e9"} << 0 << QList<int>{85, 100};
    QTest::addRow("a router restart starts nothing afresh")
        << QStringList{"calc 0", "grow 7e9", "restart 2000", "grow 1000"} << 0 << QList<int>{65};
    QTest::addRow("the monthly reset starts a new cycle")
        << QStringList{"calc 0", "grow 7e9", "reset", "calc 0", "grow 7e9"} << 0
        << QList<int>{65, 65};
    QTest::addRow("told before the program started")
        << QStringList{"calc 8.8", "grow 1000", "grow 1.5e9"} << 85 << QList<int>{100};
    QTest::addRow("a failed reading says nothing")
        << QStringList{"calc 9", "fail"} << 0 << QList<int>{85};
}

void TestHistory::quotaAlerts() {
    QFETCH(QStringList, steps);
    QFETCH(int, toldBefore);
    QFETCH(QList<int>, told);
    FormFixture f;
    MainForm &form = createForm(f);
    ListNotifier notes;
    historyParts(f).Alerts().SetNotifier(&notes);
    monitors::Alerts &alerts = historyParts(f).Alerts();
    alerts.SetQuotaLevelTold(toldBefore);
    core::QuotaModel &a = PartsOf(form).Account();
    a.SetBytesPerGB(1e9);
    const auto reading = quotaReading;
    std::uint32_t counter = 1000;
    std::uint32_t uptime = 100;
    for (const QString &step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("calc")) {
            a.SetAllowance(10e9);
            a.SetUsedAtCalculate(w[1].toDouble() * 1e9);
            a.Calculated(reading(counter, uptime));
        } else if (w[0] == QLatin1String("grow")) {
            for (double left = w[1].toDouble(); left > 0; left -= 3e9) {
                counter += std::uint32_t(std::min(left, 3e9));
                uptime += 3000; // 30 s: a gigabit line carries 3 GB in it
                a.Take(reading(counter, uptime));
            }
        } else if (w[0] == QLatin1String("restart")) {
            counter = w[1].toUInt();
            uptime = 50;
            a.Take(reading(counter, uptime));
        } else if (w[0] == QLatin1String("reset")) {
            a.StartMonth(f.clock.Now().date());
        } else {
            a.ReadingFailed();
        }
        alerts.CheckQuota();
    }
    QList<int> got;
    for (const Notification &n : notes.shown) {
        QCOMPARE(n.kind, QStringLiteral("quota"));
        got << (n.text.contains(QStringLiteral("used up")) ? 100 : n.text.left(2).toInt());
    }
    QCOMPARE(got, told);
    // The level told is what the next start knows.
    core::SettingsValues values;
    historyParts(f).History().CollectSettings(values);
    QCOMPARE(values.QuotaAlertLevel, alerts.QuotaLevelTold());
}

void TestHistory::metricsEndpoint() {
    FormFixture f;
    MainForm &form = createForm(f);
    core::QuotaModel &quota = PartsOf(form).Account();
    quota.SetAllowance(10e9);
    quota.Calculated(quotaReading(1000, 100));
    quota.Take(quotaReading(std::uint32_t(2.5e9 + 1000), 3100));
    MetricsServer &metrics = historyParts(f).Metrics();
    QString error;
    QVERIFY2(metrics.Start(QStringLiteral("127.0.0.1"), 0, &error), qPrintable(error));
    tickAt(f, "History_Timer", kStart);

    const QByteArray reply =
        httpGet(metrics.Port(), "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const int split = reply.indexOf("\r\n\r\n");
    QVERIFY2(split > 0, reply.constData());
    const QByteArray head = reply.left(split);
    const QByteArray body = reply.mid(split + 4);
    QVERIFY(head.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(head.contains("Content-Type: text/plain; version=0.0.4"));
    QVERIFY(head.contains("Content-Length: " + QByteArray::number(body.size())));
    const QList<QByteArray> lines = body.split('\n');
    for (const char *expected :
         {"vantrel_link_up 1", "vantrel_snr_margin_db{direction=\"down\"} 6.5",
          "vantrel_snr_margin_db{direction=\"up\"} 12",
          "vantrel_sync_rate_bytes_per_second{direction=\"down\"} 1016000",
          "vantrel_attenuation_db{direction=\"down\"} 40.9",
          "vantrel_router_uptime_seconds 123456.78", "vantrel_errored_seconds_total 40",
          "vantrel_quota_used_bytes 2500000000", "vantrel_quota_used_ratio 0.25"})
        QVERIFY2(lines.contains(expected), expected);

    QVERIFY(httpGet(metrics.Port(), "GET /other HTTP/1.0\r\n\r\n").startsWith("HTTP/1.1 404"));
    QVERIFY(httpGet(metrics.Port(), "POST /metrics HTTP/1.0\r\n\r\n").startsWith("HTTP/1.1 405"));
    const QByteArray headOnly = httpGet(metrics.Port(), "HEAD /metrics HTTP/1.0\r\n\r\n");
    QVERIFY(headOnly.startsWith("HTTP/1.1 200") && headOnly.endsWith("\r\n\r\n"));
}

void TestHistory::metricsPortZeroIsNoChoice() {
    // Port 0 would listen on a port of the system's choosing that the user is never told of.
    FormFixture f;
    f.WriteSettings(f.DefaultSettings() +
                    QStringLiteral("[Line history]\nServe metrics=1\nMetrics port=0\n"));
    f.Create(true);
    core::SettingsValues values;
    historyParts(f).History().CollectSettings(values);
    QCOMPARE(values.MetricsPort, int(MetricsServer::DefaultPort));
    QVERIFY(!historyParts(f).Metrics().Listening() ||
            historyParts(f).Metrics().Port() == MetricsServer::DefaultPort);
}

void TestHistory::notRecordedIsSaidForGood_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("shownSamples"); // in the history file the window reads
    QTest::addRow("a folder in its place") << "folder"
                                           << "a folder is in its place" << qint64(-1);
    QTest::addRow("another copy recording") << "copy"
                                            << "another copy of Vantrel" << qint64(60);
}

void TestHistory::notRecordedIsSaidForGood() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(qint64, shownSamples);
    FormFixture f; // the data folder is its own
    const QString path = HistoryFilePath();
    std::unique_ptr<history::HistoryStore> other;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        other = std::make_unique<history::HistoryStore>(path);
        QVERIFY(other->Open(kStart).ok);
        std::vector<history::LineSample> samples(static_cast<std::size_t>(shownSamples));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i].time = kStart.toSecsSinceEpoch() - 60 * qint64(i + 1);
        QCOMPARE(other->AppendAll(samples), history::HistoryStore::Status::Ok);
    }
    MainForm &form = createForm(f);
    QLabel *notice = Label(form, "HistoryNotice_Label");
    QVERIFY(notice->isVisibleTo(&form));
    QVERIFY(notice->text().startsWith(shownSamples >= 0 ? QStringLiteral("Line history read-only: ")
                                                        : QStringLiteral("Line history off: ")));
    QVERIFY2(historyParts(f).History().Notice().contains(reason),
             qPrintable(historyParts(f).History().Notice()));
    QVERIFY(historyParts(f).History().Notice().contains(path));
    // A refresh's " Ready" does not take it away.
    Button(form, "GetValues_But")->click();
    QVERIFY(f.Settle());
    QVERIFY(notice->isVisibleTo(&form));
    if (shownSamples >= 0) {
        qint64 count = -1;
        historyParts(f).HistoryService().Run<qint64>(
            nullptr, [](history::HistoryStore &store) { return store.SampleCount(); },
            [&count](qint64 &n) { count = n; });
        QVERIFY(historyParts(f).HistoryService().WaitIdle());
        QCOMPARE(count, shownSamples);
    }
    f.Destroy();
}

void TestHistory::metricsPassPromtool() {
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        VANTREL_SKIP("promtool (Debian package prometheus) is not installed");
    FormFixture f;
    MainForm &form = createForm(f);
    PartsOf(form).Account().SetAllowance(10e9);
    // Through the menu's dialog, on a port of the user's choosing.
    const quint16 port = freePort();
    Action(form, "ServeMetrics")->trigger();
    MetricsDialog *dialog = historyParts(f).History().OpenMetrics();
    QVERIFY(dialog != nullptr);
    QCOMPARE(Edit(*dialog, "MetricsAddress_Edit")->text(), QStringLiteral("127.0.0.1"));
    Find<QCheckBox>(*dialog, "ServeMetrics_Check")->setChecked(true);
    Find<QSpinBox>(*dialog, "MetricsPort_Spin")->setValue(port);
    dialog->accept();
    QVERIFY(historyParts(f).Metrics().Listening());
    QCOMPARE(historyParts(f).Metrics().Port(), port);
    tickAt(f, "History_Timer", kStart);
    f.agent.SetInteger(kWanStatus, 2);
    for (bool up : {true, false}) {
        const QByteArray reply = httpGet(port, "GET /metrics HTTP/1.0\r\n\r\n");
        QProcess check;
        check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
        QVERIFY(check.waitForStarted());
        check.write(reply.mid(reply.indexOf("\r\n\r\n") + 4));
        check.closeWriteChannel();
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0,
                 (check.readAllStandardOutput() + check.readAllStandardError()).constData());
        QVERIFY(reply.contains(up ? "vantrel_link_up 1\n" : "vantrel_link_up 0\n"));
        // A link that is down: its status, and no line figures.
        tickAt(f, "History_Timer", kStart.addSecs(60));
    }
}

void TestHistory::historyWindowOnAMonth() {
    FormFixture f;
    MainForm &form = createForm(f);
    f.clock.Set(QDateTime(QDate(2026, 12, 7), QTime(22, 31, 5)));
    const qint64 now = f.clock.Now().toSecsSinceEpoch();
    const GeneratedHistory month = GenerateHistory(now, 31, 60);
    QVERIFY(month.drops >= 4);
    historyParts(f).HistoryService().Post([month](HistoryStore &s) {
        s.AppendAll(month.samples);
        for (const LineEvent &e : month.events)
            s.AddEvent(e);
    });
    QVERIFY(historyParts(f).HistoryService().WaitIdle());

    // The ADSL page's button opens the window on the last 24 hours.
    Button(form, "History_But")->click();
    HistoryWindow *window = historyParts(f).History().Window();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->CurrentRange(), HistoryWindow::Range::Day);
    window->resize(1000, 800);
    Button(*window, "Range31d_But")->click();
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    QCOMPARE(window->To() - window->From(), qint64(31 * 86400));

    HistoryChart *chart = window->Chart();
    const ChartData &data = chart->Data();
    QCOMPARE(int(data.columns.size()), chart->Columns());
    QCOMPARE(int(data.outages.size()), month.drops);
    QCOMPARE(data.restarts.size(), std::size_t(1));
    chart->grab(); // paints
    for (int points : chart->PointsDrawn()) {
        QVERIFY(points > 0);
        QVERIFY(points <= 2 * chart->Columns());
    }
    // The program did not run for six hours: the columns there hold nothing.
    const qint64 offFrom = now - 31 * 86400 + qint64(31) * 86400 * 8 / 10 + 2 * 3600;
    const int offColumn = int((offFrom + 3 * 3600 - data.request.from) * data.request.columns /
                              (data.request.to - data.request.from));
    QCOMPARE(data.columns[std::size_t(offColumn)].samples, 0);
    // An outage tells its length under the mouse.
    const Outage &first = data.outages.front();
    const QPoint inside(int(chart->XOf((first.from + first.to) / 2)), chart->height() / 3);
    QVERIFY2(chart->ToolTipAt(inside).startsWith(QStringLiteral("Link down from ")),
             qPrintable(chart->ToolTipAt(inside)));
    QVERIFY(chart->ToolTipAt(inside).endsWith(DurationText(first.Seconds())));
    QVERIFY(Label(*window, "HistoryInfo_Label")
                ->text()
                .contains(QStringLiteral("%1 drops").arg(month.drops)));

    // A free range a week back; then the year.
    window->ShowFree(QDateTime::fromSecsSinceEpoch(now - 8 * 86400),
                     QDateTime::fromSecsSinceEpoch(now - 7 * 86400));
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    QCOMPARE(chart->Data().request.from, now - 8 * 86400);
    QVERIFY(chart->Data().rows >= 1400);
    Button(*window, "Range1y_But")->click();
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    QCOMPARE(window->To() - window->From(), qint64(365 * 86400));
    QVERIFY(chart->Data().rows > 0);
    form.ApproveClose();
}

void TestHistory::opensOnARangeThatFits_data() {
    QTest::addColumn<QList<int>>("minutesAgo"); // [from, to] of each stretch of samples
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("minutes");    // the range's length
    QTest::addColumn<QString>("button"); // the range button checked ("" none)
    const int day = int(HistoryWindow::Range::Day), recent = int(HistoryWindow::Range::Recent);
    QTest::addRow("a new file") << QList<int>{} << recent << 10 << "";
    QTest::addRow("twenty minutes") << QList<int>{20, 0} << recent << 30 << "";
    QTest::addRow("fifty minutes") << QList<int>{50, 0} << recent << 60 << "Range1h_But";
    QTest::addRow("almost an hour") << QList<int>{58, 0} << recent << 120 << "";
    QTest::addRow("five hours") << QList<int>{300, 0} << recent << 360 << "";
    QTest::addRow("two days") << QList<int>{2880, 0} << day << 1440 << "Range24h_But";
    QTest::addRow("today, and weeks ago")
        << QList<int>{30000, 29000, 60, 0} << day << 1440 << "Range24h_But";
}

void TestHistory::opensOnARangeThatFits() {
    QFETCH(QList<int>, minutesAgo);
    QFETCH(int, range);
    QFETCH(int, minutes);
    QFETCH(QString, button);
    FormFixture f;
    createForm(f);
    f.clock.Set(kStart);
    const qint64 now = kStart.toSecsSinceEpoch();
    std::vector<LineSample> samples;
    for (int i = 0; i + 1 < minutesAgo.size(); i += 2)
        for (int m = minutesAgo[i]; m >= minutesAgo[i + 1]; --m) {
            LineSample s = marginSample(80);
            s.time = now - m * 60;
            s.runStart = m == minutesAgo[i];
            samples.push_back(s);
        }
    historyParts(f).HistoryService().Post([samples](HistoryStore &s) { s.AppendAll(samples); });
    historyParts(f).History().ShowHistory();
    HistoryWindow *window = historyParts(f).History().Window();
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    QCOMPARE(int(window->CurrentRange()), range);
    QCOMPARE(window->To() - window->From(), qint64(minutes) * 60);
    QCOMPARE(window->To(), now + 1);
    QStringList checked;
    for (QPushButton *b : window->findChildren<QPushButton *>())
        if (b->isChecked())
            checked << b->objectName();
    QCOMPARE(checked.join(QLatin1Char(',')), button);
    // A recent range grows with the data: two hours later it still holds all of it.
    if (range == int(HistoryWindow::Range::Recent) && !minutesAgo.isEmpty()) {
        f.clock.Set(kStart.addSecs(7200));
        window->Refresh();
        QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
        QVERIFY(window->From() <= now - minutesAgo[0] * 60);
    }
}

void TestHistory::rangeChosenWhileItOpensStays() {
    FormFixture f;
    createForm(f);
    historyParts(f).History().ShowHistory();
    HistoryWindow *window = historyParts(f).History().Window();
    Button(*window, "Range7d_But")->click();
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    QCOMPARE(window->CurrentRange(), HistoryWindow::Range::Week);
    QVERIFY(Button(*window, "Range7d_But")->isChecked());
}

void TestHistory::windowFitsTheScreen() {
    // Run on the offscreen platform's screen, and by CTest again on a 1024 x 768 screen and on
    // a 1280 x 1024 screen at 1.5 times (VANTREL_TEST_SCREEN names it).
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QByteArray expected = qgetenv("VANTREL_TEST_SCREEN");
    if (!expected.isEmpty()) {
        const QList<QByteArray> size = expected.split('x');
        // Within a pixel: the scaled screen's logical size is rounded.
        QVERIFY(qAbs(screen->geometry().width() * screen->devicePixelRatio() - size[0].toInt()) <
                2);
        QVERIFY(qAbs(screen->geometry().height() * screen->devicePixelRatio() - size[1].toInt()) <
                2);
    }
    FormFixture f;
    createForm(f);
    historyParts(f).History().ShowHistory();
    HistoryWindow *window = historyParts(f).History().Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect room = screen->availableGeometry();
    // Inside the screen, with room for a title bar, and never smaller than its controls need.
    const QRect frame = window->frameGeometry();
    QVERIFY(room.contains(frame));
    QVERIFY(frame.height() + 30 <= room.height());
    QVERIFY(window->width() >= window->minimumSizeHint().width());
    QVERIFY(window->height() >= window->minimumSizeHint().height());
    // Every control is whole inside the window.
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->parentWidget() != window)
            continue;
        const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        QVERIFY2(window->rect().contains(r), qPrintable(w->objectName()));
    }
    QVERIFY(Button(*window, "CloseHistory_But")->width() >=
            Button(*window, "CloseHistory_But")->minimumSizeHint().width());
}

void TestHistory::exports_data() {
    QTest::addColumn<QString>("kind");
    QTest::addRow("CSV") << "csv";
    QTest::addRow("picture") << "png";
    QTest::addRow("report") << "pdf";
}

void TestHistory::exports() {
    QFETCH(QString, kind);
    FormFixture f;
    createForm(f, true);
    const qint64 now = kStart.toSecsSinceEpoch();
    f.clock.Set(kStart);
    const GeneratedHistory day = GenerateHistory(now, 2, 60, false);
    historyParts(f).HistoryService().Post([day, now](HistoryStore &s) {
        s.AppendAll(day.samples);
        s.AddEvent({now - 3600, LineEventKind::Drop, EventSource::Recorder, {}});
        s.AddEvent({now - 3000, LineEventKind::Return, EventSource::Recorder, {}});
    });
    historyParts(f).History().ShowHistory();
    HistoryWindow *window = historyParts(f).History().Window();
    QTRY_VERIFY(!window->Loading() && historyParts(f).HistoryService().Idle());
    const QString file = f.configDir.path() + QStringLiteral("/export.") + kind;
    QSignalSpy written(window, &HistoryWindow::exported);
    if (kind == QLatin1String("pdf")) {
        f.prompter.printAnswers << true;
        f.prompter.printToFile = file;
        Button(*window, "PrintReport_But")->click();
    } else {
        f.prompter.saveAnswers << file;
        Button(*window, kind == QLatin1String("csv") ? "ExportCsv_But" : "SavePicture_But")
            ->click();
    }
    QTRY_COMPARE(written.size(), 1);
    QVERIFY(written[0][1].toBool());
    QVERIFY(f.prompter.Texts(QStringLiteral("error")).isEmpty());
    QFile out(file);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    // Each export names the router, the range shown and the time zone of its times.
    const QString router = QStringLiteral("Router: %1, address %2")
                               .arg(Label(f.form(), "RouterDesc_Label")->text().simplified(),
                                    QString::fromStdString(f.agent.Host()));
    QVERIFY(router.startsWith(QStringLiteral("Router: Test ADSL Router")));
    const QString range = QStringLiteral("From %1 to %2, ")
                              .arg(DateTimeText(QDateTime::fromSecsSinceEpoch(window->From())),
                                   DateTimeText(QDateTime::fromSecsSinceEpoch(window->To())));
    auto namesItsSource = [&](const QStringList &lines) {
        QVERIFY2(lines.contains(router), qPrintable(lines.join(QLatin1Char('|'))));
        const QStringList ranges = lines.filter(range);
        QCOMPARE(ranges.size(), 1);
        QVERIFY2(ranges[0].contains(QStringLiteral(" time (UTC")), qPrintable(ranges[0]));
    };
    // The dialogs open where the user last saved (at first the documents folder), never in
    // the folder the program happened to start from.
    if (kind != QLatin1String("pdf")) {
        QCOMPARE(f.prompter.saveRequests.size(), 1);
        QVERIFY(QFileInfo(f.prompter.saveRequests.front().folder).isDir());
        QVERIFY(f.prompter.saveRequests.front().folder != QDir::currentPath());
    }
    if (kind == QLatin1String("csv")) {
        QCOMPARE(f.prompter.saveRequests.front().defaultSuffix, QStringLiteral("csv"));
        QList<QByteArray> lines = bytes.split('\n');
        QStringList heading;
        while (lines.front().startsWith("# "))
            heading << QString::fromUtf8(lines.takeFirst().mid(2).chopped(1));
        namesItsSource(heading);
        QVERIFY(lines[0].startsWith("time,samples,link,uptime_s,down_rate_kbps"));
        // The range's samples, oldest first, one line each, the link state in words.
        std::vector<qint64> inRange;
        for (const LineSample &s : day.samples)
            if (s.time >= window->From() && s.time < window->To())
                inRange.push_back(s.time);
        QCOMPARE(lines.size(), 1 + int(inRange.size()) + 1);
        const QDateTime first = QDateTime::fromString(
            QString::fromLatin1(lines[1].left(lines[1].indexOf(','))), Qt::ISODate);
        QCOMPARE(first.toSecsSinceEpoch(), inRange.front());
        QVERIFY(lines[1].left(25).endsWith("+00:00"));
        QVERIFY(lines[1].endsWith('\r'));
        for (int i = 1; i + 1 < lines.size(); ++i)
            QCOMPARE(lines[i].split(',').value(2), QByteArray("up"));
    } else if (kind == QLatin1String("png")) {
        QImage picture;
        QVERIFY(picture.loadFromData(bytes, "PNG"));
        // The graphs as on the screen, under a band with the title and the heading.
        const QSize chart = window->Chart()->size();
        QCOMPARE(picture.width(), chart.width());
        QVERIFY(picture.height() > chart.height() + 40);
        const QImage band = picture.copy(0, 0, picture.width(), picture.height() - chart.height());
        int dark = 0;
        for (int y = 0; y < band.height(); ++y)
            for (int x = 0; x < band.width(); ++x)
                dark += qGray(band.pixel(x, y)) < 128 ? 1 : 0;
        QVERIFY2(dark > 200, "no heading drawn above the graphs");
        QCOMPARE(picture.text(QStringLiteral("Title")), QStringLiteral("Vantrel line history"));
        namesItsSource(picture.text(QStringLiteral("Description")).split(QLatin1Char('\n')));
    } else {
        QCOMPARE(f.prompter.printDialogs, 1);
        QCOMPARE(int(bytes.count("/Type /Page\n")), 1);
        TextRecorder page;
        {
            QPainter painter(&page);
            window->PaintReport(painter, QRect(0, 0, page.width(), page.height()));
        }
        QCOMPARE(page.texts.value(0), QStringLiteral("Vantrel line history"));
        namesItsSource(page.texts);
        QVERIFY(page.texts.contains(QStringLiteral("Drops")));
    }
}

void TestHistory::menuAndSettings() {
    FormFixture f;
    MainForm &form = createForm(f);
    QMenu *menu = Find<QMenu>(form, "LineHistory1");
    QCOMPARE(menu->title(), QStringLiteral("Line history"));
    QVERIFY(form.SubMenu("Options1")->actions().contains(menu->menuAction()));
    QVERIFY(Action(form, "RecordHistory")->isChecked());
    QVERIFY(Action(form, "History1m")->isChecked());

    Action(form, "History5m")->trigger();
    QCOMPARE(Timer(form, "History_Timer")->interval(), 300000);
    Action(form, "RecordHistory")->trigger();
    QVERIFY(!Timer(form, "History_Timer")->isActive());
    Action(form, "HistoryAlerts")->trigger();
    AlertsDialog *dialog = historyParts(f).History().OpenAlerts();
    QVERIFY(dialog != nullptr);
    QCOMPARE(Find<QDoubleSpinBox>(*dialog, "MarginThreshold_Spin")->value(), 6.0);
    Find<QDoubleSpinBox>(*dialog, "MarginThreshold_Spin")->setValue(7.5);
    Find<QCheckBox>(*dialog, "QuotaAlert_Check")->setChecked(false);
    Find<QCheckBox>(*dialog, "RouterAlert_Check")->setChecked(false);
    dialog->accept();
    QCOMPARE(historyParts(f).Alerts().Current().marginDb, 7.5);
    QVERIFY(!historyParts(f).Alerts().Current().quota);

    f.prompter.confirmAnswers << true;
    QVERIFY(form.FormCloseQuery());
    const QString saved = f.ReadSettings();
    for (const char *line : {"[Line history]\nRecord=0\nInterval=300\n", "Margin threshold=7.5\n",
                             "Quota alerts=0\n", "Router alerts=0\n", "Serve metrics=0\n"})
        QVERIFY2(saved.contains(QLatin1String(line)), line);

    f.Destroy();
    MainForm &again = f.Create(true);
    QVERIFY(!Action(again, "RecordHistory")->isChecked());
    QVERIFY(Action(again, "History5m")->isChecked());
    QVERIFY(!Timer(again, "History_Timer")->isActive());
    QCOMPARE(Timer(again, "History_Timer")->interval(), 300000);
    QCOMPARE(historyParts(f).Alerts().Current().marginDb, 7.5);
    QVERIFY(!historyParts(f).Alerts().Current().router);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
