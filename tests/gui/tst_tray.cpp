// The tray: minimising sends the window there, the lights follow the WAN link and the quota
// bar tick by tick, a click or "Open Vantrel" brings the window back, "Exit" closes it, the
// task bar button follows "Hide"/"Show" at the next show, and a desktop without a tray gets an
// ordinary minimise.

#include "app/composition.h"
#include "app/mainform.h"
#include "app/traycontroller.h"
#include "core/quotamodel.h"
#include "core/state.h"
#include "formfixture.h"
#include "monitors/linkwatch.h"
#include "monitors/notifier.h"
#include "snmp/ber.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

const std::string kWanStatus = "1.3.6.1.2.1.2.2.1.8.3";
const std::string kIn = "1.3.6.1.2.1.2.2.1.10.3";

TrayController &trayOf(MainForm &form) {
    return PartsOf(form).Tray();
}

// A window on screen on a desktop with (or without) a tray.
MainForm &shown(FormFixture &f, bool trayAvailable = true) {
    MainForm &form = f.Create(false);
    trayOf(form).TrayAvailable = [trayAvailable] { return trayAvailable; };
    form.FormCreate();
    f.Settle();
    form.show();
    return form;
}

void minimise(MainForm &form) {
    form.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents(); // the minimise runs its course first
}

// The account at percent of its allowance, as a "Calculate" and a refresh leave it.
void setShare(MainForm &form, int percent) {
    core::QuotaModel &quota = PartsOf(form).Account();
    quota.Calculated(core::QuotaReading{});
    quota.SetAllowance(100.0 * 1048576);
    quota.SetUsedAtCalculate(percent * 1048576.0);
    QVERIFY(quota.Show(true));
}

void tick(FormFixture &f) {
    QVERIFY(QMetaObject::invokeMethod(f.form().TrayTimer(), "timeout"));
    QVERIFY(f.Settle());
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void minimiseGoesToTray();
    void lights_data();
    void lights();
    void samePatternKeepsAnimation();
    void toolTipTellsTheLink_data();
    void toolTipTellsTheLink();
    void alertsWithTheWindowOpen_data();
    void alertsWithTheWindowOpen();
    void quotaPassesThresholds();
    void clickRestores_data();
    void clickRestores();
    void exitFromTray_data();
    void exitFromTray();
    void taskBarButtonAtNextShow();
    void noTrayMinimisesNormally();
    void startInTray_data();
    void startInTray();
};

void TestTray::minimiseGoesToTray() {
    FormFixture f;
    MainForm &form = shown(f);
    TrayController &tray = trayOf(form);
    minimise(form);
    QVERIFY(!form.isVisible());
    QVERIFY(form.TrayIcon()->isVisible());
    // The static icon for the first half second, then the lights.
    QCOMPARE(tray.AttachedList(), QString());
    QCOMPARE(trayOf(form).LightState(), std::string("-----"));
    QVERIFY(form.TrayTimer()->isActive());
    QCOMPARE(form.TrayTimer()->interval(), 500);
    tick(f);
    QCOMPARE(form.TrayTimer()->interval(), 5000);
    QCOMPARE(tray.AttachedList(), QStringLiteral("ImageList_GGG_GNG"));
    QCOMPARE(tray.IconIndex(), 0);
    QVERIFY(QMetaObject::invokeMethod(tray.AnimationTimer(), "timeout"));
    QCOMPARE(tray.IconIndex(), 1);
    QCOMPARE(tray.AnimationTimer()->interval(), 900);
    QCOMPARE(form.TrayIcon()->toolTip(),
             QStringLiteral("Vantrel\nQuota left ----\nLink up since 7 Dec 2026 22:31:05"));
}

void TestTray::lights_data() {
    QTest::addColumn<QString>("status"); // "-": no answer
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("code");
    QTest::addRow("up, quota green at 64") << "1" << 64 << "ImageList_GGG_GNG"
                                           << "G-G-G";
    QTest::addRow("up, quota yellow at 70") << "1" << 70 << "ImageList_GGY_GNY"
                                            << "G-G-Y";
    QTest::addRow("up, quota red at 85") << "1" << 85 << "ImageList_GGR_GNR"
                                         << "G-G-R";
    QTest::addRow("down") << "2" << 90 << "ImageList_GGG_RRR"
                          << "R-R-R";
    QTest::addRow("testing") << "3" << 0 << "ImageList_GGG_YYY"
                             << "Y-Y-Y";
    QTest::addRow("no answer") << "-" << 0 << "ImageList_RRR_NNN"
                               << "N-N-N";
    QTest::addRow("any other answer keeps the static icon") << "7" << 0 << ""
                                                            << "-----";
}

