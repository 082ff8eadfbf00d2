// Walks against the in-process loopback agent: the row keys and lines, the quoting and
// hexadecimal rules, and how a walk ends when the agent fails or stops moving forward.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/snmpsend.h"
#include "snmp/tablewalk.h"

#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";

QList<QByteArray> lines(const std::vector<std::string> &rows) {
    QList<QByteArray> out;
    for (const std::string &r : rows)
        out << QByteArray::fromStdString(r);
    return out;
}

// Passes datagrams between a client and an agent and notes the client's source port of each
// request, which the agent itself does not record.
class PortRecorder {
public:
    ~PortRecorder() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int fd : {front_, back_})
            if (fd >= 0)
                ::close(fd);
    }

    bool Start(unsigned short agentPort) {
        front_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        back_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(front_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
            ::getsockname(front_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return false;
        port_ = ntohs(a.sin_port);
        a.sin_port = htons(agentPort);
        if (::connect(back_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<unsigned short> Ports() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return ports_;
    }

private:
    void run() {
        std::string buf(65536, '\0');
        while (!stop_) {
            pollfd p{front_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t got = ::recvfrom(front_, &buf[0], buf.size(), 0,
                                           reinterpret_cast<sockaddr *>(&from), &len);
            if (got <= 0)
                continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ports_.push_back(ntohs(from.sin_port));
            }
            ::send(back_, buf.data(), size_t(got), 0);
            pollfd q{back_, POLLIN, 0};
            if (::poll(&q, 1, 2000) <= 0)
                continue;
            const ssize_t answer = ::recv(back_, &buf[0], buf.size(), 0);
            if (answer > 0)
                ::sendto(front_, buf.data(), size_t(answer), 0, reinterpret_cast<sockaddr *>(&from),
                         len);
        }
    }

    int front_ = -1;
    int back_ = -1;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<unsigned short> ports_;
};

} // namespace

class TestSnmpWalk : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void lines_data();
    void lines();
    void unreachable();
    void silentFirstStep();
    void failureMidWalk();
    void notMovingForwardEnds_data();
    void notMovingForwardEnds();
    void strayDatagrams_data();
    void strayDatagrams();
    void endlessSubtreeIsBounded_data();
    void endlessSubtreeIsBounded();
    void boundEdges_data();
    void boundEdges();
    void stepsShareClient();
    void getNextStep();
};

void TestSnmpWalk::cleanup() {}

void TestSnmpWalk::lines_data() {
    QTest::addColumn<QByteArray>("snmprec");
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QList<QByteArray>>("expected");

    // Neighbours before and after each subtree, so every walk leaves it as on a real agent.
    const QByteArray around = "1.3.6.1.2.1.1.1.0|4|descr\n"
                              "1.3.6.1.2.1.99.1.0|2|0\n";

    QTest::addRow("column: index without its first arc, in agent order")
        << around + "1.3.6.1.2.1.4.20.1.1.10.0.0.138|64|10.0.0.138\n"
                    "1.3.6.1.2.1.4.20.1.1.192.168.1.253|64|192.168.1.253\n"
                    "1.3.6.1.2.1.4.20.1.2.10.0.0.138|2|3\n"
                    "1.3.6.1.2.1.4.20.1.2.192.168.1.253|2|1\n"
                    "1.3.6.1.2.1.4.20.1.3.10.0.0.138|64|255.255.255.0\n"
        << QByteArray("1.3.6.1.2.1.4.20.1.2") << QList<QByteArray>{"\"3\"", "\"1\""};
    QTest::addRow("column: indexes differing only in the first arc share a line")
        << around + "1.3.6.1.2.1.4.20.1.2.10.0.0.1|2|3\n"
                    "1.3.6.1.2.1.4.20.1.2.11.0.0.1|2|4\n"
                    "1.3.6.1.2.1.4.20.1.2.12.0.0.2|2|5\n"
        << QByteArray("1.3.6.1.2.1.4.20.1.2") << QList<QByteArray>{"\"3\",\"4\"", "\"5\""};
    QTest::addRow("table: one line per value, column after column")
        << around + "1.3.6.1.2.1.4.20.1.1.10.0.0.138|64|10.0.0.138\n"
                    "1.3.6.1.2.1.4.20.1.1.192.168.1.253|64|192.168.1.253\n"
                    "1.3.6.1.2.1.4.20.1.2.10.0.0.138|2|3\n"
                    "1.3.6.1.2.1.4.20.1.2.192.168.1.253|2|1\n"
        << QByteArray("1.3.6.1.2.1.4.20")
        << QList<QByteArray>{"\"10.0.0.138\"", "\"192.168.1.253\"", "\"3\"", "\"1\""};
    QTest::addRow("group: scalars share key 0 wherever they come")
        << around + "1.3.6.1.2.1.4.1.0|2|2\n"
                    "1.3.6.1.2.1.4.2.0|2|64\n"
                    "1.3.6.1.2.1.4.20.1.1.10.0.0.138|64|10.0.0.138\n"
                    "1.3.6.1.2.1.4.20.1.2.10.0.0.138|2|3\n"
                    "1.3.6.1.2.1.4.23.0|65|7\n"
        << QByteArray("1.3.6.1.2.1.4")
        << QList<QByteArray>{"\"2\",\"64\",\"7\"", "\"10.0.0.138\"", "\"3\""};
    // A one-arc index leaves no row key: the whole column shares one line.
    QTest::addRow("hardware addresses in hexadecimal")
        << around + "1.3.6.1.2.1.2.2.1.6.1|4|\n"
                    "1.3.6.1.2.1.2.2.1.6.2|4x|000e501a2b3c\n"
        << QByteArray("1.3.6.1.2.1.2.2.1.6") << QList<QByteArray>{"\"\",\"000e501a2b3c\""};
    QTest::addRow("tab and high bytes kept, other control bytes hexadecimal")
        << around + "1.3.6.1.4.1.763.3.1.1.0|4x|610962\n"
                    "1.3.6.1.4.1.763.3.1.2.0|4x|636166c3a9\n"
                    "1.3.6.1.4.1.763.3.1.3.0|4x|6361660a\n"
                    "1.3.6.1.4.1.763.3.1.4.0|4x|7f1f\n"
        << QByteArray("1.3.6.1.4.1.763.3.1")
        << QList<QByteArray>{"\"a\tb\",\"caf\xc3\xa9\",\"6361660a\",\"7f1f\""};
    QTest::addRow("double quote doubled")
        << around + "1.3.6.1.2.1.1.5.0|4|say \"hi\"\n"
        << QByteArray("1.3.6.1.2.1.1.5") << QList<QByteArray>{"\"say \"\"hi\"\"\""};
    QTest::addRow("NULL as two double quotes")
        << around + "1.3.6.1.2.1.1.5.0|5|\n"
        << QByteArray("1.3.6.1.2.1.1.5") << QList<QByteArray>{"\"\""};
    QTest::addRow("a neighbour sharing the base's leading digits is outside the subtree")
        << around + "1.3.6.1.2.1.4.2.0|2|64\n"
                    "1.3.6.1.2.1.4.20.1.1.10.0.0.1|64|10.0.0.1\n"
        << QByteArray("1.3.6.1.2.1.4.2") << QList<QByteArray>{"\"64\""};
    QTest::addRow("empty subtree")
        << around << QByteArray("1.3.6.1.2.1.4.21") << QList<QByteArray>{};
    QTest::addRow("past the end of the agent's MIB")
        << around << QByteArray("1.3.6.1.2.1.100") << QList<QByteArray>{};
}

void TestSnmpWalk::lines() {
    QFETCH(QByteArray, snmprec);
    QFETCH(QByteArray, base);
    QFETCH(QList<QByteArray>, expected);

    LoopbackAgent agent(Community);
    std::string error;
    QVERIFY2(agent.LoadSnmprec(snmprec.toStdString(), &error), error.c_str());
    QVERIFY(agent.Start());
    std::vector<std::string> rows{"stale"};
    QVERIFY(SnmpWalkTable(base.toStdString(), Community, agent.Host(), rows));
    QCOMPARE(::lines(rows), expected);
}

void TestSnmpWalk::unreachable() {
    LoopbackAgent gone(Community);
    QVERIFY(gone.Start());
    const std::string host = gone.Host();
    gone.Stop(); // its port is closed now

    std::vector<std::string> rows{"stale"};
    QVERIFY(!SnmpWalkTable("1.3.6.1.2.1.4.20", Community, host, rows));
    QCOMPARE(::lines(rows), QList<QByteArray>{"\"\""});
}

void TestSnmpWalk::silentFirstStep() {
    const RequestOptions shortWait{300};
    LoopbackAgent agent(Community);
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.10.0.0.138", 3);
    agent.SetRequestFault(1, AgentFault{FaultKind::Silent, 0, 0, {}});
    QVERIFY(agent.Start());

    std::vector<std::string> rows;
    QVERIFY(!SnmpWalkTable("1.3.6.1.2.1.4.20", Community, agent.Host(), rows, shortWait));
    QCOMPARE(::lines(rows), QList<QByteArray>{"\"\""});
    QCOMPARE(agent.RequestCount(), 1);
}

void TestSnmpWalk::failureMidWalk() {
    const RequestOptions shortWait{300};
    LoopbackAgent agent(Community);
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.10.0.0.1", 1);
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.10.0.0.2", 2);
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.10.0.0.3", 3);
    agent.SetRequestFault(3, AgentFault{FaultKind::Silent, 0, 0, {}});
    QVERIFY(agent.Start());

    // The third step fails: the rows met so far stay, and the line of the last OID reached
    // gets the failed step's empty value.
    std::vector<std::string> rows;
    QVERIFY(!SnmpWalkTable("1.3.6.1.2.1.4.20.1.2", Community, agent.Host(), rows, shortWait));
    QCOMPARE(::lines(rows), (QList<QByteArray>{"\"1\"", "\"2\",\"\""}));
    QCOMPARE(agent.RequestCount(), 3);
}

void TestSnmpWalk::notMovingForwardEnds_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<QByteArray>("raw");

    QTest::addRow("noSuchName echo of the request's name")
        << int(FaultKind::ErrorStatus) << 2 << QByteArray();
    QTest::addRow("reply without a binding") << int(FaultKind::Bindings) << 0 << QByteArray();
    // An agent that answers with an earlier object would lead the walk round in a circle.
    const std::string earlier = ber::EncodeItem(
        ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent("1.3.6.1.2.1.2.2.1.2.0")) +
                           ber::EncodeItem(ber::OctetString, "lo"));
    QTest::addRow("reply naming an earlier object")
        << int(FaultKind::Bindings) << 0 << QByteArray::fromStdString(earlier);
}

