// The Quota page against a loopback agent whose WAN counters the tests move: the bar, its
// colour and the amount left as the user sees them, counters that wrap past 2^32 or restart
// with the router, bad input in the four edits and in the router's replies, the figure stored
// at close, the monthly reset on the quota timer and the forecast.

#include "app/mainform.h"
#include "app/settingsstore.h"
#include "core/inifile.h"
#include "core/quota.h"
#include "core/quotamodel.h"
#include "core/regional.h"
#include "formfixture.h"
#include "readonlyfolder.h"
#include "snmp/ber.h"
#include "ui/routerquery.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

// The WAN row that discovery finds on the fixture's router ("RFC-2364").
const std::string kIn = "1.3.6.1.2.1.2.2.1.10.3";
const std::string kOut = "1.3.6.1.2.1.2.2.1.16.3";
const std::string kUptime = "1.3.6.1.2.1.1.3.0";
const double kGB = 1073741824.0;

// The router's counters and uptime as the next reading finds them.
struct Router {
    LoopbackAgent &agent;
    std::uint64_t in = 1000;
    std::uint64_t out = 2000;
    std::uint64_t ticks = 100000;

    void Apply() {
        agent.SetCounter(kIn, in % 4294967296ULL);
        agent.SetCounter(kOut, out % 4294967296ULL);
        agent.SetTimeTicks(kUptime, ticks);
    }
    // Traffic between two readings; the uptime moves on.
    void Add(std::uint64_t down, std::uint64_t up = 0) {
        in += down;
        out += up;
        ticks += 6000;
        Apply();
    }
};

QProgressBar *bar(MainForm &form) {
    return Find<QProgressBar>(form, "In_ProgressBar");
}

void showQuotaPage(FormFixture &f) {
    f.form().PageControl()->setCurrentWidget(f.form().findChild<QWidget *>("Quota_Tab"));
    QVERIFY(f.Settle());
}

void update(FormFixture &f) {
    Button(f.form(), "GetValues_But")->click();
    QVERIFY(f.Settle());
}

void calculate(FormFixture &f, const QString &gigabytes, const QString &usedMegabytes) {
    Edit(f.form(), "GBQuota_Edit")->setText(gigabytes);
    Edit(f.form(), "MBUsed_Edit")->setText(usedMegabytes);
    Button(f.form(), "CalcQuota_But")->click();
    QVERIFY(f.Settle());
}

// Received bytes reach the account over readings less than 2^32 apart, as a running router's
// counter would be read.
void receive(FormFixture &f, Router &router, double bytes) {
    const std::uint64_t step = 3000000000ULL;
    auto left = static_cast<std::uint64_t>(bytes);
    while (left > 0) {
        const std::uint64_t now = std::min(left, step);
        router.Add(now);
        left -= now;
        update(f);
    }
}

QColor barColour(MainForm &form) {
    return bar(form)->palette().color(QPalette::Highlight);
}

// The window on the Quota page, with the router's counters in place.
MainForm &openQuotaPage(FormFixture &f, Router &router) {
    router.Apply();
    MainForm &form = f.Create();
    showQuotaPage(f);
    return form;
}

core::IniFile savedFile(FormFixture &f) {
    core::IniFile ini;
    ini.Load(f.SettingsPath());
    return ini;
}

QString withAgent(FormFixture &f, const QString &more) {
    return f.DefaultSettings() + more;
}

} // namespace

class TestQuotaPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void allowanceUsed_data();
    void allowanceUsed();
    void barMovesDownOnlyByButton();
    void downloadedAndUploaded();
    void redefine();
    void counterWrapAndRestart();
    void badEdits_data();
    void badEdits();
    void badReplies_data();
    void badReplies();
    void closeTimeFigure_data();
    void closeTimeFigure();
    void routerSwitchedOnAfterStartup();
    void monthlyReset_data();
    void monthlyReset();
    void resetOncePerDay();
    void forecast();
    void boxes();
    void resetDateNotWritten();
};