void TestTray::lights() {
    QFETCH(QString, status);
    QFETCH(int, bar);
    QFETCH(QString, list);
    QFETCH(QString, code);
    FormFixture f;
    MainForm &form = shown(f);
    setShare(form, bar);
    if (status == QLatin1String("-"))
        f.agent.SetFault(kWanStatus, AgentFault{});
    else
        f.agent.SetInteger(kWanStatus, status.toInt());
    minimise(form);
    // The icon shows once the minimise has run its course; only then does a tick ask the router.
    QTRY_VERIFY(form.TrayIcon()->isVisible());
    tick(f);
    QCOMPARE(trayOf(form).AttachedList(), list);
    QCOMPARE(QString::fromStdString(trayOf(form).LightState()), code);
}

void TestTray::samePatternKeepsAnimation() {
    FormFixture f;
    MainForm &form = shown(f);
    TrayController &tray = trayOf(form);
    minimise(form);
    tick(f);
    QCOMPARE(tray.AnimationStarts(), 1);
    QVERIFY(QMetaObject::invokeMethod(tray.AnimationTimer(), "timeout"));
    tick(f);
    QCOMPARE(tray.AnimationStarts(), 1);
    QCOMPARE(tray.IconIndex(), 1); // not back to the first frame
    f.agent.SetInteger(kWanStatus, 2);
    tick(f);
    QCOMPARE(tray.AnimationStarts(), 2);
    QCOMPARE(tray.IconIndex(), 0);
    // A trip to the tray starts again from the static icon.
    trayOf(form).TrayIcon1Click();
    minimise(form);
    QCOMPARE(tray.AttachedList(), QString());
    QCOMPARE(tray.IconIndex(), -1);
    QVERIFY(!tray.AnimationTimer()->isActive());
}

// The tray's own ticks refresh the quota whatever page shows, and the third light follows.
void TestTray::toolTipTellsTheLink_data() {
    // One tray tick a minute: the WAN status the agent gives (1 up, 2 down), "-" no answer.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("link"); // the tooltip's last line
    QTest::addRow("up") << QStringList{"1", "1"} << "Link up since 7 Dec 2026 22:31:05";
    QTest::addRow("down") << QStringList{"1", "2", "2"} << "Link down since 7 Dec 2026 22:32:05";
    QTest::addRow("no answer") << QStringList{"1", "-", "-"}
                               << "No answer from the router since 7 Dec 2026 22:32:05";
    QTest::addRow("answers again")
        << QStringList{"2", "-", "2"} << "Link down since 7 Dec 2026 22:31:05";
}

void TestTray::toolTipTellsTheLink() {
    QFETCH(QStringList, steps);
    QFETCH(QString, link);
    FormFixture f;
    MainForm &form = shown(f);
    minimise(form);
    for (int i = 0; i < steps.size(); ++i) {
        f.clock.Set(QDateTime(QDate(2026, 12, 7), QTime(22, 31 + i, 5)));
        f.agent.ClearFaults();
        if (steps[i] == QLatin1String("-"))
            f.agent.SetFault(kWanStatus, AgentFault{});
        else
            f.agent.SetInteger(kWanStatus, steps[i].toInt());
        tick(f);
    }
    QCOMPARE(form.TrayIcon()->toolTip().split(QLatin1Char('\n')).last(), link);
}

void TestTray::alertsWithTheWindowOpen_data() {
    QTest::addColumn<bool>("balloon"); // the desktop has a tray with balloons, else neither
    QTest::addRow("tray balloon") << true;
    QTest::addRow("no tray, no service") << false;
}