void TestSnmpWalk::notMovingForwardEnds() {
    QFETCH(int, fault);
    QFETCH(int, errorStatus);
    QFETCH(QByteArray, raw);

    LoopbackAgent agent(Community);
    agent.SetString("1.3.6.1.2.1.2.2.1.2.1", "Ethernet");
    agent.SetString("1.3.6.1.2.1.2.2.1.2.2", "ATM");
    // The step that asks for the object after row 1 gets an answer that stays on row 1.
    agent.SetFault("1.3.6.1.2.1.2.2.1.2.1",
                   AgentFault{FaultKind(fault), errorStatus, 0, raw.toStdString()});
    QVERIFY(agent.Start());

    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.2.2.1.2", Community, agent.Host(), rows));
    QCOMPARE(::lines(rows), QList<QByteArray>{"\"Ethernet\""});
    QCOMPARE(agent.RequestCount(), 2);
}

void TestSnmpWalk::strayDatagrams_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("raw");

    QTest::addRow("every answer arrives twice") << int(FaultKind::Twice) << QByteArray();
    QTest::addRow("junk before every answer")
        << int(FaultKind::JunkFirst) << QByteArray::fromHex("3000");
    // The answer to the walk's first step (request id 2) arriving again before each later
    // step's answer.
    QTest::addRow("the first answer again before every answer")
        << int(FaultKind::JunkFirst)
        << QByteArray::fromStdString(EncodeGetResponse(Community, 2, 0, 0, "1.3.6.1.2.1.2.2.1.2.1",
                                                       {ber::OctetString, "Ethernet over USB"}));
}

