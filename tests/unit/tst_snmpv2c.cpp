// SNMP v2c against the in-process loopback agent: values and exceptions, and GetBulk walks,
// whose lines must be those of a GetNext walk however the agent cuts, refuses or loses the
// batches.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/client.h"
#include "snmp/snmpsend.h"

#include <QTest>

#include <thread>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";
const char *const IfDescr = "1.3.6.1.2.1.2.2.1.2";
const char *const HcInOctets = "1.3.6.1.2.1.31.1.1.1.6";

QList<QByteArray> lines(const std::vector<std::string> &rows) {
    QList<QByteArray> out;
    for (const std::string &r : rows)
        out << QByteArray::fromStdString(r);
    return out;
}

ClientConfig configFor(const LoopbackAgent &agent, Version version, int timeoutMs = 5000) {
    ClientConfig config;
    config.target = agent.Host();
    config.version = version;
    config.community = Community;
    config.timeoutMs = timeoutMs;
    return config;
}

// An interfaces table of n rows (ifIndex, ifDescr, ifInOctets) beside a 64-bit counter column
// and neighbours, so that walks leave their subtree as on a real agent.
void fillTable(LoopbackAgent &agent, int n) {
    agent.SetString("1.3.6.1.2.1.1.1.0", "router");
    for (int i = 1; i <= n; ++i) {
        const std::string row = std::to_string(i);
        agent.SetInteger("1.3.6.1.2.1.2.2.1.1." + row, i);
        agent.SetString(std::string(IfDescr) + "." + row, "port \"" + row + "\"\n");
        agent.SetCounter("1.3.6.1.2.1.2.2.1.10." + row, 4294967295u - unsigned(i));
        agent.SetCounter64(std::string(HcInOctets) + "." + row,
                           18446744073709551615ull - unsigned(i));
    }
    agent.SetInteger("1.3.6.1.2.1.99.1.0", 0);
}

QList<int> repetitions(const LoopbackAgent &agent) {
    QList<int> out;
    for (const AgentRequest &r : agent.Requests())
        out << (r.pduType == ber::GetBulkRequest ? r.maxRepetitions : 0);
    return out;
}

} // namespace

class TestSnmpV2c : public QObject {
    Q_OBJECT

private slots:
    void get_data();
    void get();
    void bulkWalkLinesAreGetNextLines_data();
    void bulkWalkLinesAreGetNextLines();
    void counter64Column();
    void batchesAdapt_data();
    void batchesAdapt();
    void shrunkBatchIsKept();
    void agentCutsBatches();
    void endlessSubtreeIsBounded();
    void typedWalk();
    void cancelEndsWalk();
};

void TestSnmpV2c::get_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("oids");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<int>("errorIndex");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QStringList>("texts");

    const int v1 = int(Version::V1), v2c = int(Version::V2c);
    const QString hc = QString(HcInOctets) + ".1", descr = QString(IfDescr) + ".1";
    QTest::addRow("Counter64 as decimal") << v2c << QStringList{hc} << 0 << 0 << QList<int>{0x46}
                                          << QStringList{"18446744073709551614"};
    QTest::addRow("noSuchObject") << v2c << QStringList{"1.3.6.1.2.1.1.9.0"} << 0 << 0
                                  << QList<int>{0x80} << QStringList{""};
    QTest::addRow("noSuchInstance in a column") << v2c << QStringList{QString(IfDescr) + ".9"} << 0
                                                << 0 << QList<int>{0x81} << QStringList{""};
    QTest::addRow("values and exceptions side by side")
        << v2c << QStringList{descr, "1.3.6.1.2.1.1.9.0", hc} << 0 << 0
        << QList<int>{0x04, 0x80, 0x46} << QStringList{"port \"1\"\n", "", "18446744073709551614"};
    // v1 cannot carry a Counter64: the agent has no such name for it.
    QTest::addRow("v1: Counter64 is noSuchName")
        << v1 << QStringList{hc} << 2 << 1 << QList<int>{0x05} << QStringList{""};
    QTest::addRow("v1: noSuchName names the binding")
        << v1 << QStringList{descr, "1.3.6.1.2.1.1.9.0"} << 2 << 2 << QList<int>{0x05, 0x05}
        << QStringList{"", ""};
}

void TestSnmpV2c::get() {
    QFETCH(int, version);
    QFETCH(QStringList, oids);
    QFETCH(int, errorStatus);
    QFETCH(int, errorIndex);
    QFETCH(QList<int>, types);
    QFETCH(QStringList, texts);

    LoopbackAgent agent(Community);
    fillTable(agent, 3);
    QVERIFY(agent.Start());
    Client client(configFor(agent, Version(version)));
    std::vector<std::string> names;
    for (const QString &oid : oids)
        names.push_back(oid.toStdString());
    const Response r = client.Get(names);
    QCOMPARE(int(r.outcome), int(Outcome::Ok));
    QCOMPARE(r.errorStatus, errorStatus);
    QCOMPARE(r.errorIndex, errorIndex);
    QCOMPARE(int(r.bindings.size()), oids.size());
    for (int i = 0; i < oids.size(); ++i) {
        QCOMPARE(QString::fromStdString(r.bindings[size_t(i)].oid), oids[i]);
        QCOMPARE(r.bindings[size_t(i)].type, types[i]);
        QCOMPARE(QString::fromStdString(ValueText(r.bindings[size_t(i)])), texts[i]);
        // Only a value counts as one: not an exception, not a binding of an error answer.
        QCOMPARE(r.Value(names[size_t(i)]) != nullptr, errorStatus == 0 && types[i] < 0x80);
    }
}