void TestTray::alertsWithTheWindowOpen() {
    QFETCH(bool, balloon);
    FormFixture f;
    MainForm &form = shown(f);
    using Channel = monitors::DesktopNotifier::Channel;
    PartsOf(form).Desktop().Probe = [balloon] {
        return balloon ? Channel::TrayBalloon : Channel::Window;
    };
    QToolButton *alert = form.AlertButton();
    auto poll = [&f, &form] {
        QVERIFY(QMetaObject::invokeMethod(form.MonitorTimer(core::Monitor::Connection), "timeout"));
        QVERIFY(f.Settle());
    };
    poll();
    // The router falls silent: told after a few polls, with the window on screen.
    f.agent.SetFault(kWanStatus, AgentFault{});
    for (int i = 0; i < monitors::LinkWatch::SilentPolls - 1; ++i)
        poll();
    QVERIFY(!alert->isVisible());
    QVERIFY(!form.TrayIcon()->isVisible());
    poll();
    QVERIFY(form.isVisible());
    if (balloon) {
        // The balloon's icon is shown for it, and goes again while the window stays.
        QVERIFY(form.TrayIcon()->isVisible());
        QVERIFY(!alert->isVisible());
        QTimer *hide =
            PartsOf(form).Desktop().findChild<QTimer *>(QStringLiteral("AlertIcon_Timer"));
        QVERIFY(hide != nullptr && hide->isActive());
        QVERIFY(QMetaObject::invokeMethod(hide, "timeout"));
        QVERIFY(!form.TrayIcon()->isVisible());
    } else {
        QVERIFY(alert->isVisible());
        QVERIFY(alert->text().startsWith(QStringLiteral("Router not answering (22:31")));
        QVERIFY(alert->toolTip().startsWith(
            QStringLiteral("The router has not answered since 7 Dec 2026 22:31:05.")));
    }
    f.agent.ClearFaults();
    poll();
    if (!balloon)
        QVERIFY(alert->text().startsWith(QStringLiteral("Router answering (22:31")));
    if (!balloon) {
        alert->click();
        QVERIFY(!alert->isVisible());
    }
    // The status text is the router's, not the alerts'.
    QVERIFY(!form.Status().contains(QLatin1String("Router")));
}

void TestTray::quotaPassesThresholds() {
    FormFixture f;
    f.agent.SetCounter(kIn, 1000);
    f.WriteSettings(f.DefaultSettings() + QStringLiteral("[Quota]\nGBQuota=1\nMBUsed=600\n"));
    MainForm &form = shown(f);
    TrayController &tray = trayOf(form);
    minimise(form);
    tick(f);
    QCOMPARE(tray.AttachedList(), QStringLiteral("ImageList_GGG_GNG"));
    f.agent.SetCounter(kIn, 1000 + 100 * 1048576);
    tick(f);
    QCOMPARE(tray.AttachedList(), QStringLiteral("ImageList_GGY_GNY"));
    QCOMPARE(form.TrayIcon()->toolTip(),
             QStringLiteral("Vantrel\nQuota left 324.0000 MB (32%)\nLink up since 7 Dec 2026 "
                            "22:31:05"));
    f.agent.SetCounter(kIn, 1000 + 300 * 1048576);
    tick(f);
    QCOMPARE(tray.AttachedList(), QStringLiteral("ImageList_GGR_GNR"));
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("87%"));
}

void TestTray::clickRestores_data() {
    QTest::addColumn<bool>("menu"); // "Open Vantrel" rather than a click on the icon
    QTest::addRow("click on the icon") << false;
    QTest::addRow("Open Vantrel") << true;
}

void TestTray::clickRestores() {
    QFETCH(bool, menu);
    FormFixture f;
    MainForm &form = shown(f);
    minimise(form);
    tick(f);
    if (menu) {
        QAction *open = Action(*trayOf(form).PopupMenu(), "OpenPrg");
        QCOMPARE(open->text(), QStringLiteral("Open Vantrel"));
        open->trigger();
    } else {
        emit form.TrayIcon()->activated(QSystemTrayIcon::Trigger);
    }
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    QVERIFY(!form.TrayIcon()->isVisible());
    QVERIFY(!form.TrayTimer()->isActive());
    // The lights stay attached to the hidden icon until the next trip.
    QCOMPARE(trayOf(form).AttachedList(), QStringLiteral("ImageList_GGG_GNG"));
}

