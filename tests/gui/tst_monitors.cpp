// The connection monitor and the router status monitor driven tick by tick against a loopback
// agent whose answers are scripted: which polls write a log line, what the line says, how long
// the figure in parentheses measures, and how the status monitor switches itself off.

#include "app/connectionlog.h"
#include "app/mainform.h"
#include "app/routerquery.h"
#include "formfixture.h"
#include "monitors/connectionmonitor.h"
#include "snmp/ber.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <functional>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const std::string kWanStatus = "1.3.6.1.2.1.2.2.1.8.2";
const std::string kSysUpTime = "1.3.6.1.2.1.1.3.0";

// "-" is no answer at all; a number goes out as INTEGER, anything else as an OCTET STRING.
std::optional<AgentValue> answer(const QString &reply) {
    if (reply == QLatin1String("-"))
        return std::nullopt;
    bool number = false;
    const int v = reply.toInt(&number);
    if (number && QString::number(v) == reply)
        return AgentValue{ber::Integer, ber::IntegerContent(v)};
    return AgentValue{ber::OctetString, reply.toStdString()};
}

void setUptime(LoopbackAgent &agent, const QString &ticks) {
    if (ticks == QLatin1String("-"))
        agent.Script(kSysUpTime, {std::nullopt});
    else
        agent.SetTimeTicks(kSysUpTime, ticks.toULongLong());
}

// One tick, as the timer gives it, and its answer shown.
void tick(FormFixture &f, QTimer *timer) {
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
    QVERIFY(f.Settle());
}

MainForm &createForm(FormFixture &f) {
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    return form;
}

QStringList logText(MainForm &form) {
    const QString text = Memo(form, "LinkLog_Memo")->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// Answers like the scripted prompter, and while the first error box "is open" runs one more
// piece of code, as a timer tick would in the box's own event loop.
class NestingPrompter : public ScriptedPrompter {
public:
    std::function<void()> whileOpen;
    void Error(const QString &caption, const QString &text) override {
        ScriptedPrompter::Error(caption, text);
        if (whileOpen) {
            const std::function<void()> run = std::move(whileOpen);
            whileOpen = nullptr;
            run();
        }
    }
};

} // namespace

class TestMonitors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void stateMachine_data();
    void stateMachine();
    void logLines_data();
    void logLines();
    void nonNumericUptimeChangesNothing();
    void newLineScrollsLogToEnd();
    void monitorLineLeavesTheUsersTyping();
    void blindPeriodIsLogged_data();
    void blindPeriodIsLogged();
    void elapsedUptimeText_data();
    void elapsedUptimeText();
    void ctrlKeyMarksLogUnsaved_data();
    void ctrlKeyMarksLogUnsaved();

    void statusMonitorIdleOnOtherPages();
    void statusMonitorShowsUptime();
    void statusMonitorSwitchesOffWhenSilent();
    void errorBoxDoesNotNestTicks_data();
    void errorBoxDoesNotNestTicks();
};