void TestQuotaPage::initTestCase() {
    // Dates in a known regional format.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestQuotaPage::allowanceUsed_data() {
    QTest::addColumn<double>("received");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("left");
    QTest::addRow("60 percent, green") << 6.5e9 << "60%" << QColor(0, 128, 0) << "3.9464 GB (40%)";
    QTest::addRow("84 percent, yellow")
        << 9.1e9 << "84%" << QColor(255, 255, 0) << "1.5250 GB (16%)";
    QTest::addRow("over the allowance, full and red")
        << 1.2e10 << "100%" << QColor(255, 0, 0) << "-1204.0918 MB (0%)";
    QTest::addRow("exactly one gigabyte left")
        << 9.0 * kGB << "90%" << QColor(255, 0, 0) << "1024.0000 MB (10%)";
    QTest::addRow("a little more than one left")
        << 9.0 * kGB - 200000 << "89%" << QColor(255, 0, 0) << "1.0002 GB (11%)";
}

void TestQuotaPage::allowanceUsed() {
    QFETCH(double, received);
    QFETCH(QString, percent);
    QFETCH(QColor, colour);
    QFETCH(QString, left);
    FormFixture f;
    Router router{f.agent};
    router.in = 4000000000ULL; // wraps on the way
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("10"), QStringLiteral("0"));
    receive(f, router, received);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), percent);
    QCOMPARE(barColour(form), colour);
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), left);
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
}

void TestQuotaPage::barMovesDownOnlyByButton() {
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("10"), QStringLiteral("5120")); // half used
    update(f);
    QCOMPARE(bar(form)->value(), 50);
    // A larger allowance: "Calculate" shows the account at once, without a request of its own.
    const int requests = f.agent.RequestCount();
    calculate(f, QStringLiteral("20"), QStringLiteral("5120"));
    QCOMPARE(bar(form)->value(), 25);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("25%"));
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("15.0000 GB (75%)"));
    QCOMPARE(f.agent.RequestCount() - requests, 3); // the "Calculate"'s own reading
    // Selecting the page and a quota tick never move the bar down.
    PartsOf(form).Account().SetAllowance(40 * kGB);
    form.PageControl()->setCurrentIndex(0);
    showQuotaPage(f);
    QVERIFY(QMetaObject::invokeMethod(Timer(form, "Quota_Timer"), "timeout"));
    QVERIFY(f.Settle());
    QCOMPARE(bar(form)->value(), 25);
    update(f);
    QCOMPARE(bar(form)->value(), 12);
}

void TestQuotaPage::downloadedAndUploaded() {
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    Find<QRadioButton>(form, "DownUp_RBut")->setChecked(true);
    calculate(f, QStringLiteral("10"), QStringLiteral("0"));
    router.Add(1024ULL * 1048576, 1024ULL * 1048576);
    update(f);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("20%"));
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("8.0000 GB"));
    // The mode is read at each use.
    Find<QRadioButton>(form, "Down_RBut")->setChecked(true);
    update(f);
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("9.0000 GB (90%)"));
}

// "Redefine" changes the amount left at the next refresh, never the percentage; a definition
// of 0 leaves no amount to show, and no box.
void TestQuotaPage::redefine() {
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("10"), QStringLiteral("0"));
    receive(f, router, 4 * kGB);
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("6.0000 GB (60%)"));
    Edit(form, "Gbytes_Edit")->setText(QStringLiteral("1000000000"));
    Button(form, "ReDefGB_But")->click();
    update(f);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("40%"));
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("6.4425 GB (60%)"));
    for (const char *edit : {"Gbytes_Edit", "MBytes_Edit"})
        Edit(form, edit)->setText(QStringLiteral("0"));
    Button(form, "ReDefGB_But")->click();
    Button(form, "ReDefMB_But")->click();
    f.prompter.Reset();
    update(f);
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral("- (60%)"));
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("40%"));
    QVERIFY(f.prompter.shown.isEmpty());
}

// 1 MB of allowance; the counter wraps past 2^32, then the router restarts.
void TestQuotaPage::counterWrapAndRestart() {
    FormFixture f;
    Router router{f.agent};
    router.in = 4294000000ULL;
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("0.001"), QStringLiteral("0")); // 1073741.824 bytes
    router.Add(1000000);                                        // wraps to 32704
    update(f);
    QCOMPARE(PartsOf(form).Account().Account().Used(true), 1000000.0);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("93%"));
    // The router restarts: its uptime and counters begin again, below their last readings.
    router.ticks = 300;
    router.in = 20000;
    router.Apply();
    update(f);
    QCOMPARE(PartsOf(form).Account().Account().Used(true), 1020000.0);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("94%"));
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), QStringLiteral(".0513 MB (6%)"));
    // Only the agent restarts: the counter runs on, and only its growth counts.
    router.ticks = 200;
    router.in = 30000;
    router.Apply();
    update(f);
    QCOMPARE(PartsOf(form).Account().Account().Used(true), 1030000.0);
    // The stored figure is the account's, with the counters it was counted to.
    QVERIFY(PartsOf(form).Settings().Save());
    const core::IniFile saved = savedFile(f);
    QCOMPARE(saved.Read(QStringLiteral("Quota"), QStringLiteral("MBUsed"), QString()),
             QStringLiteral(".9823"));
    QCOMPARE(saved.Read(QStringLiteral("Quota"), QStringLiteral("Last in octets"), QString()),
             QStringLiteral("Counter32 30000"));
}