void TestSnmpV2c::bulkWalkLinesAreGetNextLines_data() {
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("bulkRequests");

    // 60 rows: ifIndex, ifDescr and ifInOctets, 180 values in batches of 25.
    QTest::addRow("table") << QByteArray("1.3.6.1.2.1.2.2") << 60 << 8;
    QTest::addRow("column") << QByteArray("1.3.6.1.2.1.2.2.1.2") << 60 << 3;
    QTest::addRow("exactly one batch") << QByteArray("1.3.6.1.2.1.2.2.1.2") << 24 << 1;
    QTest::addRow("one past a batch") << QByteArray("1.3.6.1.2.1.2.2.1.2") << 25 << 2;
    QTest::addRow("empty subtree") << QByteArray("1.3.6.1.2.1.2.3") << 5 << 1;
    QTest::addRow("past the end of the MIB") << QByteArray("1.3.6.1.2.1.100") << 5 << 1;
}

void TestSnmpV2c::bulkWalkLinesAreGetNextLines() {
    QFETCH(QByteArray, base);
    QFETCH(int, rows);
    QFETCH(int, bulkRequests);

    LoopbackAgent agent(Community);
    fillTable(agent, rows);
    QVERIFY(agent.Start());
    std::vector<std::string> getNext, bulk;
    QVERIFY(SnmpWalkTable(base.toStdString(), Community, agent.Host(), getNext));
    agent.ClearRequests();
    Client client(configFor(agent, Version::V2c));
    QVERIFY(WalkTable(client, base.toStdString(), bulk));
    QCOMPARE(lines(bulk), lines(getNext));
    QCOMPARE(agent.RequestCount(), bulkRequests);
    QCOMPARE(repetitions(agent).value(0), 25);
}

void TestSnmpV2c::counter64Column() {
    LoopbackAgent agent(Community);
    fillTable(agent, 2);
    QVERIFY(agent.Start());
    // v2c reads the column; v1, which cannot carry it, finds it empty.
    Client client(configFor(agent, Version::V2c));
    std::vector<std::string> rows;
    QVERIFY(WalkTable(client, HcInOctets, rows));
    QCOMPARE(lines(rows), (QList<QByteArray>{"\"18446744073709551614\",\"18446744073709551613\""}));
    QVERIFY(SnmpWalkTable(HcInOctets, Community, agent.Host(), rows));
    QVERIFY(rows.empty());
}

void TestSnmpV2c::batchesAdapt_data() {
    QTest::addColumn<QList<int>>("faults"); // per request: 0 none, 1 tooBig, -1 silent
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("batches"); // each request's max-repetitions, 0 for GetNext

    // 30 values: ifDescr of 30 rows; the request after the last full batch leaves the column.
    QTest::addRow("tooBig halves the batch")
        << QList<int>{1, 1} << true << QList<int>{25, 12, 6, 6, 6, 6, 6, 6};
    QTest::addRow("tooBig down to GetNext")
        << QList<int>{1, 1, 1, 1, 1} << true << (QList<int>{25, 12, 6, 3, 1} + QList<int>(31, 0));
    QTest::addRow("a lost answer: a fifth of the batch")
        << QList<int>{-1} << true << QList<int>{25, 5, 5, 5, 5, 5, 5, 5};
    QTest::addRow("two lost answers: GetNext")
        << QList<int>{-1, -1} << true << (QList<int>{25, 5} + QList<int>(31, 0));
    QTest::addRow("lost part-way") << QList<int>{0, -1} << true << QList<int>{25, 25, 5, 5};
    QTest::addRow("three lost answers: the walk fails")
        << QList<int>{-1, -1, -1} << false << QList<int>{25, 5, 0};
}

void TestSnmpV2c::batchesAdapt() {
    QFETCH(QList<int>, faults);
    QFETCH(bool, ok);
    QFETCH(QList<int>, batches);

    LoopbackAgent agent(Community);
    fillTable(agent, 30);
    QVERIFY(agent.Start());
    std::vector<std::string> getNext;
    QVERIFY(SnmpWalkTable(IfDescr, Community, agent.Host(), getNext));
    agent.ClearRequests();
    for (int i = 0; i < faults.size(); ++i)
        if (faults[i] != 0)
            agent.SetRequestFault(i + 1, faults[i] > 0
                                             ? AgentFault{FaultKind::ErrorStatus, 1, 0, {}}
                                             : AgentFault{FaultKind::Silent, 0, 0, {}});
    Client client(configFor(agent, Version::V2c, 200));
    std::vector<std::string> rows;
    QCOMPARE(WalkTable(client, IfDescr, rows), ok);
    QCOMPARE(repetitions(agent), batches);
    QCOMPARE(lines(rows), ok ? lines(getNext) : QList<QByteArray>{"\"\""});
}