void TestMonitors::initTestCase() {
    // Dates and times of the log lines in a known regional format.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestMonitors::stateMachine_data() {
    QTest::addColumn<QStringList>("replies");   // ifOperStatus per poll; "-" for no answer
    QTest::addColumn<QList<int>>("lineCounts"); // lines in the log after each poll
    QTest::addColumn<QStringList>("kinds");     // how the lines begin, in order
    QTest::addColumn<bool>("finalUp");

    const QString down = QStringLiteral("Disconnected: ");
    const QString back = QStringLiteral("Reconnected: ");
    QTest::addRow("up down down up") << QStringList{"1", "2", "2", "1"} << QList<int>{0, 1, 1, 2}
                                     << QStringList{down, back} << true;
    QTest::addRow("first poll down")
        << QStringList{"2"} << QList<int>{1} << QStringList{down} << false;
    QTest::addRow("testing and 7 while down")
        << QStringList{"2", "3", "7", "1"} << QList<int>{1, 1, 1, 2} << QStringList{down, back}
        << true;
    // A poll without answer changes no state; when answers come back the silence is logged
    // before the change.
    const QString blind = QStringLiteral("No answer from the router: ");
    QTest::addRow("failure while down") << QStringList{"2", "-", "1"} << QList<int>{1, 1, 3}
                                        << QStringList{down, blind, back} << true;
    QTest::addRow("failure while up")
        << QStringList{"1", "-", "2"} << QList<int>{0, 0, 2} << QStringList{blind, down} << false;
    QTest::addRow("other replies while up")
        << QStringList{"3", "5", "7", ""} << QList<int>{0, 0, 0, 0} << QStringList{} << true;
    QTest::addRow("01 is not up") << QStringList{"2", "01", "1"} << QList<int>{1, 1, 2}
                                  << QStringList{down, back} << true;
    QTest::addRow("two drops") << QStringList{"2", "1", "2", "1"} << QList<int>{1, 2, 3, 4}
                               << QStringList{down, back, down, back} << true;
}

void TestMonitors::stateMachine() {
    QFETCH(QStringList, replies);
    QFETCH(QList<int>, lineCounts);
    QFETCH(QStringList, kinds);
    QFETCH(bool, finalUp);

    FormFixture f;
    MainForm &form = createForm(f);
    std::vector<std::optional<AgentValue>> script;
    for (const QString &reply : replies)
        script.push_back(answer(reply));
    f.agent.Script(kWanStatus, script);

    QTimer *timer = Timer(form, "Connect_Timer");
    for (int i = 0; i < replies.size(); ++i) {
        form.SetStatus(RouterQuery::ReadyText);
        tick(f, timer);
        QCOMPARE(logText(form).size(), lineCounts[i]);
        QCOMPARE(form.Status(), replies[i] == QLatin1String("-") ? RouterQuery::ErrorText
                                                                 : RouterQuery::ReadyText);
    }
    const QStringList lines = logText(form);
    QCOMPARE(lines.size(), kinds.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(kinds[i]), qPrintable(lines[i]));
    QCOMPARE(PartsOf(form).Connection().WanLinkUp(), finalUp);
    QCOMPARE(form.Log().Unsaved(), !lines.isEmpty());
    QVERIFY(f.prompter.shown.isEmpty());
    QCOMPARE(f.prompter.beeps, 0);
}