void TestQuotaPage::badEdits_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("baselineTaken"); // the counters before the failing field
    QTest::addColumn<bool>("quotaTaken");
    QTest::addRow("letters in the quota")
        << "GBQuota_Edit"
        << "ten"
        << "CalcQuota_But"
        << "'ten' is not a valid floating point value." << true << false;
    QTest::addRow("blank used amount") << "MBUsed_Edit"
                                       << ""
                                       << "CalcQuota_But"
                                       << "'' is not a valid floating point value." << true << true;
    QTest::addRow("letters in the gigabyte")
        << "Gbytes_Edit"
        << "1 GB"
        << "ReDefGB_But"
        << "'1 GB' is not a valid floating point value." << false << false;
    QTest::addRow("blank megabyte") << "MBytes_Edit"
                                    << " "
                                    << "ReDefMB_But"
                                    << "' ' is not a valid floating point value." << false << false;
}

void TestQuotaPage::badEdits() {
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(QString, button);
    QFETCH(QString, error);
    QFETCH(bool, baselineTaken);
    QFETCH(bool, quotaTaken);
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("10"), QStringLiteral("100"));
    const core::QuotaAccount before = PartsOf(form).Account().Account();
    router.Add(5000);
    Edit(form, "GBQuota_Edit")->setText(QStringLiteral("20"));
    Edit(form, "MBUsed_Edit")->setText(QStringLiteral("200"));
    Edit(form, edit.toLatin1().constData())->setText(text);
    f.prompter.Reset();
    Button(form, button.toLatin1().constData())->click();
    QVERIFY(f.Settle());
    QCOMPARE(f.prompter.Texts(QStringLiteral("error")), QStringList{error});
    const core::QuotaAccount &after = PartsOf(form).Account().Account();
    QCOMPARE(after.InOctetsBase, baselineTaken ? before.InOctetsBase + 5000 : before.InOctetsBase);
    QCOMPARE(after.QuotaBytes, quotaTaken ? 20 * kGB : before.QuotaBytes);
    QCOMPARE(after.UsedAtCalcBytes, before.UsedAtCalcBytes);
    QCOMPARE(after.BytesPerGB, before.BytesPerGB);
    QCOMPARE(after.BytesPerMB, before.BytesPerMB);
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
}

void TestQuotaPage::badReplies_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QByteArray>("reply");
    QTest::addRow("in-octets not a number") << QString::fromStdString(kIn) << QByteArray("12ab");
    QTest::addRow("out-octets not a number") << QString::fromStdString(kOut) << QByteArray("x");
    QTest::addRow("twenty digits")
        << QString::fromStdString(kIn) << QByteArray("12345678901234567890");
}

void TestQuotaPage::badReplies() {
    QFETCH(QString, oid);
    QFETCH(QByteArray, reply);
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    calculate(f, QStringLiteral("10"), QStringLiteral("1024"));
    update(f);
    const core::QuotaAccount before = PartsOf(form).Account().Account();
    const QString left = Label(form, "QuotaRemaining_Label")->text();
    f.agent.SetString(oid.toStdString(), reply.toStdString());
    f.prompter.Reset();
    update(f);
    QCOMPARE(f.prompter.shown.size(), 1);
    QCOMPARE(f.prompter.shown[0].kind, QStringLiteral("warning"));
    QCOMPARE(f.prompter.shown[0].caption, QStringLiteral("Warning"));
    QCOMPARE(f.prompter.shown[0].text, QStringLiteral("Value is not an integer error!"));
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QCOMPARE(Label(form, "QuotaRemaining_Label")->text(), left);
    QCOMPARE(PartsOf(form).Account().Account().Used(true), before.Used(true));
    // "Calculate" has no box of its own: the general error report shows the conversion.
    f.prompter.Reset();
    Button(form, "CalcQuota_But")->click();
    QVERIFY(f.Settle());
    QCOMPARE(
        f.prompter.Texts(QStringLiteral("error")),
        QStringList{
            QStringLiteral("'%1' is not a valid integer value.").arg(QString::fromLatin1(reply))});
    QCOMPARE(PartsOf(form).Account().Account().InOctetsBase, before.InOctetsBase);
}

