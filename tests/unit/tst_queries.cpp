// The System, ADSL and link queries against routers that are not the designed model: each
// recorded router read through a fake link (no network), an agent reporting an absurd ifNumber,
// and a router where discovery finds nothing to watch.

#include "core/oids.h"
#include "core/queries.h"
#include "fakerouterlink.h"
#include "history/historyquery.h"
#include "recording.h"

#include <QTest>
#include <algorithm>

using namespace vantrel::core;
using vantrel::testsupport::Recording;

namespace {

// A fake link that holds every object of a recording.
void loadRecording(FakeRouterLink &link, const QString &name) {
    Recording router;
    std::string error;
    QVERIFY2(router.Load(Recording::Path(name.toStdString()), &error), error.c_str());
    for (const WalkBinding &b : router.Walk("1"))
        link.Set(b.oid, b.value);
}

int count(const std::vector<std::string> &requests, const std::string &oid) {
    return int(std::count(requests.begin(), requests.end(), oid));
}

} // namespace

class TestQueries : public QObject {
    Q_OBJECT
private slots:
    void foreignRouter_data();
    void foreignRouter();
    void hugeIfNumberIsBounded();
    void nothingToWatchIsNotPolled();
    void silentRouterIsProbedOnce();
};

void TestQueries::foreignRouter_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("addresses"); // router's, WAN's
    QTest::addColumn<QString>("rows");      // LAN, WAN and the polled link interface
    QTest::addColumn<QString>("line");      // down rate, down margin, up rate: "-" when none
    QTest::addColumn<int>("later");         // requests of a later line reading, with the uptime

    QTest::addRow("ADSL") << "korvane-ka2100-adsl"
                          << "ADSL line at interface 11; WAN: ppp0 (interface 15); LAN: br0 "
                             "(interface 3)"
                          << "192.168.10.1 203.0.113.18"
                          << "3 15 11"
                          << "8128000 62 832000" << 34;
    QTest::addRow("ADSL2+, no ifNumber")
        << "meridel-m740-adsl2plus"
        << "ADSL2+ line at interface 4; WAN: ppp0 (interface 7); LAN: br0 (interface 8)"
        << "192.168.1.1 198.51.100.77"
        << "8 7 4"
        << "18432000 98 1021000" << 23;
    QTest::addRow("VDSL2") << "tessaro-tv5500-vdsl2"
                           << "VDSL2 line at interface 8; WAN: pppoe0 (interface 12); LAN: br0 "
                              "(interface 2)"
                           << "192.168.1.1 203.0.113.200"
                           << "2 12 8"
                           << "100000000 91 40000000" << 14;
    QTest::addRow("VDSL2 bridge, no public address")
        << "halvik-hb300-vdsl2-bridge"
        << "VDSL2 line at interface 4; WAN: ptm0 (interface 5); LAN: br0 (interface 2)"
        << "192.168.100.1 "
        << "2 5 4"
        << "54980000 87 9998000" << 13;
    QTest::addRow("gateway, non-contiguous indexes, no line MIB")
        << "orbant-sg60-gateway"
        << "ADSL2+ line at interface 201; WAN: pppoe-adsl (interface 15201); LAN: internal "
           "(interface 102)"
        << "10.10.0.1 192.0.2.55"
        << "102 15201 201"
        << "11987000 - -" << 3;
    QTest::addRow("line at 42, ifNumber 18")
        << "quillon-qr18-adsl2"
        << "ADSL2 line at interface 42; WAN: pppoa0 (interface 16); LAN: br-lan (interface 10)"
        << "192.168.178.1 100.64.12.7"
        << "10 16 42"
        << "11200000 64 1180000" << 25;
    QTest::addRow("G.SHDSL") << "strela-sr2-shdsl"
                             << "G.SHDSL line at interface 2; WAN: ppp0 (interface 4); LAN: vlan1 "
                                "(interface 10)"
                             << "192.168.0.254 198.51.100.9"
                             << "10 4 2"
                             << "2312000 90 2312000" << 10;
}

