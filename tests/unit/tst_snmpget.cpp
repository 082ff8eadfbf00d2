// One GET against the in-process loopback agent: what comes back for each kind of answer, how
// long a silent or closed target costs, and which target texts are accepted.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/snmpsend.h"
#include "snmp/udptransport.h"

#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <thread>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";
const char *const SysDescr = "1.3.6.1.2.1.1.1.0";
const char *const SysUpTime = "1.3.6.1.2.1.1.3.0";
const char *const IfPhysAddress = "1.3.6.1.2.1.2.2.1.6.2";
const char *const IfInOctets = "1.3.6.1.2.1.2.2.1.10.4";
const char *const Missing = "1.3.6.1.2.1.1.99.0";

QByteArray bytes(const std::string &s) {
    return QByteArray::fromStdString(s);
}

const RequestOptions ShortWait{400};

// A GetResponse naming oid with an OCTET STRING value.
std::string replyFor(const std::string &oid, const std::string &value) {
    return EncodeGetResponse(Community, 1, 0, 0, oid, {ber::OctetString, value});
}

// A GetResponse whose one binding has the given name content (hexadecimal) and a string value.
QByteArray replyNaming(const char *nameContent, const std::string &value) {
    const std::string binding = ber::EncodeItem(
        ber::Sequence,
        ber::EncodeItem(ber::ObjectId, QByteArray::fromHex(nameContent).toStdString()) +
            ber::EncodeItem(ber::OctetString, value));
    const std::string pdu = ber::EncodeItem(ber::Integer, ber::IntegerContent(1)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                            ber::EncodeItem(ber::Sequence, binding);
    return bytes(
        ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                                           ber::EncodeItem(ber::OctetString, Community) +
                                           ber::EncodeItem(ber::GetResponse, pdu)));
}

} // namespace

class TestSnmpGet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void requestOnTheWire();
    void silentAgentTimesOut();
    void closedPortFailsAtOnce();
    void cancelEndsTheWait_data();
    void cancelEndsTheWait();
    void splitTarget_data();
    void splitTarget();
    void targetTexts_data();
    void targetTexts();

private:
    LoopbackAgent agent_{Community};
};

void TestSnmpGet::initTestCase() {
    QVERIFY(agent_.Start());
    agent_.SetString(SysDescr, "ADSL router");
    agent_.SetTimeTicks(SysUpTime, 12345678);
    agent_.SetString(IfPhysAddress, std::string("\x00\x0E\x50\x1A\x2B\x3C", 6));
    agent_.SetCounter(IfInOctets, 3000000000u);
}

void TestSnmpGet::init() {
    agent_.ClearFaults();
    agent_.ClearRequests();
}

void TestSnmpGet::cleanup() {}