void TestQuotaPage::closeTimeFigure_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("stored");
    QTest::addRow("router unreachable since start-up") << "unreachable"
                                                       << "1536.5000";
    QTest::addRow("last reading failed: the last good figure") << "failed"
                                                               << "2560.5000";
    QTest::addRow("good account") << "good"
                                  << "3584.5000";
}

void TestQuotaPage::closeTimeFigure() {
    QFETCH(QString, how);
    QFETCH(QString, stored);
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    if (how == QLatin1String("unreachable"))
        f.agent.SetFault(kIn, AgentFault{});
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nGBQuota=10\nMBUsed=1536.5000\n")));
    MainForm &form = f.Create();
    showQuotaPage(f);
    router.Add(std::uint64_t(kGB));
    update(f);
    if (how == QLatin1String("failed"))
        f.agent.SetFault(kIn, AgentFault{});
    f.prompter.Reset();
    router.Add(std::uint64_t(kGB));
    update(f);
    if (how == QLatin1String("failed")) {
        QCOMPARE(form.Status(), RouterQuery::ErrorText);
        QCOMPARE(f.prompter.beeps, 1);
        QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("25%"));
    }
    QVERIFY(PartsOf(form).Settings().Save());
    QCOMPARE(savedFile(f).Read(QStringLiteral("Quota"), QStringLiteral("MBUsed"), QString()),
             stored);
}

// The computer starts before the router: the start-up reads find no one, and the account must
// still start, with the stored figure, once the router answers.
void TestQuotaPage::routerSwitchedOnAfterStartup() {
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    const unsigned short port = f.agent.Port();
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nGBQuota=10\nMBUsed=1536.5000\n"
                                                "Reset day=0\n")));
    f.agent.Stop();
    MainForm &form = f.Create();
    QVERIFY(f.Settle());
    QVERIFY(!PartsOf(form).Account().Account().Calculated);
    QTimer *timer = Timer(form, "Quota_Timer");
    auto tick = [&] {
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QVERIFY(f.Settle());
    };
    // Still off: the retries fail without a beep each time.
    const int beeps = f.prompter.beeps;
    tick();
    QCOMPARE(f.prompter.beeps, beeps);
    QCOMPARE(form.Status(), RouterQuery::ErrorText);

    QVERIFY(f.agent.Start(port));
    tick();
    QVERIFY(PartsOf(form).Account().Account().Calculated);
    // The refresh that made it shows the account at once.
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("15%"));
    router.Add(std::uint64_t(kGB));
    tick();
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("25%"));
    QVERIFY(PartsOf(form).Settings().Save());
    QCOMPARE(savedFile(f).Read(QStringLiteral("Quota"), QStringLiteral("MBUsed"), QString()),
             QStringLiteral("2560.5000"));
}

