// The refresh of the ICMP, TCP and SNMP pages and of the IP statistics, against the loopback
// agent: which object lands in which label and how, the probe of the first object, a later
// object that does not answer, the objects never asked for, and the help topics.

#include "formfixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <set>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::snmp;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

// Every page under test: its tab, the group it reads, and its first object.
struct PageCase {
    const char *page;
    const char *group; // OID prefix of the page's objects
    const char *firstOid;
    const char *firstLabel;
    const char *placeholder;
    int helpTopic;
};
const PageCase kPageCases[] = {
    {"ICMP", "1.3.6.1.2.1.5.", "1.3.6.1.2.1.5.1.0", "InMsgs_Label", "----", 160},
    {"TCP", "1.3.6.1.2.1.6.", "1.3.6.1.2.1.6.1.0", "RtoAlg_Label", "-----", 170},
    {"SNMP", "1.3.6.1.2.1.11.", "1.3.6.1.2.1.11.1.0", "InPkts_Label", "----", 190},
    {"IP", "1.3.6.1.2.1.4.", "1.3.6.1.2.1.4.1.0", "Forwarding_Label", "----", 150},
};

const PageCase &pageCase(const QString &page) {
    for (const PageCase &c : kPageCases)
        if (page == QLatin1String(c.page))
            return c;
    throw std::logic_error("no such page");
}

// The value labels of a page: the bold ones.
QList<QLabel *> valueLabels(QWidget *page) {
    QList<QLabel *> out;
    for (QLabel *l : page->findChildren<QLabel *>())
        if (l->font().bold())
            out << l;
    return out;
}

} // namespace

class TestStatPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { fixture.reset(); }

    void valueReachesItsLabel_data();
    void valueReachesItsLabel();
    void everyLabelFilled_data();
    void everyLabelFilled();
    void enumeratedReplies_data();
    void enumeratedReplies();
    void silentRouterStopsAtFirstObject_data();
    void silentRouterStopsAtFirstObject();
    void laterObjectSilentKeepsItsLabel_data();
    void laterObjectSilentKeepsItsLabel();
    void unassignedObjectsNeverAsked_data();
    void unassignedObjectsNeverAsked();
    void ipUpdateKeepsSubPage();
    void focusMovesToPageControl_data();
    void focusMovesToPageControl();

private:
    // Shows the page, which runs its refresh.
    void select(const QString &page);
    // Fills the group with distinct counter values n * 1000 + base for object n.
    void fillGroup(const char *group, int objects, int base = 7);

    std::unique_ptr<FormFixture> fixture;
    MainForm *form = nullptr;
};

void TestStatPages::initTestCase() {}

void TestStatPages::init() {
    fixture = std::make_unique<FormFixture>();
    form = &fixture->Create(false);
}

void TestStatPages::select(const QString &page) {
    form->PageControl()->setCurrentWidget(form->findChild<QWidget *>(page));
    QVERIFY(fixture->Settle());
}

void TestStatPages::fillGroup(const char *group, int objects, int base) {
    for (int n = 1; n <= objects; ++n)
        fixture->agent.SetCounter(group + std::to_string(n) + ".0",
                                  std::uint64_t(n) * 1000 + std::uint64_t(base));
}