void TestSnmpGet::answers_data() {
    QTest::addColumn<QByteArray>("oid");
    QTest::addColumn<int>("fault"); // -1: the agent behaves
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("value");

    const int none = -1;
    const QByteArray descr(SysDescr);
    const QByteArray good = bytes(replyFor(SysDescr, "ADSL router"));
    // A v1 trap: enterprise, agent address, trap types and time stamp where the request id goes.
    const QByteArray trap = QByteArray::fromStdString(ber::EncodeItem(
        ber::Sequence,
        ber::EncodeItem(ber::Integer, std::string(1, '\0')) +
            ber::EncodeItem(ber::OctetString, Community) +
            ber::EncodeItem(
                0xA4,
                ber::EncodeItem(ber::ObjectId, ber::OidContent("1.3.6.1.4.1.763")) +
                    ber::EncodeItem(ber::IpAddress, std::string("\x7f\0\0\x01", 4)) +
                    ber::EncodeItem(ber::Integer, "\x06") + ber::EncodeItem(ber::Integer, "\x01") +
                    ber::EncodeItem(ber::TimeTicks, "\x05") + ber::EncodeItem(ber::Sequence, ""))));
    QByteArray asRequest = bytes(replyFor(SysDescr, "forged"));
    asRequest[asRequest.indexOf('\xA2')] = '\xA0';
    QTest::addRow("TimeTicks") << QByteArray(SysUpTime) << none << 0 << QByteArray() << true
                               << QByteArray("12345678");
    QTest::addRow("hardware address as raw bytes")
        << QByteArray(IfPhysAddress) << none << 0 << QByteArray() << true
        << QByteArray::fromHex("000E501A2B3C");
    QTest::addRow("Counter above 2^31")
        << QByteArray(IfInOctets) << none << 0 << QByteArray() << true << QByteArray("3000000000");
    QTest::addRow("noSuchName echo is ok and empty")
        << QByteArray(Missing) << none << 0 << QByteArray() << true << QByteArray();
    QTest::addRow("genErr is ok and empty")
        << descr << int(FaultKind::ErrorStatus) << 5 << QByteArray() << true << QByteArray();
    QTest::addRow("reply naming another OID is ok and empty")
        << descr << int(FaultKind::Raw) << 0 << bytes(replyFor("1.3.6.1.2.1.1.5.0", "name")) << true
        << QByteArray();
    QTest::addRow("reply sent twice")
        << descr << int(FaultKind::Twice) << 0 << QByteArray() << true << QByteArray("ADSL router");

    // Not the answer to our request: the client waits on, and takes the real one behind it.
    const QList<QPair<const char *, QByteArray>> junk = {
        {"another request id",
         bytes(EncodeGetResponse(Community, 7, 0, 0, SysDescr, {ber::OctetString, "stale"}))},
        {"another community",
         bytes(EncodeGetResponse("public", 1, 0, 0, SysDescr, {ber::OctetString, "forged"}))},
        {"a GetRequest", asRequest},
        {"version 2c", bytes(replyFor(SysDescr, "forged")).replace(2, 3, "\x02\x01\x01")},
        {"a trap", trap},
        {"one byte short", good.left(good.size() - 1)},
        {"30 00", QByteArray::fromHex("3000")},
        {"indefinite length", QByteArray::fromHex("3080") + good.mid(2) + QByteArray(2, '\0')},
        {"65 kB of junk", QByteArray(65000, 'j')},
        // sysDescr's name with its last arc 0 written as 2^64, and with an arc 1 as 80 01: a
        // decoder that lets arcs wrap or accepts padding takes either for the object asked.
        {"a name whose arc wraps", replyNaming("2B0601020101018280808080808080808000", "forged")},
        {"a non-minimal sub-identifier", replyNaming("2B06800102010101 00", "forged")},
    };
    for (const auto &[name, datagram] : junk) {
        QTest::addRow("%s, then the answer", name) << descr << int(FaultKind::JunkFirst) << 0
                                                   << datagram << true << QByteArray("ADSL router");
        QTest::addRow("%s alone times out", name)
            << descr << int(FaultKind::Raw) << 0 << datagram << false << QByteArray();
    }
}

void TestSnmpGet::answers() {
    QFETCH(QByteArray, oid);
    QFETCH(int, fault);
    QFETCH(int, errorStatus);
    QFETCH(QByteArray, raw);
    QFETCH(bool, ok);
    QFETCH(QByteArray, value);

    if (fault >= 0) {
        AgentFault f;
        f.kind = FaultKind(fault);
        f.errorStatus = errorStatus;
        f.requestId = 7;
        f.raw = raw.toStdString();
        agent_.SetFault(oid.toStdString(), f);
    }
    std::string got = "stale";
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(SnmpGetValue(oid.toStdString(), Community, agent_.Host(), got, ShortWait), ok);
    QCOMPARE(bytes(got), value);
    QCOMPARE(agent_.RequestCount(), 1); // no retries
    if (!ok)
        QVERIFY(timer.elapsed() >= ShortWait.timeoutMs - 20); // the whole time-out, no less
}

void TestSnmpGet::requestOnTheWire() {
    std::string value;
    QVERIFY(SnmpGetValue(SysDescr, Community, agent_.Host(), value));
    QVERIFY(SnmpGetValue(SysDescr, Community, agent_.Host(), value));
    QVERIFY(SnmpGetValue(SysDescr, Community, agent_.Host(), value));
    const auto requests = agent_.Requests();
    QCOMPARE(int(requests.size()), 3);
    for (const AgentRequest &r : requests) {
        QCOMPARE(r.pduType, 0xA0);
        QCOMPARE(r.id, 1); // every GET is a fresh client starting at request id 1
        QCOMPARE(bytes(r.community), QByteArray(Community));
        QCOMPARE(bytes(r.oid), QByteArray(SysDescr));
    }
    // Each from a socket of its own, so a late answer to one can never be taken for the next.
    QVERIFY(requests[0].sourcePort != requests[1].sourcePort);
    QVERIFY(requests[1].sourcePort != requests[2].sourcePort);
    QVERIFY(requests[0].sourcePort != requests[2].sourcePort);
}

void TestSnmpGet::silentAgentTimesOut() {
    const RequestOptions shortWait{300};
    agent_.SetFault(SysDescr, AgentFault{FaultKind::Silent, 0, 0, {}});
    std::string value = "stale";
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SnmpGetValue(SysDescr, Community, agent_.Host(), value, shortWait));
    QVERIFY(timer.elapsed() >= 280);
    QVERIFY(value.empty());
    QCOMPARE(agent_.RequestCount(), 1);
}

