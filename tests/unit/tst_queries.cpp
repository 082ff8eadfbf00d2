// The System, ADSL and link queries against routers that are not the designed model: each
// recorded router read through a fake link (no network), an agent reporting an absurd ifNumber,
// and a router where discovery finds nothing to watch.

#include "core/oids.h"
#include "core/queries.h"
#include "core/quotaqueries.h"
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

// What the window shows of each recording is checked by tst_routers; here, what it costs and
// what the monitors and the history get.
void TestQueries::foreignRouter_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("rows");     // LAN, WAN and the polled link interface
    QTest::addColumn<QString>("downRate"); // in the history's sample
    QTest::addColumn<int>("later");        // requests of a later line reading, with the uptime

    QTest::addRow("ADSL") << "korvane-ka2100-adsl"
                          << "3 15 11"
                          << "8128000" << 34;
    QTest::addRow("ADSL2+, no ifNumber") << "meridel-m740-adsl2plus"
                                         << "8 7 4"
                                         << "18432000" << 23;
    QTest::addRow("VDSL2") << "tessaro-tv5500-vdsl2"
                           << "2 12 8"
                           << "100000000" << 14;
    QTest::addRow("VDSL2 bridge") << "halvik-hb300-vdsl2-bridge"
                                  << "2 5 4"
                                  << "54980000" << 13;
    QTest::addRow("gateway, no line MIB") << "orbant-sg60-gateway"
                                          << "102 15201 201"
                                          << "11987000" << 3;
    QTest::addRow("line at 42, ifNumber 18") << "quillon-qr18-adsl2"
                                             << "10 16 42"
                                             << "11200000" << 25;
    QTest::addRow("G.SHDSL") << "strela-sr2-shdsl"
                             << "10 4 2"
                             << "2312000" << 10;
}

void TestQueries::foreignRouter() {
    QFETCH(QString, recording);
    QFETCH(QString, rows);
    QFETCH(QString, downRate);
    QFETCH(int, later);
    FakeRouterLink link;
    loadRecording(link, recording);

    SystemRequest request;
    const SystemFigures system = ReadSystem(link, request);
    QVERIFY2(system.head.outcome.Completed(), system.head.outcome.conversionError.c_str());
    QVERIFY(system.missing.empty());
    const AdslFigures adsl = ReadAdsl(link);
    QVERIFY(adsl.head.outcome.Completed());

    // The history's sample holds the figures read; one the router lacks stays missing, not 0.
    link.requests.clear();
    const vantrel::history::LineSample sample =
        vantrel::history::SampleOf(vantrel::history::ReadLine(link), 0);
    const auto down = sample.Figure(vantrel::history::LineFigure::DownRate);
    QCOMPARE(down ? QString::number(*down, 'f', 0) : QStringLiteral("-"), downRate);
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
    // The tray's lights read the same interface as the connection monitor.
    link.requests.clear();
    QCOMPARE(ReadWanStatus(link).status, std::optional<LinkState>(LinkState::Up));
    QCOMPARE(link.requests.front(), oid::IfCell(oid::IfColumn::OperStatus, parts[2].toStdString()));

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
    // Nor does the tray ask it, and its lights stay as they are.
    QCOMPARE(ReadWanStatus(link).status, std::optional<LinkState>(LinkState::Other));
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