void TestQueries::foreignRouter() {
    QFETCH(QString, recording);
    QFETCH(QString, summary);
    QFETCH(QString, addresses);
    QFETCH(QString, rows);
    QFETCH(QString, line);
    QFETCH(int, later);
    FakeRouterLink link;
    loadRecording(link, recording);

    SystemRequest request;
    request.wantLocalAddress = true;
    const SystemFigures system = ReadSystem(link, request);
    QVERIFY2(system.head.outcome.Completed(), system.head.outcome.conversionError.c_str());
    QVERIFY(system.missing.empty());
    QCOMPARE(QString::fromStdString(system.discoverySummary), summary);
    // The maker's firmware rows answer noSuchName: no empty "Firmware:" line.
    for (const auto &firmware : system.firmware)
        QVERIFY(!firmware);
    QCOMPARE(QString::fromStdString(system.routerAddress.value_or("?") + " " +
                                    system.wanAddress.value_or("?")),
             addresses);

    const AdslFigures adsl = ReadAdsl(link);
    QVERIFY(adsl.head.outcome.Completed());
    QVERIFY(adsl.discoveredLine);
    const auto text = [](auto value) {
        return value ? QString::number(double(*value), 'f', 0) : QStringLiteral("-");
    };
    QCOMPARE(text(adsl.downRate) + " " + text(adsl.downMargin) + " " + text(adsl.upRate), line);
    QVERIFY(adsl.link && adsl.link->state == LinkState::Up);

    // The history's sample holds the figures read; one the router lacks stays missing, not 0.
    link.requests.clear();
    const vantrel::history::LineSample sample =
        vantrel::history::SampleOf(vantrel::history::ReadLine(link), 0);
    const auto down = sample.Figure(vantrel::history::LineFigure::DownRate);
    QCOMPARE(down ? QString::number(*down, 'f', 0) : QStringLiteral("-"), line.section(' ', 0, 0));
    QCOMPARE(bool(sample.Figure(vantrel::history::LineFigure::UpMargin)), bool(adsl.upMargin));
    // Once read while up, the line is asked only where it answered.
    QCOMPARE(int(link.requests.size()), later);

    link.requests.clear();
    const LinkPoll poll = PollLink(link, LinkPollRequest{});
    QVERIFY(poll.answered);
    QCOMPARE(poll.status, LinkState::Up);
    const QStringList parts = rows.split(QLatin1Char(' '));
    QCOMPARE(link.requests.front(), oid::IfCell(oid::IfColumn::OperStatus, parts[2].toStdString()));
    QCOMPARE(QString::fromStdString(link.map.LanRow), parts[0]);
    QCOMPARE(QString::fromStdString(link.map.WanRow), parts[1]);

    // A second read finds the same, and the user's choice of WAN wins.
    request.choice.wan = 1;
    const SystemFigures chosen = ReadSystem(link, request);
    QVERIFY(chosen.head.outcome.Completed());
    QCOMPARE(link.map.WanRow, std::string("1"));
}

void TestQueries::hugeIfNumberIsBounded() {
    // Three rows, the designed model's names, and an ifNumber no agent could mean.
    FakeRouterLink link;
    link.Set(oid::IfNumber, "2147483647");
    link.Set(oid::SysUpTime, "100");
    const char *names[] = {"Bridge", "Ethernet", "ATM"};
    for (int n = 1; n <= 3; ++n) {
        link.Set(oid::IfCell(oid::IfColumn::Descr, std::to_string(n)), names[n - 1]);
        link.Set(oid::IfCell(oid::IfColumn::Index, std::to_string(n)), std::to_string(n));
    }
    const SystemFigures f = ReadSystem(link, SystemRequest{});
    QVERIFY(f.head.outcome.Completed());
    QCOMPARE(f.interfaces.BridgeRow, std::string("1"));
    QCOMPARE(f.interfaces.WanRow, std::string("3"));
    QVERIFY(!f.interfaces.Discovered);
    // No row beyond the three the walk found is asked.
    QCOMPARE(count(link.requests, oid::IfCell(oid::IfColumn::Descr, "4")), 0);
    QVERIFY(link.requests.size() < 40);
    QCOMPARE(f.missing, std::vector<std::string>{"Error: Unable to find USB interface"});
}

void TestQueries::nothingToWatchIsNotPolled() {
    // An agent with an uptime and no interface table at all.
    FakeRouterLink link;
    link.Set(oid::SysUpTime, "100");
    const SystemFigures f = ReadSystem(link, SystemRequest{});
    QVERIFY2(f.head.outcome.Completed(), f.head.outcome.conversionError.c_str());
    QVERIFY(f.missing.empty());
    QVERIFY(f.interfaces.Discovered);
    link.requests.clear();
    const LinkPoll poll = PollLink(link, LinkPollRequest{});
    QVERIFY(poll.nothingToWatch);
    QVERIFY(!poll.answered);
    QVERIFY(link.requests.empty());
}

void TestQueries::silentRouterIsProbedOnce() {
    FakeRouterLink link;
    loadRecording(link, QStringLiteral("tessaro-tv5500-vdsl2"));
    ReadSystem(link, SystemRequest{});
    link.requests.clear();
    ReadAdsl(link);
    // The router goes silent: the line's first object gets no answer, nothing else is asked.
    for (const std::string &oid : link.requests)
        link.Silence(oid);
    link.requests.clear();
    const AdslFigures f = ReadAdsl(link);
    QVERIFY(f.head.outcome.probeFailed);
    QCOMPARE(int(link.requests.size()), 1);
}

QTEST_GUILESS_MAIN(TestQueries)
#include "tst_queries.moc"