void TestSnmpGet::closedPortFailsAtOnce() {
    // A port that an agent held a moment ago and has closed: the ICMP port-unreachable
    // fails the call instead of running out the 5000 ms.
    LoopbackAgent gone;
    QVERIFY(gone.Start());
    const std::string host = gone.Host();
    gone.Stop();

    std::string value = "stale";
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SnmpGetValue(SysDescr, Community, host, value));
    QVERIFY2(timer.elapsed() < 2500, "the port-unreachable was not noticed");
    QVERIFY(value.empty());
}

void TestSnmpGet::cancelEndsTheWait_data() {
    QTest::addColumn<int>("fault");
    QTest::addRow("silent agent") << int(FaultKind::Silent);
    QTest::addRow("junk, then silence") << int(FaultKind::Raw);
}

void TestSnmpGet::cancelEndsTheWait() {
    QFETCH(int, fault);
    agent_.SetFault(SysDescr, AgentFault{FaultKind(fault), 0, 0, std::string("\x30\x00", 2)});
    CancelToken cancel;
    RequestOptions options;
    options.cancel = &cancel;
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel.Cancel();
    });
    std::string value = "stale";
    QElapsedTimer timer;
    timer.start();
    const bool ok = SnmpGetValue(SysDescr, Community, agent_.Host(), value, options);
    const qint64 elapsed = timer.elapsed();
    canceller.join();
    QVERIFY(!ok);
    QVERIFY(value.empty());
    QVERIFY2(elapsed < 2000, "the cancel did not end the wait"); // not the 5000 ms time-out
}

void TestSnmpGet::splitTarget_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");

    QTest::addRow("address alone uses 161")
        << QByteArray("127.0.0.1") << true << QByteArray("127.0.0.1") << 161;
    QTest::addRow("host name alone") << QByteArray("router") << true << QByteArray("router") << 161;
    QTest::addRow("port 1") << QByteArray("127.0.0.1:1") << true << QByteArray("127.0.0.1") << 1;
    QTest::addRow("port 65535") << QByteArray("localhost:65535") << true << QByteArray("localhost")
                                << 65535;
    QTest::addRow("port 0") << QByteArray("127.0.0.1:0") << false << QByteArray() << 0;
    QTest::addRow("port 65536") << QByteArray("127.0.0.1:65536") << false << QByteArray() << 0;
    QTest::addRow("port 99999999")
        << QByteArray("127.0.0.1:99999999") << false << QByteArray() << 0;
    QTest::addRow("non-numeric port") << QByteArray("127.0.0.1:snmp") << false << QByteArray() << 0;
    QTest::addRow("signed port") << QByteArray("127.0.0.1:+161") << false << QByteArray() << 0;
    QTest::addRow("empty port") << QByteArray("127.0.0.1:") << false << QByteArray() << 0;
}

void TestSnmpGet::splitTarget() {
    QFETCH(QByteArray, target);
    QFETCH(bool, ok);
    QFETCH(QByteArray, host);
    QFETCH(int, port);

    std::string gotHost;
    unsigned short gotPort = 0;
    QCOMPARE(UdpTransport::SplitTarget(target.toStdString(), "161", gotHost, gotPort), ok);
    if (ok) {
        QCOMPARE(bytes(gotHost), host);
        QCOMPARE(int(gotPort), port);
    }
}

void TestSnmpGet::targetTexts_data() {
    QTest::addColumn<QByteArray>("host"); // "PORT" stands for the agent's port
    QTest::addColumn<bool>("ok");

    QTest::addRow("dotted address with port") << QByteArray("127.0.0.1:PORT") << true;
    QTest::addRow("host name with port") << QByteArray("localhost:PORT") << true;
    QTest::addRow("port 0") << QByteArray("127.0.0.1:0") << false;
    QTest::addRow("port 65536") << QByteArray("127.0.0.1:65536") << false;
    QTest::addRow("non-numeric port") << QByteArray("127.0.0.1:abc") << false;
    QTest::addRow("address with a zero byte") << QByteArray("127.0.0.1\0x:PORT", 16) << false;
}

void TestSnmpGet::targetTexts() {
    QFETCH(QByteArray, host);
    QFETCH(bool, ok);

    host.replace("PORT", QByteArray::number(agent_.Port()));
    std::string value;
    QCOMPARE(SnmpGetValue(SysDescr, Community, host.toStdString(), value), ok);
    QCOMPARE(agent_.RequestCount(), ok ? 1 : 0); // a rejected target sends nothing
}

QTEST_GUILESS_MAIN(TestSnmpGet)
#include "tst_snmpget.moc"