void TestTray::exitFromTray_data() {
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("closed");
    QTest::addRow("no question") << "Disabled" << QList<bool>{} << true;
    QTest::addRow("Close Vantrel? Yes") << "Enabled" << QList<bool>{true} << true;
    QTest::addRow("Close Vantrel? No") << "Enabled" << QList<bool>{false} << false;
}

void TestTray::exitFromTray() {
    QFETCH(QString, prompt);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, closed);
    FormFixture f;
    f.WriteSettings(f.DefaultSettings() +
                    QStringLiteral("[Options]\nPrompt on close=%1\n").arg(prompt));
    MainForm &form = shown(f);
    minimise(form);
    const QString before = f.ReadSettings();
    f.prompter.confirmAnswers = answers;
    QAction *exit = Action(*trayOf(form).PopupMenu(), "ExitPrg");
    QCOMPARE(exit->text(), QStringLiteral("Exit"));
    exit->trigger();
    QCOMPARE(!form.TrayIcon()->isVisible(), closed);
    QCOMPARE(f.ReadSettings() != before, closed);
    QVERIFY(!form.isVisible());
}

void TestTray::taskBarButtonAtNextShow() {
    FormFixture f;
    MainForm &form = shown(f);
    TrayController &tray = trayOf(form);
    QVERIFY(Action(form, "HideFromTaskBar")->isChecked());
    QVERIFY(!tray.TaskBarButton());
    // "Show" takes effect after the next trip to the tray.
    Action(form, "ShowInTaskBar")->trigger();
    QVERIFY(!tray.TaskBarButton());
    minimise(form);
    tray.TrayIcon1Click();
    QVERIFY(tray.TaskBarButton());
    // Choosing "Show" again swaps back to "Hide".
    Action(form, "ShowInTaskBar")->trigger();
    QVERIFY(Action(form, "HideFromTaskBar")->isChecked());
    minimise(form);
    tray.OpenPrgClick();
    QVERIFY(!tray.TaskBarButton());
}

void TestTray::noTrayMinimisesNormally() {
    FormFixture f;
    MainForm &form = shown(f, false);
    TrayController &tray = trayOf(form);
    // Without a tray the window keeps its task bar button, whatever "Hide" says.
    QVERIFY(tray.TaskBarButton());
    minimise(form);
    QVERIFY(form.isVisible());
    QVERIFY(form.isMinimized());
    QVERIFY(!form.TrayIcon()->isVisible());
    QVERIFY(!form.TrayTimer()->isActive());
    QCOMPARE(form.Status(), TrayController::NoTrayText);
    // Said once.
    form.showNormal();
    form.SetStatus(QStringLiteral(" Ready"));
    minimise(form);
    QVERIFY(form.isVisible());
    QCOMPARE(form.Status(), QStringLiteral(" Ready"));
}

void TestTray::startInTray_data() {
    QTest::addColumn<bool>("trayAvailable");
    QTest::addRow("with a tray") << true;
    QTest::addRow("without a tray") << false;
}

void TestTray::startInTray() {
    QFETCH(bool, trayAvailable);
    FormFixture f;
    f.WriteSettings(f.DefaultSettings() +
                    QStringLiteral("[Options]\nMinimise on startup=Enabled\n"));
    MainForm &form = f.Create(false);
    trayOf(form).TrayAvailable = [trayAvailable] { return trayAvailable; };
    form.FormCreate();
    QVERIFY(f.Settle());
    // The program shows the window unless the load hid it on purpose.
    const bool hiddenOnPurpose = form.testAttribute(Qt::WA_WState_ExplicitShowHide);
    QCOMPARE(hiddenOnPurpose, trayAvailable);
    QCOMPARE(form.TrayIcon()->isVisible(), trayAvailable);
    QVERIFY(form.isMinimized());
    if (!trayAvailable) {
        QCOMPARE(form.Status(), TrayController::NoTrayText);
        form.show();
        QVERIFY(form.isMinimized());
        return;
    }
    tick(f);
    QCOMPARE(trayOf(form).AttachedList(), QStringLiteral("ImageList_GGG_GNG"));
    // The first show puts the window back to normal.
    emit form.TrayIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    QVERIFY(!trayOf(form).RestoreOnShow());
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