void TestSnmpWalk::strayDatagrams() {
    QFETCH(int, fault);
    QFETCH(QByteArray, raw);

    LoopbackAgent agent(Community);
    agent.SetString("1.3.6.1.2.1.2.2.1.2.1", "Ethernet over USB");
    agent.SetString("1.3.6.1.2.1.2.2.1.2.2", "Ethernet");
    agent.SetString("1.3.6.1.2.1.2.2.1.2.3", "ATM");
    agent.SetInteger("1.3.6.1.2.1.2.2.1.3.1", 6);
    for (int request = 1; request <= 4; ++request)
        agent.SetRequestFault(request, AgentFault{FaultKind(fault), 0, 0, raw.toStdString()});
    QVERIFY(agent.Start());

    // A column with a one-arc index: every value on the one line of the empty row key.
    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.2.2.1.2", Community, agent.Host(), rows));
    QCOMPARE(::lines(rows), QList<QByteArray>{"\"Ethernet over USB\",\"Ethernet\",\"ATM\""});
    QCOMPARE(agent.RequestCount(), 4);
}

void TestSnmpWalk::endlessSubtreeIsBounded_data() {
    QTest::addColumn<int>("valueSize");
    QTest::addColumn<int>("lines");

    // Each value a row of its own, so lines count values.
    QTest::addRow("100,000 values") << 1 << 100000;
    // Values with a control byte are written in hexadecimal: 120,002 bytes a line.
    QTest::addRow("64 MB of lines") << 60000 << int(64 * 1024 * 1024 / 120002);
}