void TestMonitors::logLines_data() {
    QTest::addColumn<QList<QDateTime>>("times"); // the clock at each poll
    QTest::addColumn<QStringList>("uptimes");    // sysUpTime at each poll; "-" for no answer
    QTest::addColumn<QStringList>("replies");    // ifOperStatus at each poll
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("beeps");

    const QDateTime evening(QDate(2026, 12, 7), QTime(22, 31, 5));
    const QDateTime later(QDate(2026, 12, 7), QTime(23, 31, 5));
    const QDateTime midnight(QDate(2026, 12, 8), QTime(0, 0, 0));
    const QDateTime pastMidnight(QDate(2026, 12, 8), QTime(0, 0, 1));

    QTest::addRow("first line shows the router's uptime")
        << QList<QDateTime>{evening} << QStringList{"12345678"} << QStringList{"2"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)"} << 0;
    QTest::addRow("return shows how long the drop lasted")
        << QList<QDateTime>{evening, later} << QStringList{"12345678", "12705678"}
        << QStringList{"2", "1"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)",
                       "Reconnected: 07/12/2026 23:31:05  (00:01:00:00)"}
        << 0;
    QTest::addRow("each line measures from the one before")
        << QList<QDateTime>{evening, evening, evening} << QStringList{"100", "6100", "366100"}
        << QStringList{"2", "1", "2"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:00:01)",
                       "Reconnected: 07/12/2026 22:31:05  (00:00:01:00)",
                       "Disconnected: 07/12/2026 22:31:05  (00:01:00:00)"}
        << 0;
    QTest::addRow("polls without a change do not move the start")
        << QList<QDateTime>{evening, evening, evening} << QStringList{"1000", "5000", "7000"}
        << QStringList{"2", "2", "1"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:00:10)",
                       "Reconnected: 07/12/2026 22:31:05  (00:00:01:00)"}
        << 0;
    QTest::addRow("midnight leaves out the time")
        << QList<QDateTime>{midnight} << QStringList{"12345678"} << QStringList{"2"}
        << QStringList{"Disconnected: 08/12/2026  (01:10:17:36)"} << 0;
    QTest::addRow("a second past midnight keeps it")
        << QList<QDateTime>{pastMidnight} << QStringList{"12345678"} << QStringList{"2"}
        << QStringList{"Disconnected: 08/12/2026 00:00:01  (01:10:17:36)"} << 0;
    QTest::addRow("router restarted in between shows its new uptime")
        << QList<QDateTime>{evening, later} << QStringList{"12345678", "6000"}
        << QStringList{"2", "1"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)",
                       "Reconnected: 07/12/2026 23:31:05  (00:00:01:00)"}
        << 0;
    // Without the uptime of a change, the next line falls back to the router's uptime.
    QTest::addRow("uptime not answered")
        << QList<QDateTime>{evening, later, later} << QStringList{"100000", "-", "460000"}
        << QStringList{"2", "1", "2"}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:16:40)",
                       "Reconnected: 07/12/2026 23:31:05  (Get failed)",
                       "Disconnected: 07/12/2026 23:31:05  (00:01:16:40)"}
        << 1;
}

void TestMonitors::logLines() {
    QFETCH(QList<QDateTime>, times);
    QFETCH(QStringList, uptimes);
    QFETCH(QStringList, replies);
    QFETCH(QStringList, lines);
    QFETCH(int, beeps);

    FormFixture f;
    MainForm &form = createForm(f);
    for (int i = 0; i < replies.size(); ++i) {
        f.clock.Set(times[i]);
        setUptime(f.agent, uptimes[i]);
        f.agent.Script(kWanStatus, {answer(replies[i])});
        tick(f, Timer(form, "Connect_Timer"));
    }
    QCOMPARE(logText(form), lines);
    QCOMPARE(f.prompter.beeps, beeps);
    if (beeps > 0)
        QCOMPARE(form.Status(), RouterQuery::ErrorText);
    QVERIFY(f.prompter.shown.isEmpty());
}

void TestMonitors::nonNumericUptimeChangesNothing() {
    FormFixture f;
    MainForm &form = createForm(f);
    f.agent.SetString(kSysUpTime, "soon");
    f.agent.Script(kWanStatus, {answer(QStringLiteral("2"))});
    tick(f, Timer(form, "Connect_Timer"));
    QCOMPARE(f.prompter.Texts("error"), QStringList{"'soon' is not a valid integer value."});
    QCOMPARE(logText(form), QStringList());
    QVERIFY(PartsOf(form).Connection().WanLinkUp());
    QVERIFY(!form.Log().Unsaved());

    // The next drop is logged as the first one would have been.
    f.agent.SetTimeTicks(kSysUpTime, 6000);
    f.agent.Script(kWanStatus, {answer(QStringLiteral("2"))});
    tick(f, Timer(form, "Connect_Timer"));
    QCOMPARE(logText(form), QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:01:00)"});
}

