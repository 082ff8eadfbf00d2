// The window never waits on the network: with a router that does not answer, the event loop
// keeps turning during page refreshes and monitor polls, a second trigger of a running refresh
// is dropped, a close or a new target abandons the request on its way, and a log-out that was
// settled but then cancelled leaves the next close asking again.

#include "formfixture.h"
#include "ui/routerquery.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

// The longest time between two turns of the event loop while `running` holds, measured with a
// timer that fires at every turn.
qint64 longestGap(const std::function<bool()> &running, int forMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 gap = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        gap = std::max(gap, now - last);
        last = now;
    });
    turn.start();
    while (clock.elapsed() < forMs && running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    turn.stop();
    return gap;
}

void selectPage(MainForm &form, const char *name) {
    form.PageControl()->setCurrentWidget(form.findChild<QWidget *>(QString::fromLatin1(name)));
}

} // namespace

class TestResponsive : public QObject {
    Q_OBJECT
private slots:
    void eventLoopTurnsWhileRouterSilent_data();
    void eventLoopTurnsWhileRouterSilent();
    void busyWhileRefreshRuns();
    void secondTriggerIsDropped();
    void closeDoesNotWaitForTheRouter();
    void newTargetAbandonsTheRequest();
    void cancelledLogOutLeavesTheNextCloseAsking();
};

void TestResponsive::eventLoopTurnsWhileRouterSilent_data() {
    QTest::addColumn<QString>("what");
    QTest::addRow("page refresh") << "page";
    QTest::addRow("every monitor at its fastest") << "monitors";
}

void TestResponsive::eventLoopTurnsWhileRouterSilent() {
    QFETCH(QString, what);
    FormFixture f;
    // A window that waited for the router would stop for a whole time-out. How short the waits
    // really are is measured by scripts/measure.sh, alone on the machine: here other tests run
    // beside this one, so only a stop of half a time-out counts.
    f.snmpTimeoutMs = 3000;
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    // The router is switched off: nothing answers.
    for (int n = 1; n < 200; ++n)
        f.agent.SetRequestFault(n, AgentFault{});
    if (what == QLatin1String("page")) {
        selectPage(form, "ADSL");
    } else {
        for (const char *item : {"Recordlog", "N1secondinterval1", "Realtimeupdating",
                                 "N1secondupdate1", "DisplayInRealTime", "MonitorQuota"})
            Action(form, item)->trigger();
        for (const char *timer :
             {"Connect_Timer", "RouterStatus_Timer", "Quota_Timer", "Interfaces_Timer"})
            Timer(form, timer)->setInterval(50);
    }
    const qint64 gap = longestGap([] { return true; }, 2500);
    QVERIFY2(gap < f.snmpTimeoutMs / 2,
             qPrintable(QStringLiteral("the window waited %1 ms").arg(gap)));
    QVERIFY(f.agent.RequestCount() >= 1);
}

void TestResponsive::busyWhileRefreshRuns() {
    FormFixture f;
    MainForm &form = f.Create(false);
    f.agent.SetFault("1.3.6.1.2.1.5.1.0", AgentFault{});
    selectPage(form, "ICMP");
    QVERIFY(form.BusyCursor());
    QCOMPARE(form.Status(), RouterQuery::BusyText);
    // Meanwhile the user may go to another page and back.
    selectPage(form, "Debug");
    QVERIFY(f.Settle());
    QVERIFY(!form.BusyCursor());
    QCOMPARE(form.Status(), RouterQuery::ErrorText); // the failure shows, only later
}

void TestResponsive::secondTriggerIsDropped() {
    FormFixture f;
    MainForm &form = f.Create(false);
    f.agent.SetFault("1.3.6.1.2.1.5.1.0", AgentFault{});
    selectPage(form, "ICMP");
    f.agent.ClearRequests();
    QVERIFY(f.Settle());
    f.agent.ClearRequests();
    f.prompter.Reset();
    // Three presses of "&Update" while the first is on its way ask the router once.
    for (int i = 0; i < 3; ++i)
        form.GetValuesButton()->click();
    QVERIFY(f.Settle());
    QCOMPARE(f.agent.RequestCount(), 1);
    QCOMPARE(f.prompter.beeps, 1);
}

void TestResponsive::closeDoesNotWaitForTheRouter() {
    FormFixture f;
    f.snmpTimeoutMs = 5000; // as the program has it
    f.WriteSettings(f.DefaultSettings() + QStringLiteral("[Options]\nPrompt on close=Disabled\n"));
    MainForm &form = f.Create(false);
    form.show();
    f.agent.SetFault("1.3.6.1.2.1.5.1.0", AgentFault{});
    selectPage(form, "ICMP");
    QTest::qWait(100); // the request is waiting for its answer
    Edit(form, "community_edit")->setText(QStringLiteral("vormel")); // unchanged target
    QElapsedTimer closing;
    closing.start();
    QVERIFY(form.close());
    QVERIFY2(closing.elapsed() < 1000, "the close waited for the router");
    QVERIFY(f.ReadSettings().contains(QStringLiteral("Name=Vantrel")));
    // The late answer is ignored: nothing more happens to the closed window.
    QTest::qWait(300);
    QVERIFY(f.prompter.shown.isEmpty());
}

void TestResponsive::newTargetAbandonsTheRequest() {
    FormFixture f;
    f.snmpTimeoutMs = 5000;
    MainForm &form = f.Create(false);
    f.agent.SetFault("1.3.6.1.2.1.5.1.0", AgentFault{});
    selectPage(form, "ICMP");
    QTest::qWait(100);
    QElapsedTimer waited;
    waited.start();
    Edit(form, "IPaddress_Edit")->setText(FormFixture::ClosedPort());
    QVERIFY(f.Settle());
    QVERIFY2(waited.elapsed() < 1000, "the request to the old target was not abandoned");
    // Abandoned, not failed: no error text and no beep.
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QCOMPARE(f.prompter.beeps, 0);
}

void TestResponsive::cancelledLogOutLeavesTheNextCloseAsking() {
    FormFixture f;
    MainForm &form = f.Create(false);
    if (!Action(form, "ClosePromptEnabled")->isChecked())
        Action(form, "ClosePromptEnabled")->trigger();
    form.show();
    // The session manager asked and the settings were saved, then another program cancelled
    // the log-out: no close came. The user's next close asks as always.
    form.ApproveClose();
    f.prompter.confirmAnswers << false;
    Action(form, "Exit1")->trigger();
    QCOMPARE(f.prompter.Texts(QStringLiteral("confirm")), QStringList{"Close Vantrel?"});
    QVERIFY(form.isVisible());
    // A close that ends a session goes through once, without asking.
    f.prompter.Reset();
    form.ApproveClose();
    QVERIFY(form.close());
    QVERIFY(f.prompter.shown.isEmpty());
}

QTEST_MAIN(TestResponsive)
#include "tst_responsive.moc"