void TestSnmpV2c::shrunkBatchIsKept() {
    LoopbackAgent agent(Community);
    fillTable(agent, 10);
    agent.SetRequestFault(1, AgentFault{FaultKind::ErrorStatus, 1, 0, {}});
    QVERIFY(agent.Start());
    Client client(configFor(agent, Version::V2c));
    std::vector<std::string> rows;
    QVERIFY(WalkTable(client, IfDescr, rows));
    QVERIFY(WalkTable(client, IfDescr, rows)); // the next walk starts where the last one settled
    QCOMPARE(repetitions(agent), (QList<int>{25, 12, 12}));
}

void TestSnmpV2c::agentCutsBatches() {
    // An agent whose answers may not pass 300 bytes sends fewer values than asked for.
    LoopbackAgent agent(Community);
    fillTable(agent, 40);
    agent.SetMaxResponseSize(300);
    QVERIFY(agent.Start());
    std::vector<std::string> getNext, bulk;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.2.2", Community, agent.Host(), getNext));
    Client client(configFor(agent, Version::V2c));
    agent.ClearRequests();
    QVERIFY(WalkTable(client, "1.3.6.1.2.1.2.2", bulk));
    QCOMPARE(lines(bulk), lines(getNext));
    QVERIFY(agent.RequestCount() > 120 / 25 + 1);
}

void TestSnmpV2c::endlessSubtreeIsBounded() {
    LoopbackAgent agent(Community);
    agent.SetEndless("1.3.6.1.4.1.763.9", {ber::Integer, ber::IntegerContent(1)});
    QVERIFY(agent.Start());
    Client client(configFor(agent, Version::V2c));
    const WalkResult walk = client.Walk("1.3.6.1.4.1.763.9");
    QCOMPARE(int(walk.outcome), int(Outcome::WalkTooLarge));
    QCOMPARE(int(walk.bindings.size()), 100000);
    QCOMPARE(agent.RequestCount(), 100000 / 25 + 1);
    std::vector<std::string> rows;
    QVERIFY(!WalkLines("1.3.6.1.4.1.763.9", walk, rows));
    QCOMPARE(int(rows.size()), 100000); // the values so far, nothing added for the bound
}

void TestSnmpV2c::typedWalk() {
    LoopbackAgent agent(Community);
    fillTable(agent, 2);
    QVERIFY(agent.Start());
    Client client(configFor(agent, Version::V2c));
    const WalkResult walk = client.Walk("1.3.6.1.2.1.2.2.1");
    QCOMPARE(int(walk.outcome), int(Outcome::Ok));
    QCOMPARE(int(walk.bindings.size()), 6);
    QCOMPARE(walk.bindings[2].oid, std::string(IfDescr) + ".1");
    QCOMPARE(walk.bindings[2].type, int(ber::OctetString));
    QCOMPARE(walk.bindings[2].value, std::string("port \"1\"\n"));
    QCOMPARE(walk.bindings[5].type, int(ber::Counter));
    // Rendered once into the lines a walk has always given.
    std::vector<std::string> rendered, walked;
    QVERIFY(WalkLines("1.3.6.1.2.1.2.2.1", walk, rendered));
    QVERIFY(WalkTable(client, "1.3.6.1.2.1.2.2.1", walked));
    QCOMPARE(lines(rendered), lines(walked));
    Client v1(configFor(agent, Version::V1));
    QCOMPARE(int(v1.GetBulk({IfDescr}, 0, 5).outcome), int(Outcome::Unsupported));
}

void TestSnmpV2c::cancelEndsWalk() {
    LoopbackAgent agent(Community);
    fillTable(agent, 5);
    agent.SetRequestFault(2, AgentFault{FaultKind::Silent, 0, 0, {}});
    QVERIFY(agent.Start());
    CancelToken cancel;
    ClientConfig config = configFor(agent, Version::V2c);
    config.maxRepetitions = 2;
    config.cancel = &cancel;
    Client client(config);
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel.Cancel();
    });
    QElapsedTimer timer;
    timer.start();
    const WalkResult walk = client.Walk(IfDescr);
    canceller.join();
    QCOMPARE(int(walk.outcome), int(Outcome::Cancelled));
    QCOMPARE(int(walk.bindings.size()), 2);
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(int(client.GetBulk({IfDescr}, 0, 5).outcome), int(Outcome::Cancelled));
}

QTEST_GUILESS_MAIN(TestSnmpV2c)
#include "tst_snmpv2c.moc"