void TestMonitors::newLineScrollsLogToEnd() {
    FormFixture f;
    MainForm &form = createForm(f);
    form.show();
    Find<QTabWidget>(form, "ADSL_PageControl")->setCurrentIndex(1);
    QPlainTextEdit *log = Memo(form, "LinkLog_Memo");
    for (int i = 0; i < 200; ++i)
        log->appendPlainText(QStringLiteral("note %1").arg(i));
    QScrollBar *bar = log->verticalScrollBar();
    bar->setValue(0);
    QVERIFY(bar->maximum() > 0);
    f.agent.Script(kWanStatus, {answer(QStringLiteral("2"))});
    tick(f, Timer(form, "Connect_Timer"));
    QVERIFY(logText(form).last().startsWith(QLatin1String("Disconnected: ")));
    QCOMPARE(bar->value(), bar->maximum());
}

void TestMonitors::monitorLineLeavesTheUsersTyping() {
    FormFixture f;
    MainForm &form = createForm(f);
    form.show();
    Find<QTabWidget>(form, "ADSL_PageControl")->setCurrentIndex(1);
    QPlainTextEdit *log = Memo(form, "LinkLog_Memo");
    log->setFocus();
    // The user writes a note that ends with a line break, and goes on typing in the middle.
    QTest::keyClicks(log, QStringLiteral("router moved"));
    QTest::keyClick(log, Qt::Key_Return);
    QTextCursor cursor = log->textCursor();
    cursor.setPosition(6);
    log->setTextCursor(cursor);

    f.agent.Script(kWanStatus, {answer(QStringLiteral("2"))});
    tick(f, Timer(form, "Connect_Timer"));
    // The monitor's line follows the note without a blank line, and the typing goes on where
    // it was.
    QCOMPARE(logText(form),
             (QStringList{"router moved", "Disconnected: 07/12/2026 22:31:05  (01:10:17:36)"}));
    QCOMPARE(log->textCursor().position(), 6);
    QTest::keyClicks(log, QStringLiteral("!"));
    QCOMPARE(logText(form).first(), QStringLiteral("router! moved"));
    // Undo takes back the user's typing, never the monitor's line.
    for (int i = 0; i < 5; ++i)
        log->undo();
    QCOMPARE(logText(form).last(),
             QStringLiteral("Disconnected: 07/12/2026 22:31:05  (01:10:17:36)"));
    QCOMPARE(logText(form).first(), QStringLiteral("router moved"));
}

void TestMonitors::blindPeriodIsLogged_data() {
    QTest::addColumn<QStringList>("uptimes"); // sysUpTime while the poll's status is asked
    QTest::addColumn<QStringList>("replies"); // ifOperStatus; "-" for no answer at all
    QTest::addColumn<QStringList>("lines");

    QTest::addRow("silence between a drop and the return")
        << QStringList{"100000", "-", "-", "160000"} << QStringList{"2", "-", "-", "1"}
        << QStringList{"Disconnected: 07/12/2026 22:31:00  (00:00:16:40)",
                       "No answer from the router: 07/12/2026 22:32:00 to 07/12/2026 22:33:00",
                       "Reconnected: 07/12/2026 22:34:00  (00:00:10:00)"};
    QTest::addRow("silence and nothing changed")
        << QStringList{"100000", "-", "160000"} << QStringList{"1", "-", "1"}
        << QStringList{"No answer from the router: 07/12/2026 22:32:00 to 07/12/2026 22:32:00"};
    QTest::addRow("the router restarted meanwhile")
        << QStringList{"100000", "-", "6000"} << QStringList{"2", "-", "1"}
        << QStringList{"Disconnected: 07/12/2026 22:31:00  (00:00:16:40)",
                       "No answer from the router: 07/12/2026 22:32:00 to 07/12/2026 22:32:00",
                       "Router restarted: 07/12/2026 22:32:00  (00:00:01:00)",
                       "Reconnected: 07/12/2026 22:33:00  (00:00:01:00)"};
}