void TestSnmpWalk::endlessSubtreeIsBounded() {
    QFETCH(int, valueSize);
    QFETCH(int, lines);

    LoopbackAgent agent(Community);
    agent.SetEndless("1.3.6.1.4.1.763.9", {ber::OctetString, std::string(size_t(valueSize), '\n')});
    QVERIFY(agent.Start());

    std::vector<std::string> rows;
    QVERIFY(!SnmpWalkTable("1.3.6.1.4.1.763.9", Community, agent.Host(), rows));
    QCOMPARE(int(rows.size()), lines);
    QCOMPARE(agent.RequestCount(), lines + 1); // the step that would pass the bound adds nothing
    std::size_t bytes = 0;
    for (const std::string &line : rows)
        bytes += line.size();
    QVERIFY(bytes <= 64u * 1024 * 1024);
}

void TestSnmpWalk::boundEdges_data() {
    QTest::addColumn<int>("values"); // the subtree's values, then the walk leaves it
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("kept");

    // With a bound of 3 values or 17 bytes of lines ("vv" is 4 bytes, "," joins).
    QTest::addRow("below the bound") << 2 << true << 2;
    QTest::addRow("exactly at the bound") << 3 << true << 3;
    QTest::addRow("one past the bound") << 4 << false << 3;
}

void TestSnmpWalk::boundEdges() {
    QFETCH(int, values);
    QFETCH(bool, ok);
    QFETCH(int, kept);

    for (const bool byBytes : {false, true}) {
        std::vector<std::string> rows;
        TableWalk::Limits limits;
        limits.values = byBytes ? 1000 : 3;
        limits.bytes = byBytes ? 4 * 3 + 2 : 1000; // three values, their two commas
        TableWalk walk("1.3.6.1.2.1.2.2.1.2", rows, limits);
        int step = 0;
        while (walk.Step(true,
                         step < values ? "1.3.6.1.2.1.2.2.1.2." + std::to_string(step + 1)
                                       : std::string("1.3.6.1.2.1.2.2.1.3.1"),
                         "vv"))
            ++step;
        QCOMPARE(walk.Ok(), ok);
        QCOMPARE(int(walk.Values()), kept);
        QCOMPARE(int(rows.size()), 1);
    }
}

void TestSnmpWalk::stepsShareClient() {
    LoopbackAgent agent(Community);
    for (int i = 1; i <= 4; ++i)
        agent.SetInteger("1.3.6.1.2.1.2.2.1.1." + std::to_string(i), i);
    agent.SetInteger("1.3.6.1.2.1.2.2.1.2.1", 0);
    QVERIFY(agent.Start());
    PortRecorder recorder;
    QVERIFY(recorder.Start(agent.Port()));

    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.2.2.1.1", Community, recorder.Host(), rows));
    QCOMPARE(::lines(rows), QList<QByteArray>{"\"1\",\"2\",\"3\",\"4\""});

    const auto requests = agent.Requests();
    QCOMPARE(int(requests.size()), 5); // four values and the step that leaves the column
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(requests[i].pduType, 0xA1);
        QCOMPARE(requests[i].id, i + 2);
    }
    const auto ports = recorder.Ports();
    QCOMPARE(int(ports.size()), 5);
    for (unsigned short p : ports)
        QCOMPARE(p, ports.front());
}

void TestSnmpWalk::getNextStep() {
    LoopbackAgent agent(Community);
    agent.SetString("1.3.6.1.2.1.2.2.1.6.2", std::string("\x00\x0E\x50\x1A\x2B\x3C", 6));
    QVERIFY(agent.Start());

    // One step gives the next object's name and its raw value; hexadecimal is the walk's.
    ClientConfig config;
    config.target = agent.Host();
    config.community = Community;
    Client client(config);
    std::string oid = "1.3.6.1.2.1.2.2.1.6";
    std::string value;
    QVERIFY(SnmpGetNextValue(client, oid, value));
    QCOMPARE(QByteArray::fromStdString(oid), QByteArray("1.3.6.1.2.1.2.2.1.6.2"));
    QCOMPARE(QByteArray::fromStdString(value), QByteArray::fromHex("000E501A2B3C"));
}

QTEST_GUILESS_MAIN(TestSnmpWalk)
#include "tst_snmpwalk.moc"