void TestQuotaPage::monthlyReset_data() {
    QTest::addColumn<QDate>("created");
    QTest::addColumn<QDate>("ticked");
    QTest::addColumn<int>("resetDay");
    QTest::addColumn<QString>("lastReset"); // stored "Last reset date"
    QTest::addColumn<bool>("reset");
    QTest::addColumn<double>("usedAfter"); // bytes: what crossed after a reset at start-up
    const QDate today(2026, 12, 7);
    const double mb = 1048576;
    QTest::addRow("on the reset day, at start-up")
        << today << today << 7 << "07/11/2026" << true << mb;
    QTest::addRow("day 0 never") << today << today << 0 << "07/11/2026" << false << 0.0;
    QTest::addRow("another day") << today << today << 8 << "08/11/2026" << false << 0.0;
    QTest::addRow("restart after the day's reset")
        << today << today << 7 << "07/12/2026" << false << 0.0;
    QTest::addRow("missed while not running")
        << QDate(2026, 12, 9) << QDate(2026, 12, 9) << 7 << "07/11/2026" << true << mb;
    QTest::addRow("missed, already reset this month")
        << QDate(2026, 12, 9) << QDate(2026, 12, 9) << 7 << "07/12/2026" << false << 0.0;
    QTest::addRow("missed, unreadable date")
        << QDate(2026, 12, 9) << QDate(2026, 12, 9) << 7 << "------" << false << 0.0;
    QTest::addRow("running through the day with the monitor off")
        << QDate(2026, 12, 6) << QDate(2026, 12, 8) << 7 << "07/11/2026" << true << 0.0;
    QTest::addRow("31 on the last day of a month of 30 days")
        << QDate(2026, 11, 30) << QDate(2026, 11, 30) << 31 << "31/10/2026" << true << mb;
    QTest::addRow("30 on the last day of February")
        << QDate(2027, 2, 28) << QDate(2027, 2, 28) << 30 << "30/01/2027" << true << mb;
    QTest::addRow("31 not on the day before a short month's last")
        << QDate(2026, 11, 29) << QDate(2026, 11, 29) << 31 << "31/10/2026" << false << 0.0;
    QTest::addRow("31 missed across a short month")
        << QDate(2027, 1, 2) << QDate(2027, 1, 2) << 31 << "31/10/2026" << true << mb;
}

void TestQuotaPage::monthlyReset() {
    QFETCH(QDate, created);
    QFETCH(QDate, ticked);
    QFETCH(int, resetDay);
    QFETCH(QString, lastReset);
    QFETCH(bool, reset);
    QFETCH(double, usedAfter);
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    f.clock.Set(QDateTime(created, QTime(9, 0)));
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nGBQuota=10\nMBUsed=5120\n"
                                                "Reset day=%1\nLast reset date=%2\n")
                                     .arg(resetDay)
                                     .arg(lastReset)));
    MainForm &form = f.Create();
    QVERIFY(f.Settle());
    router.Add(1048576);
    // The quota monitor is off: the day's check runs all the same.
    f.clock.Set(QDateTime(ticked, QTime(9, 15)));
    QVERIFY(QMetaObject::invokeMethod(Timer(form, "QuotaDay_Timer"), "timeout"));
    QVERIFY(f.Settle());
    QVERIFY(QMetaObject::invokeMethod(Timer(form, "Quota_Timer"), "timeout"));
    QVERIFY(f.Settle());
    const QString today = core::ShortDateText(ticked);
    const QString stored =
        savedFile(f).Read(QStringLiteral("Quota"), QStringLiteral("Last reset date"), QString());
    if (reset) {
        QCOMPARE(Label(form, "LastResetDate_Label")->text(), today);
        QCOMPARE(stored, today);
        QCOMPARE(Edit(form, "MBUsed_Edit")->text(), QStringLiteral("0"));
        QCOMPARE(PartsOf(form).Account().Account().Used(true), usedAfter);
        QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("0%"));
    } else {
        QCOMPARE(Label(form, "LastResetDate_Label")->text(), lastReset);
        QCOMPARE(stored, lastReset);
        QCOMPARE(PartsOf(form).Account().Account().Used(true), 5121.0 * 1048576);
        QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("50%"));
    }
}

void TestQuotaPage::resetOncePerDay() {
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    f.WriteSettings(withAgent(f, QStringLiteral("[Options]\nQuota monitor=1\nQuota update=15\n"
                                                "[Quota]\nGBQuota=10\nMBUsed=100\nReset day=7\n")));
    MainForm &form = f.Create(); // the fixture's clock: 7 December, evening
    QTimer *timer = Timer(form, "Quota_Timer");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 900000);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QVERIFY(f.Settle());
    QCOMPARE(Edit(form, "MBUsed_Edit")->text(), QStringLiteral("0"));
    QVERIFY(PartsOf(form).Account().ResetDoneToday());
    // Later ticks that day only refresh.
    router.Add(std::uint64_t(kGB));
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QVERIFY(f.Settle());
    QCOMPARE(PartsOf(form).Account().Account().Used(true), kGB);
    QCOMPARE(Label(form, "PercentUsed_Label")->text(), QStringLiteral("10%"));
    // The next day clears the flag and resets nothing.
    f.clock.Set(f.clock.Now().addDays(1));
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QVERIFY(f.Settle());
    QVERIFY(!PartsOf(form).Account().ResetDoneToday());
    QCOMPARE(PartsOf(form).Account().Account().Used(true), kGB);
}