void TestMonitors::blindPeriodIsLogged() {
    QFETCH(QStringList, uptimes);
    QFETCH(QStringList, replies);
    QFETCH(QStringList, lines);
    FormFixture f;
    MainForm &form = createForm(f);
    const QDateTime start(QDate(2026, 12, 7), QTime(22, 31, 0));
    for (int i = 0; i < replies.size(); ++i) {
        f.clock.Set(start.addSecs(60 * i));
        if (replies[i] == QLatin1String("-")) {
            f.agent.SetFault(kWanStatus, AgentFault{});
        } else {
            f.agent.ClearFaults();
            f.agent.Script(kWanStatus, {answer(replies[i])});
            setUptime(f.agent, uptimes[i]);
        }
        tick(f, Timer(form, "Connect_Timer"));
    }
    QCOMPARE(logText(form), lines);
}

void TestMonitors::elapsedUptimeText_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("now"); // the router's sysUpTime
    QTest::addColumn<QString>("text");

    QTest::addRow("one day") << "0"
                             << "8640000"
                             << "01:00:00:00";
    QTest::addRow("under a second") << "0"
                                    << "99"
                                    << "00:00:00:00";
    QTest::addRow("one minute") << "0"
                                << "6000"
                                << "00:00:01:00";
    QTest::addRow("days in full") << "0"
                                  << "1066150600"
                                  << "123:09:31:46";
    QTest::addRow("largest time ticks") << "0"
                                        << "4294967295"
                                        << "497:02:27:52";
    QTest::addRow("from a later start") << "6000"
                                        << "366000"
                                        << "00:01:00:00";
    QTest::addRow("start is now") << "6000"
                                  << "6000"
                                  << "00:00:00:00";
    QTest::addRow("router restarted since the start") << "500000"
                                                      << "6000"
                                                      << "00:00:01:00";
}

void TestMonitors::elapsedUptimeText() {
    QFETCH(QString, start);
    QFETCH(QString, now);
    QFETCH(QString, text);
    QCOMPARE(monitors::ConnectionMonitor::ElapsedUptimeText(start.toStdString(), now.toStdString()),
             text);
}

void TestMonitors::ctrlKeyMarksLogUnsaved_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("unsaved");
    QTest::addRow("Ctrl") << int(Qt::Key_Control) << true;
    // A typed note is part of the log: lost at close or at a signal otherwise.
    QTest::addRow("letter typed") << int(Qt::Key_A) << true;
    QTest::addRow("cursor moved only") << int(Qt::Key_Left) << false;
    QTest::addRow("Shift") << int(Qt::Key_Shift) << false;
    QTest::addRow("Alt") << int(Qt::Key_Alt) << false;
}

void TestMonitors::ctrlKeyMarksLogUnsaved() {
    QFETCH(int, key);
    QFETCH(bool, unsaved);
    FormFixture f;
    MainForm &form = createForm(f);
    QTest::keyPress(Memo(form, "LinkLog_Memo"), Qt::Key(key));
    QCOMPARE(form.Log().Unsaved(), unsaved);
}

void TestMonitors::statusMonitorIdleOnOtherPages() {
    FormFixture f;
    MainForm &form = createForm(f);
    form.PageControl()->blockSignals(true);
    form.PageControl()->setCurrentIndex(1); // Quota
    form.PageControl()->blockSignals(false);
    Action(form, "Realtimeupdating")->trigger();
    QVERIFY(Timer(form, "RouterStatus_Timer")->isActive());
    f.agent.ClearRequests();
    tick(f, Timer(form, "RouterStatus_Timer"));
    QCOMPARE(f.agent.RequestCount(), 0);
    QCOMPARE(Label(form, "Uptime_Label")->text(), QStringLiteral("----"));
}

void TestMonitors::statusMonitorShowsUptime() {
    FormFixture f;
    MainForm &form = createForm(f);
    QCOMPARE(form.PageControl()->currentWidget()->objectName(), QStringLiteral("GenSysInfo"));
    Action(form, "Realtimeupdating")->trigger();
    form.SetStatus(QStringLiteral(" untouched"));
    tick(f, Timer(form, "RouterStatus_Timer"));
    QCOMPARE(Label(form, "Uptime_Label")->text(),
             QStringLiteral("01 days 10 hours 17 mins 36 secs"));
    QCOMPARE(form.Status(), QStringLiteral(" untouched"));
    QVERIFY(Timer(form, "RouterStatus_Timer")->isActive());
    QCOMPARE(f.prompter.beeps, 0);
}