void TestStatPages::valueReachesItsLabel_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("label");
    // First and last rows and the names that break the pattern.
    QTest::addRow("icmpInErrors") << "ICMP"
                                  << "1.3.6.1.2.1.5.2.0"
                                  << "InErrors_Label2";
    QTest::addRow("icmpOutMsgs") << "ICMP"
                                 << "1.3.6.1.2.1.5.14.0"
                                 << "OutMsgs_Label";
    QTest::addRow("icmpOutAddrMaskReps") << "ICMP"
                                         << "1.3.6.1.2.1.5.26.0"
                                         << "OutAddrMaskReps_Label";
    QTest::addRow("tcpRetransSegs") << "TCP"
                                    << "1.3.6.1.2.1.6.12.0"
                                    << "ReTransSegs_Label";
    QTest::addRow("tcpInErrs") << "TCP"
                               << "1.3.6.1.2.1.6.14.0"
                               << "InErrs_Label";
    QTest::addRow("tcpOutRsts") << "TCP"
                                << "1.3.6.1.2.1.6.15.0"
                                << "OutRsts_Label";
    QTest::addRow("snmpInBadCommunityNames") << "SNMP"
                                             << "1.3.6.1.2.1.11.4.0"
                                             << "InBadComNam_Label";
    QTest::addRow("snmpInTooBigs") << "SNMP"
                                   << "1.3.6.1.2.1.11.8.0"
                                   << "InTooBigs_Label";
    QTest::addRow("snmpOutGenErrs") << "SNMP"
                                    << "1.3.6.1.2.1.11.24.0"
                                    << "OutGenErrs_Label";
    QTest::addRow("snmpOutTraps") << "SNMP"
                                  << "1.3.6.1.2.1.11.29.0"
                                  << "OutTraps_Label";
    QTest::addRow("ipDefaultTTL") << "IP"
                                  << "1.3.6.1.2.1.4.2.0"
                                  << "DefaultTTL_Label";
    QTest::addRow("ipFragCreates") << "IP"
                                   << "1.3.6.1.2.1.4.19.0"
                                   << "FragCreates_Label";
    QTest::addRow("ipRoutingDiscards") << "IP"
                                       << "1.3.6.1.2.1.4.23.0"
                                       << "RoutingDiscards_Label";
}

void TestStatPages::valueReachesItsLabel() {
    QFETCH(QString, page);
    QFETCH(QString, oid);
    QFETCH(QString, label);
    fixture->agent.SetInteger(pageCase(page).firstOid, 1);
    fixture->agent.SetCounter(oid.toStdString(), 4294967295u);
    select(page);
    QCOMPARE(Label(*form, qPrintable(label))->text(), QStringLiteral("4294967295"));
    QCOMPARE(form->Status(), QStringLiteral(" Ready"));
    QCOMPARE(form->HelpContext(), pageCase(page).helpTopic);
    QCOMPARE(fixture->prompter.beeps, 0);
}

void TestStatPages::everyLabelFilled_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("objects"); // the group's highest scalar number
    QTest::addRow("ICMP") << "ICMP" << 26;
    QTest::addRow("TCP") << "TCP" << 15;
    QTest::addRow("SNMP") << "SNMP" << 30;
    QTest::addRow("IP") << "IP" << 23;
}

void TestStatPages::everyLabelFilled() {
    QFETCH(QString, page);
    QFETCH(int, objects);
    const PageCase &c = pageCase(page);
    fillGroup(c.group, objects);
    select(page);
    // Each value label shows a reply of its own: no placeholder left, no reply shown twice.
    QWidget *p = form->findChild<QWidget *>(page);
    if (page == QLatin1String("IP"))
        p = form->findChild<QWidget *>(QStringLiteral("StatisticsTab"));
    std::set<QString> seen;
    for (QLabel *l : valueLabels(p)) {
        QVERIFY2(l->text() != QLatin1String(c.placeholder), qPrintable(l->objectName()));
        QVERIFY2(seen.insert(l->text()).second, qPrintable(l->objectName()));
    }
    QVERIFY(!seen.empty());
}

void TestStatPages::enumeratedReplies_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("reply"); // sent as an OCTET STRING when not a number
    QTest::addColumn<QString>("shown");
    const char *rto = "1.3.6.1.2.1.6.1.0";
    QTest::addRow("rto 1") << "TCP" << rto << "RtoAlg_Label"
                           << "1"
                           << "other";
    QTest::addRow("rto 2") << "TCP" << rto << "RtoAlg_Label"
                           << "2"
                           << "constant";
    QTest::addRow("rto 3") << "TCP" << rto << "RtoAlg_Label"
                           << "3"
                           << "rsre";
    QTest::addRow("rto 4") << "TCP" << rto << "RtoAlg_Label"
                           << "4"
                           << "vanj";
    QTest::addRow("rto 5 as sent") << "TCP" << rto << "RtoAlg_Label"
                                   << "5"
                                   << "5";
    QTest::addRow("rto 04 as sent") << "TCP" << rto << "RtoAlg_Label"
                                    << "04"
                                    << "04";
    const char *auth = "1.3.6.1.2.1.11.30.0";
    QTest::addRow("auth traps on") << "SNMP" << auth << "EnableAuth_Label"
                                   << "1"
                                   << "Yes";
    QTest::addRow("auth traps off") << "SNMP" << auth << "EnableAuth_Label"
                                    << "2"
                                    << "No";
    const char *fwd = "1.3.6.1.2.1.4.1.0";
    QTest::addRow("forwarding") << "IP" << fwd << "Forwarding_Label"
                                << "1"
                                << "Yes";
    QTest::addRow("not forwarding") << "IP" << fwd << "Forwarding_Label"
                                    << "2"
                                    << "No";
    QTest::addRow("forwarding 01") << "IP" << fwd << "Forwarding_Label"
                                   << "01"
                                   << "No";
}