void TestQuotaPage::forecast() {
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    f.clock.Set(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nGBQuota=100\nMBUsed=10240\n"
                                                "Reset day=7\nLast reset date=07/12/2026\n")));
    MainForm &form = f.Create();
    showQuotaPage(f);
    update(f);
    QLabel *forecast = Label(form, "Forecast_Label");
    QCOMPARE(forecast->text(), QString()); // not a day of data yet
    f.clock.Set(QDateTime(QDate(2026, 12, 7), QTime(14, 0)));
    router.ticks += 2 * 3600 * 100;
    router.Add(std::uint64_t(kGB) / 4);
    update(f);
    QCOMPARE(forecast->text(), QString()); // two hours of readings are too few
    f.clock.Set(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    router.ticks += 46 * 3600 * 100;
    router.Add(std::uint64_t(kGB) * 7 / 4);
    update(f);
    // 2 GB in two days, 28.5 days ahead, on top of the 12 GB used.
    QCOMPARE(forecast->text(),
             QStringLiteral("At this rate: 40.5 GB by 7 Jan (from 2 days of readings)"));
    // Without a reset day there is no month to project to.
    Find<QSpinBox>(form, "Day_UpDn")->setValue(0);
    update(f);
    QCOMPARE(forecast->text(), QString());
    QVERIFY(PartsOf(form).Settings().Save());
    QCOMPARE(savedFile(f).Read(QStringLiteral("Quota"), QStringLiteral("MBUsed"), QString()),
             QStringLiteral("12288.0000"));
}

// What the boxes let the user type, and what the page says when it cannot show an amount.
void TestQuotaPage::boxes() {
    FormFixture f;
    Router router{f.agent};
    MainForm &form = openQuotaPage(f, router);
    for (const char *name : {"GBQuota_Edit", "MBUsed_Edit", "Gbytes_Edit", "MBytes_Edit"}) {
        QLineEdit *edit = Edit(form, name);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1a2,.5x.7 "));
        QCOMPARE(edit->text(), QStringLiteral("12.57"));
    }
    // The reset day is typed, and follows the arrow keys.
    QLineEdit *day = Edit(form, "ResetDay_Edit");
    day->clear();
    QTest::keyClicks(day, QStringLiteral("31"));
    QCOMPARE(Find<QSpinBox>(form, "Day_UpDn")->value(), 31);
    QTest::keyClick(day, Qt::Key_Down);
    QTest::keyClick(day, Qt::Key_Down);
    QCOMPARE(day->text(), QStringLiteral("29"));
    QCOMPARE(PartsOf(form).Account().ResetDay(), 29);
    // A quota of 0 says why nothing is shown.
    calculate(f, QStringLiteral("0"), QStringLiteral("0"));
    QCOMPARE(Label(form, "NothingShown_Label")->text(),
             QStringLiteral("No quota is shown: the full quota is 0 gigabytes. Enter it and press "
                            "Calculate."));
    calculate(f, QStringLiteral("10"), QStringLiteral("0"));
    QCOMPARE(Label(form, "NothingShown_Label")->text(), QString());
}

// The monthly reset's date cannot be written: said like a failed save.
void TestQuotaPage::resetDateNotWritten() {
    FormFixture f;
    Router router{f.agent};
    router.Apply();
    f.clock.Set(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nGBQuota=10\nMBUsed=100\n"
                                                "Reset day=7\nLast reset date=07/11/2026\n")));
    MainForm &form = f.Create();
    QVERIFY(f.Settle());
    f.prompter.Reset();
    f.clock.Set(QDateTime(QDate(2026, 12, 7), QTime(0, 1)));
    {
        ReadOnlyFolder readOnly(f.configDir.path());
        QVERIFY2(!readOnly.Writable(), "the folder could not be made read-only");
        QVERIFY(QMetaObject::invokeMethod(Timer(form, "QuotaDay_Timer"), "timeout"));
        QVERIFY(f.Settle());
    }
    QCOMPARE(f.prompter.Texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Unable to write to %1.").arg(f.SettingsPath())});
    QCOMPARE(Label(form, "LastResetDate_Label")->text(), core::ShortDateText(f.clock.Now().date()));
}

QTEST_MAIN(TestQuotaPage)
#include "tst_quotapage.moc"