void TestMonitors::statusMonitorSwitchesOffWhenSilent() {
    FormFixture f;
    MainForm &form = createForm(f);
    QTimer *timer = Timer(form, "RouterStatus_Timer");
    timer->setInterval(20);
    Action(form, "Realtimeupdating")->trigger();
    Edit(form, "IPaddress_Edit")->setText(FormFixture::ClosedPort());
    tick(f, timer);
    QCOMPARE(Label(form, "Uptime_Label")->text(), RouterQuery::GetFailed);
    QCOMPARE(form.Status(), RouterQuery::ErrorText);
    QVERIFY(!timer->isActive());
    QVERIFY(!Action(form, "Realtimeupdating")->isChecked());
    QCOMPARE(f.prompter.beeps, 1);
    // No more ticks come: no further beep.
    QTest::qWait(100);
    QCOMPARE(f.prompter.beeps, 1);
}

void TestMonitors::errorBoxDoesNotNestTicks_data() {
    QTest::addColumn<QString>("timer");
    QTest::addColumn<QString>("toggle");
    QTest::addRow("router status") << "RouterStatus_Timer"
                                   << "Realtimeupdating";
    QTest::addRow("connection") << "Connect_Timer"
                                << "Recordlog";
}

void TestMonitors::errorBoxDoesNotNestTicks() {
    QFETCH(QString, timer);
    QFETCH(QString, toggle);

    FormFixture f;
    f.agent.SetString(kSysUpTime, "soon");
    f.agent.SetInteger(kWanStatus, 2);
    NestingPrompter prompter;
    Services services;
    services.prompter = &prompter;
    services.clock = &f.clock;
    services.settingsPath = f.SettingsPath();
    services.snmpTimeoutMs = f.snmpTimeoutMs;
    std::unique_ptr<MainForm> window = CreateMainForm(services);
    MainForm &form = *window;
    Edit(form, "IPaddress_Edit")->setText(QString::fromStdString(f.agent.Host()));
    SetWanRow(form, "2");
    auto settle = [&form] { QTRY_VERIFY_WITH_TIMEOUT(form.Router().Idle(), 20000); };

    QTimer *t = Timer(form, timer.toLatin1().constData());
    Action(form, toggle.toLatin1().constData())->trigger();
    int requestsBefore = -1;
    int requestsAfter = -1;
    prompter.whileOpen = [&] {
        requestsBefore = f.agent.RequestCount();
        QVERIFY(QMetaObject::invokeMethod(t, "timeout", Qt::DirectConnection));
        QTest::qWait(300); // longer than a poll takes
        requestsAfter = f.agent.RequestCount();
    };
    QVERIFY(QMetaObject::invokeMethod(t, "timeout", Qt::DirectConnection));
    settle();
    QCOMPARE(prompter.Texts("error"), QStringList{"'soon' is not a valid integer value."});
    QVERIFY(requestsBefore > 0);
    QCOMPARE(requestsAfter, requestsBefore); // the tick during the box asked nothing
    // The monitor stays on, and the next tick after the box runs again.
    QVERIFY(t->isActive());
    QVERIFY(Action(form, toggle.toLatin1().constData())->isChecked());
    QVERIFY(QMetaObject::invokeMethod(t, "timeout", Qt::DirectConnection));
    settle();
    QCOMPARE(prompter.Texts("error").size(), 2);
    QVERIFY(PartsOf(form).Connection().WanLinkUp());
}

QTEST_MAIN(TestMonitors)
#include "tst_monitors.moc"