void TestStatPages::enumeratedReplies() {
    QFETCH(QString, page);
    QFETCH(QString, oid);
    QFETCH(QString, label);
    QFETCH(QString, reply);
    QFETCH(QString, shown);
    fixture->agent.SetInteger(pageCase(page).firstOid, 1);
    if (reply.startsWith(QLatin1Char('0')))
        fixture->agent.SetString(oid.toStdString(), reply.toStdString());
    else
        fixture->agent.SetInteger(oid.toStdString(), reply.toInt());
    select(page);
    QCOMPARE(Label(*form, qPrintable(label))->text(), shown);
}

void TestStatPages::silentRouterStopsAtFirstObject_data() {
    QTest::addColumn<QString>("page");
    for (const PageCase &c : kPageCases)
        QTest::addRow("%s", c.page) << QString::fromLatin1(c.page);
}

void TestStatPages::silentRouterStopsAtFirstObject() {
    QFETCH(QString, page);
    const PageCase &c = pageCase(page);
    fillGroup(c.group, 30);
    select(page);
    QWidget *p = form->findChild<QWidget *>(page);
    QStringList before;
    for (QLabel *l : valueLabels(p))
        before << l->text();

    fixture->agent.SetFault(c.firstOid, AgentFault{});
    fillGroup(c.group, 30, 8);
    fixture->agent.ClearRequests();
    fixture->prompter.Reset();
    form->GetValuesButton()->click();
    QVERIFY(fixture->Settle());

    QCOMPARE(Label(*form, c.firstLabel)->text(), QStringLiteral("Get failed"));
    QCOMPARE(form->Status(), QStringLiteral(" Error: Check IP address and/or SNMP community name"));
    QCOMPARE(fixture->prompter.beeps, 1);
    QCOMPARE(fixture->agent.RequestCount(), 1);
    QVERIFY(!form->BusyCursor());
    // Every other label keeps what it showed.
    const QList<QLabel *> after = valueLabels(p);
    for (int i = 0; i < after.size(); ++i)
        if (after[i]->objectName() != QLatin1String(c.firstLabel))
            QCOMPARE(after[i]->text(), before[i]);
}

void TestStatPages::laterObjectSilentKeepsItsLabel_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("nextOid"); // an object after it, still refreshed
    QTest::addColumn<QString>("next");
    QTest::addRow("ICMP") << "ICMP"
                          << "1.3.6.1.2.1.5.8.0"
                          << "InEchos_Label"
                          << "1.3.6.1.2.1.5.14.0"
                          << "OutMsgs_Label";
    QTest::addRow("TCP") << "TCP"
                         << "1.3.6.1.2.1.6.2.0"
                         << "RtoMin_Label"
                         << "1.3.6.1.2.1.6.15.0"
                         << "OutRsts_Label";
    QTest::addRow("SNMP") << "SNMP"
                          << "1.3.6.1.2.1.11.2.0"
                          << "OutPkts_Label"
                          << "1.3.6.1.2.1.11.29.0"
                          << "OutTraps_Label";
    QTest::addRow("IP") << "IP"
                        << "1.3.6.1.2.1.4.3.0"
                        << "InReceives_Label"
                        << "1.3.6.1.2.1.4.23.0"
                        << "RoutingDiscards_Label";
}

