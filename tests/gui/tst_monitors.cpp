// The connection monitor and the router status monitor driven tick by tick against a loopback
// agent whose answers are scripted: which polls write a log line, what the line says, how long
// the figure in parentheses measures, and how the status monitor switches itself off.

#include "app/mainform.h"
#include "core/linkmodel.h"
#include "formfixture.h"
#include "monitors/connectionlog.h"
#include "monitors/connectionmonitor.h"
#include "snmp/ber.h"
#include "ui/routerquery.h"

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
using namespace vantrel::ui;
using namespace vantrel::monitors;

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

    void pollsWriteTheLog();
    void nonNumericUptimeChangesNothing();
    void newLineScrollsLogToEnd();
    void monitorLineLeavesTheUsersTyping();
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

// The polls' changes reach the window's log, the log has lines to save, and a poll without
// answer says so in the status bar without a beep. What each change says is the link model's
// business (tst_linkmodel).
void TestMonitors::pollsWriteTheLog() {
    FormFixture f;
    MainForm &form = createForm(f);
    f.agent.Script(kWanStatus,
                   {answer(QStringLiteral("2")), std::nullopt, answer(QStringLiteral("1"))});
    QTimer *timer = Timer(form, "Connect_Timer");
    const QStringList statuses = {RouterQuery::ReadyText, RouterQuery::ErrorText,
                                  RouterQuery::ReadyText};
    for (const QString &status : statuses) {
        form.SetStatus(RouterQuery::ReadyText);
        tick(f, timer);
        QCOMPARE(form.Status(), status);
    }
    QStringList kinds;
    for (const QString &line : logText(form))
        kinds << line.section(QLatin1Char(':'), 0, 0);
    QCOMPARE(kinds, (QStringList{"Disconnected", "No answer from the router", "Reconnected"}));
    QVERIFY(PartsOf(form).Link().Up());
    QVERIFY(form.Log().Unsaved());
    QVERIFY(f.prompter.shown.isEmpty());
    QCOMPARE(f.prompter.beeps, 0);
}

void TestMonitors::nonNumericUptimeChangesNothing() {
    FormFixture f;
    MainForm &form = createForm(f);
    f.agent.SetString(kSysUpTime, "soon");
    f.agent.Script(kWanStatus, {answer(QStringLiteral("2"))});
    tick(f, Timer(form, "Connect_Timer"));
    QCOMPARE(f.prompter.Texts("error"), QStringList{"'soon' is not a valid integer value."});
    QCOMPARE(logText(form), QStringList());
    QVERIFY(PartsOf(form).Link().Up());
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
    QVERIFY(PartsOf(form).Link().Up());
}

QTEST_MAIN(TestMonitors)
#include "tst_monitors.moc"