void TestStatPages::laterObjectSilentKeepsItsLabel() {
    QFETCH(QString, page);
    QFETCH(QString, oid);
    QFETCH(QString, label);
    QFETCH(QString, nextOid);
    QFETCH(QString, next);
    const PageCase &c = pageCase(page);
    fixture->agent.SetInteger(c.firstOid, 1);
    fixture->agent.SetCounter(oid.toStdString(), 11);
    fixture->agent.SetCounter(nextOid.toStdString(), 21);
    select(page);
    QCOMPARE(Label(*form, qPrintable(label))->text(), QStringLiteral("11"));
    QCOMPARE(Label(*form, qPrintable(next))->text(), QStringLiteral("21"));

    fixture->agent.SetFault(oid.toStdString(), AgentFault{});
    fixture->agent.SetCounter(oid.toStdString(), 12);
    fixture->agent.SetCounter(nextOid.toStdString(), 22);
    fixture->prompter.Reset();
    form->GetValuesButton()->click();
    QVERIFY(fixture->Settle());
    QCOMPARE(Label(*form, qPrintable(label))->text(), QStringLiteral("11"));
    QCOMPARE(Label(*form, qPrintable(next))->text(), QStringLiteral("22"));
    QCOMPARE(form->Status(), QStringLiteral(" Ready"));
    QCOMPARE(fixture->prompter.beeps, 0);
}

void TestStatPages::unassignedObjectsNeverAsked_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("never");
    QTest::addRow("SNMP") << "SNMP" << QStringList{"1.3.6.1.2.1.11.7.0", "1.3.6.1.2.1.11.23.0"};
    QTest::addRow("TCP") << "TCP" << QStringList{"1.3.6.1.2.1.6.13"};
    QTest::addRow("IP") << "IP"
                        << QStringList{"1.3.6.1.2.1.4.20.0", "1.3.6.1.2.1.4.21.0",
                                       "1.3.6.1.2.1.4.22.0"};
}

void TestStatPages::unassignedObjectsNeverAsked() {
    QFETCH(QString, page);
    QFETCH(QStringList, never);
    fillGroup(pageCase(page).group, 30);
    fixture->agent.ClearRequests();
    select(page);
    QVERIFY(fixture->agent.RequestCount() > 10);
    // Only the GETs: the IP page's table walks pass through whatever the tables hold.
    for (const AgentRequest &r : fixture->agent.Requests())
        for (const QString &n : never)
            QVERIFY2(r.pduType != 0xA0 || !QString::fromStdString(r.oid).startsWith(n),
                     r.oid.c_str());
}

void TestStatPages::ipUpdateKeepsSubPage() {
    fixture->agent.SetInteger("1.3.6.1.2.1.4.1.0", 1);
    select(QStringLiteral("IP"));
    auto *tabs = Find<QTabWidget>(*form, "IP_PageControl");
    tabs->setCurrentIndex(2);
    QCOMPARE(form->HelpContext(), 152);
    // "&Update" leaves the route table showing.
    form->GetValuesButton()->click();
    QVERIFY(fixture->Settle());
    QCOMPARE(tabs->currentIndex(), 2);
    QCOMPARE(form->HelpContext(), 152);
    // Coming back to the page opens the statistics.
    select(QStringLiteral("TCP"));
    select(QStringLiteral("IP"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(form->HelpContext(), 150);
}

void TestStatPages::focusMovesToPageControl_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("moves");
    QTest::addRow("ICMP") << "ICMP" << true;
    QTest::addRow("TCP stays") << "TCP" << false;
    QTest::addRow("SNMP") << "SNMP" << true;
    QTest::addRow("IP") << "IP" << true;
}

void TestStatPages::focusMovesToPageControl() {
    QFETCH(QString, page);
    QFETCH(bool, moves);
    fixture->agent.SetInteger(pageCase(page).firstOid, 1);
    form->show();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    select(page);
    QPushButton *update = form->GetValuesButton();
    update->setFocus();
    QCOMPARE(QApplication::focusWidget(), update);
    update->click();
    QVERIFY(fixture->Settle());
    QCOMPARE(form->PageControl()->hasFocus(), moves); // through its tab bar
}

QTEST_MAIN(TestStatPages)
#include "tst_statpages.moc"
