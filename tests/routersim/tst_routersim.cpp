// The simulated router: its demo profile and the recordings of other routers, the live objects
// under a test clock, restarts, and the executable's command line, exit codes and signals.

#include "routersim/routersimulation.h"
#include "snmp/ber.h"
#include "snmp/snmpsend.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <set>
#include <signal.h>

using namespace vantrel::snmp;
using namespace vantrel::tools;

using std::chrono::milliseconds;

namespace {

const char *const Profile = VANTREL_DEMO_PROFILE;
const std::string UpTime = "1.3.6.1.2.1.1.3.0";
const std::string IfEntry = "1.3.6.1.2.1.2.2.1.";
const std::string Adsl = "1.3.6.1.2.1.10.94.1.1.";
constexpr std::uint64_t ProfileUpTime = 263412345;
constexpr int UsbRow = 1, LanRow = 2, AtmRow = 3, PppRow = 4, BridgeRow = 5;

std::atomic<long long> clockMs{0};

// A simulation created at test clock 0 serving the demo profile.
std::unique_ptr<RouterSimulation> demo(RouterSimulation::Schedule schedule = {}) {
    clockMs = 0;
    auto sim = std::make_unique<RouterSimulation>(schedule, [] { return milliseconds(clockMs); });
    std::string error;
    if (!sim->LoadProfile(Profile, &error))
        qWarning("%s", error.c_str());
    return sim;
}

// A simulation created at test clock 0 serving one of the recordings of other routers.
std::unique_ptr<RouterSimulation> recorded(const QString &name, std::vector<int> dropRows = {},
                                           std::vector<int> trafficRows = {}) {
    clockMs = 0;
    auto sim = std::make_unique<RouterSimulation>(RouterSimulation::Schedule(),
                                                  [] { return milliseconds(clockMs); });
    std::string error;
    if (!sim->LoadProfile(std::string(VANTREL_ROUTERS_DIR) + "/" + name.toStdString() + ".snmprec",
                          &error))
        qWarning("%s", error.c_str());
    sim->SetDropRows(std::move(dropRows));
    sim->SetTrafficRows(std::move(trafficRows));
    return sim;
}

QString rowsText(const std::vector<int> &rows) {
    QStringList parts;
    for (int r : rows)
        parts << QString::number(r);
    return parts.join(QLatin1Char(','));
}

// The value a GET of oid receives at the current test clock, as the client renders it.
std::string served(const RouterSimulation &sim, LoopbackAgent &agent, const std::string &oid) {
    auto value = agent.Get(oid);
    if (!value)
        return "<missing>";
    sim.Apply(oid, *value);
    return ber::RenderValue(value->tag, value->content);
}

// The profile's own value of oid.
std::string profileValue(LoopbackAgent &agent, const std::string &oid) {
    const auto value = agent.Get(oid);
    return value ? ber::RenderValue(value->tag, value->content) : "<missing>";
}

std::string cell(int column, int row) {
    return IfEntry + std::to_string(column) + "." + std::to_string(row);
}

} // namespace

class TestRouterSim : public QObject {
    Q_OBJECT

private slots:
    void profileHoldsWhatTheProgramReads_data();
    void profileHoldsWhatTheProgramReads();
    void profileInterfacesAndAddresses();
    void uptimeFollowsTheClock_data();
    void uptimeFollowsTheClock();
    void linkSchedule_data();
    void linkSchedule();
    void countersFollowTheLink_data();
    void countersFollowTheLink();
    void lineFiguresDriftWithinBounds_data();
    void lineFiguresDriftWithinBounds();
    void agentServesLiveValues();
    void otherRouters_data();
    void otherRouters();
    void dropAnyInterface_data();
    void dropAnyInterface();
    void restart_data();
    void restart();
    void executableRestartsOnSignal();
    void executableExitCodes_data();
    void executableExitCodes();
    void executableStopsOnSignal_data();
    void executableStopsOnSignal();
};

void TestRouterSim::profileHoldsWhatTheProgramReads_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("expected"); // empty: present with any value
    auto row = [](const std::string &oid, const char *expected = "") {
        QTest::addRow("%s", oid.c_str()) << QString::fromStdString(oid) << QString(expected);
    };
    row("1.3.6.1.2.1.2.1.0", "5");
    row("1.3.6.1.2.1.1.1.0");
    row(UpTime, "263412345");
    for (int i = 2; i <= 5; ++i)
        row("1.3.6.1.4.1.763.3.1." + std::to_string(i) + ".0");
    row("1.3.6.1.4.1.763.3.2.2.2", "G.DMT");
    // The ADSL page's objects, all at instance 2.
    row(Adsl + "4.1.2.2", "8128000");
    row(Adsl + "5.1.2.2", "832000");
    row(Adsl + "1.1.1.2", "2");
    row(Adsl + "1.1.2.2", "3");
    row(Adsl + "4.1.1.2", "16");
    row(Adsl + "3.1.5.2", "345");
    for (const char *s :
         {"2.1.7.2", "3.1.4.2", "2.1.4.2", "2.1.5.2", "3.1.7.2", "7.1.1.2", "7.1.2.2", "7.1.3.2",
          "7.1.4.2", "7.1.16.2", "7.1.21.2", "11.1.3.2", "11.1.4.2", "10.1.3.2", "10.1.4.2"})
        row(Adsl + s);
    // The statistics pages.
    for (int i = 1; i <= 19; ++i)
        row("1.3.6.1.2.1.4." + std::to_string(i) + ".0");
    row("1.3.6.1.2.1.4.23.0");
    for (int i = 1; i <= 26; ++i)
        row("1.3.6.1.2.1.5." + std::to_string(i) + ".0");
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15})
        row("1.3.6.1.2.1.6." + std::to_string(i) + ".0");
    for (int i = 1; i <= 4; ++i)
        row("1.3.6.1.2.1.7." + std::to_string(i) + ".0");
    for (int i = 1; i <= 30; ++i)
        if (i != 7 && i != 23)
            row("1.3.6.1.2.1.11." + std::to_string(i) + ".0");
}

void TestRouterSim::profileHoldsWhatTheProgramReads() {
    QFETCH(QString, oid);
    QFETCH(QString, expected);
    auto sim = demo();
    const std::string value = profileValue(sim->Agent(), oid.toStdString());
    QVERIFY2(value != "<missing>", qPrintable(oid));
    if (!expected.isEmpty())
        QCOMPARE(QString::fromStdString(value), expected);
}

void TestRouterSim::profileInterfacesAndAddresses() {
    auto sim = demo();
    LoopbackAgent &agent = sim->Agent();
    const char *descr[] = {"Ethernet over USB", "Ethernet", "ATM", "RFC-2364", "Bridge"};
    for (int row = 1; row <= 5; ++row) {
        QCOMPARE(served(*sim, agent, cell(2, row)), std::string(descr[row - 1]));
        for (int column = 1; column <= 22; ++column)
            QVERIFY2(agent.Get(cell(column, row)), cell(column, row).c_str());
    }
    QVERIFY(!agent.Get(cell(1, 6)));
    QCOMPARE(sim->WanRows(), (std::vector<int>{AtmRow, PppRow}));

    // The LAN address sits on the bridge's ifIndex, the WAN address on the PPP interface's.
    const std::string lan = "1.3.6.1.2.1.4.20.1.2.192.168.1.253";
    const std::string wan = "1.3.6.1.2.1.4.20.1.2.203.0.113.47";
    QCOMPARE(served(*sim, agent, lan), served(*sim, agent, cell(1, BridgeRow)));
    QCOMPARE(served(*sim, agent, wan), served(*sim, agent, cell(1, PppRow)));
    // A hardware address with bytes below 32, as the walk's hexadecimal rule needs.
    QCOMPARE(agent.Get(cell(6, LanRow))->content, std::string("\x00\x00\x5e\x00\x53\x0a", 6));
}

void TestRouterSim::uptimeFollowsTheClock_data() {
    QTest::addColumn<quint64>("profile");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<quint64>("expected");
    QTest::addRow("at start") << quint64(ProfileUpTime) << qint64(0) << quint64(ProfileUpTime);
    QTest::addRow("hundredths only")
        << quint64(ProfileUpTime) << qint64(12349) << quint64(ProfileUpTime + 1234);
    QTest::addRow("one day") << quint64(100) << qint64(86400000) << quint64(8640100);
    QTest::addRow("wraps like TimeTicks") << quint64(4294967290u) << qint64(1000) << quint64(94);
}

void TestRouterSim::uptimeFollowsTheClock() {
    QFETCH(quint64, profile);
    QFETCH(qint64, elapsedMs);
    QFETCH(quint64, expected);
    auto sim = demo();
    clockMs = elapsedMs;
    AgentValue value{ber::TimeTicks, ber::UnsignedContent(profile)};
    sim->Apply(UpTime, value);
    QCOMPARE(value.tag, int(ber::TimeTicks));
    QCOMPARE(ber::RenderValue(value.tag, value.content), std::to_string(expected));
}

void TestRouterSim::linkSchedule_data() {
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("length");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<bool>("up");
    QTest::addRow("start") << 180 << 20 << qint64(0) << true;
    QTest::addRow("just before the first drop") << 180 << 20 << qint64(59999) << true;
    QTest::addRow("first drop begins") << 180 << 20 << qint64(60000) << false;
    QTest::addRow("first drop ends") << 180 << 20 << qint64(79999) << false;
    QTest::addRow("back up") << 180 << 20 << qint64(80000) << true;
    QTest::addRow("before the second drop") << 180 << 20 << qint64(239999) << true;
    QTest::addRow("second drop") << 180 << 20 << qint64(250000) << false;
    QTest::addRow("twenty-first drop") << 180 << 20 << qint64(3660000) << false;
    QTest::addRow("after the twenty-first drop") << 180 << 20 << qint64(3680000) << true;
    QTest::addRow("short period starts within it") << 30 << 5 << qint64(30000) << false;
    QTest::addRow("short period up") << 30 << 5 << qint64(35000) << true;
    QTest::addRow("short period next drop") << 30 << 5 << qint64(64999) << false;
    QTest::addRow("drops off") << 0 << 20 << qint64(70000) << true;
    QTest::addRow("zero length") << 180 << 0 << qint64(70000) << true;
}

void TestRouterSim::linkSchedule() {
    QFETCH(int, every);
    QFETCH(int, length);
    QFETCH(qint64, elapsedMs);
    QFETCH(bool, up);
    RouterSimulation::Schedule schedule;
    schedule.every = std::chrono::seconds(every);
    schedule.length = std::chrono::seconds(length);
    auto sim = demo(schedule);
    clockMs = elapsedMs;
    QCOMPARE(sim->LinkUp(), up);
    const std::string status = up ? "1" : "2";
    QCOMPARE(served(*sim, sim->Agent(), cell(8, AtmRow)), status);
    QCOMPARE(served(*sim, sim->Agent(), cell(8, PppRow)), status);
    QCOMPARE(served(*sim, sim->Agent(), cell(8, LanRow)), std::string("1"));
    QCOMPARE(served(*sim, sim->Agent(), cell(8, UsbRow)), std::string("1"));

    // ifLastChange tells when the last change happened, in the router's uptime.
    const milliseconds change = sim->LastChangeAt(milliseconds(elapsedMs));
    const std::string lastChange = served(*sim, sim->Agent(), cell(9, PppRow));
    if (change.count() < 0)
        QCOMPARE(lastChange, std::string("2190"));
    else
        QCOMPARE(lastChange, std::to_string(ProfileUpTime + std::uint64_t(change.count()) / 10));
}

void TestRouterSim::countersFollowTheLink_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<quint64>("base"); // 0: the profile's value
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<quint64>("growth");
    QTest::addRow("PPP in, up for 60 s")
        << 10 << PppRow << quint64(0) << qint64(60000) << quint64(12000000);
    QTest::addRow("PPP in, still during the drop")
        << 10 << PppRow << quint64(0) << qint64(79999) << quint64(12000000);
    QTest::addRow("PPP in, 10 s after the drop")
        << 10 << PppRow << quint64(0) << qint64(90000) << quint64(14000000);
    QTest::addRow("PPP out") << 16 << PppRow << quint64(0) << qint64(90000) << quint64(2100000);
    QTest::addRow("PPP in packets") << 11 << PppRow << quint64(0) << qint64(10500) << quint64(2100);
    QTest::addRow("ATM in carries the cell headers")
        << 10 << AtmRow << quint64(0) << qint64(48000) << quint64(10600000);
    QTest::addRow("LAN does not move") << 10 << LanRow << quint64(0) << qint64(90000) << quint64(0);
    QTest::addRow("errors do not move")
        << 14 << AtmRow << quint64(0) << qint64(90000) << quint64(0);
    QTest::addRow("wraps at 2^32")
        << 10 << PppRow << quint64(4294967296u - 150000) << qint64(1000) << quint64(200000);
}

void TestRouterSim::countersFollowTheLink() {
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(quint64, base);
    QFETCH(qint64, elapsedMs);
    QFETCH(quint64, growth);
    auto sim = demo();
    if (base == 0)
        base = std::stoull(served(*sim, sim->Agent(), cell(column, row)));
    else
        sim->Agent().SetCounter(cell(column, row), base);
    clockMs = elapsedMs;
    QCOMPARE(served(*sim, sim->Agent(), cell(column, row)),
             std::to_string((base + growth) % 4294967296u));
}

void TestRouterSim::lineFiguresDriftWithinBounds_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<int>("bound");
    const int margin = int(RouterSimulation::MarginDrift);
    const int attenuation = int(RouterSimulation::AttenuationDrift);
    QTest::addRow("downstream margin") << QString::fromStdString(Adsl + "3.1.4.2") << margin;
    QTest::addRow("downstream attenuation")
        << QString::fromStdString(Adsl + "3.1.5.2") << attenuation;
    QTest::addRow("upstream margin") << QString::fromStdString(Adsl + "2.1.4.2") << margin;
    QTest::addRow("upstream attenuation")
        << QString::fromStdString(Adsl + "2.1.5.2") << attenuation;
    QTest::addRow("output power holds still") << QString::fromStdString(Adsl + "3.1.7.2") << 0;
}

void TestRouterSim::lineFiguresDriftWithinBounds() {
    QFETCH(QString, oid);
    QFETCH(int, bound);
    auto sim = demo();
    const std::string name = oid.toStdString();
    const long profile = std::stol(profileValue(sim->Agent(), name));
    std::set<long> seen;
    for (long long t = 0; t < 900000; t += 1000) {
        clockMs = t;
        const long value = std::stol(served(*sim, sim->Agent(), name));
        QVERIFY2(std::labs(value - profile) <= bound, std::to_string(value).c_str());
        seen.insert(value);
    }
    QVERIFY(seen.size() >= std::size_t(bound + 1)); // it does wander
}

void TestRouterSim::agentServesLiveValues() {
    auto sim = demo();
    QVERIFY(sim->Start(0, "vormel"));
    const std::string host = "127.0.0.1:" + std::to_string(sim->Port());
    std::string value;
    clockMs = 65000;
    QVERIFY(SnmpGetValue(UpTime, "vormel", host, value));
    QCOMPARE(value, std::to_string(ProfileUpTime + 6500));
    QVERIFY(SnmpGetValue(cell(8, PppRow), "vormel", host, value));
    QCOMPARE(value, std::string("2"));

    // The address table as the IP page walks it: five columns of two rows.
    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.4.20", "vormel", host, rows));
    QCOMPARE(rows, (std::vector<std::string>{"\"192.168.1.253\"", "\"203.0.113.47\"", "\"7\"",
                                             "\"6\"", "\"255.255.255.0\"", "\"255.255.255.255\"",
                                             "\"1\"", "\"1\"", "\"65535\"", "\"65535\""}));
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.7.5.1.2", "vormel", host, rows));
    QCOMPARE(rows, (std::vector<std::string>{"\"53\"", "\"161\"", "\"67\""}));

    // Another community gets no answer.
    const RequestOptions shortWait{300};
    QVERIFY(!SnmpGetValue(UpTime, "public", host, value, shortWait));
    sim->Stop();
}

void TestRouterSim::executableExitCodes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("profileText"); // written to a file passed as --profile
    QTest::addColumn<bool>("occupyPort");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addRow("bad profile") << QStringList() << "# demo\n\n\n1.3.6.1.2.1.1.7.0|2|x\n"
                                 << false << 2 << "line 4: bad INTEGER 'x'";
    QTest::addRow("missing profile") << QStringList{"--profile", "/nonexistent.snmprec"}
                                     << QString() << false << 2 << "cannot open";
    QTest::addRow("unknown option")
        << QStringList{"--verbose"} << QString() << false << 2 << "unknown option '--verbose'";
    QTest::addRow("port out of range")
        << QStringList{"--port", "70000"} << QString() << false << 2 << "--port wants a number";
    QTest::addRow("drop longer than period")
        << QStringList{"--drop-every=20", "--drop-length=20"} << QString() << false << 2
        << "shorter than the period";
    QTest::addRow("port in use") << QStringList() << QString() << true << 1
                                 << "Address already in use";
    QTest::addRow("drop an interface the profile lacks")
        << QStringList{"--drop-if", "9"} << QString() << false << 2 << "has no interface 9";
    QTest::addRow("traffic on no number") << QStringList{"--traffic-if=4,x"} << QString() << false
                                          << 2 << "--traffic-if wants interface numbers";
}

void TestRouterSim::executableExitCodes() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, profileText);
    QFETCH(bool, occupyPort);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (!profileText.isEmpty()) {
        QFile file(dir.filePath("bad.snmprec"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(profileText.toUtf8());
        file.close();
        arguments << "--profile" << file.fileName();
    }
    LoopbackAgent occupant;
    if (occupyPort) {
        QVERIFY(occupant.Start(0));
        arguments << "--port" << QString::number(occupant.Port());
    } else if (!arguments.contains("--port")) {
        arguments << "--port"
                  << "0";
    }
    QProcess process;
    process.start(VANTREL_ROUTERSIM_EXE, arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(process.exitCode(), exitCode);
}

void TestRouterSim::executableStopsOnSignal_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addRow("SIGTERM") << int(SIGTERM);
    QTest::addRow("SIGINT") << int(SIGINT);
}

void TestRouterSim::executableStopsOnSignal() {
    QFETCH(int, signalNumber);
    QProcess process;
    process.start(VANTREL_ROUTERSIM_EXE, {"--port", "0", "--community", "demo"});
    QVERIFY(process.waitForStarted());
    QString out;
    QRegularExpressionMatch ready;
    const QRegularExpression line("serving .+ on 127\\.0\\.0\\.1:(\\d+), community demo\\n");
    QTRY_VERIFY_WITH_TIMEOUT((out += QString::fromLocal8Bit(process.readAllStandardOutput()),
                              (ready = line.match(out)).hasMatch()),
                             5000);
    std::string value;
    QVERIFY(SnmpGetValue("1.3.6.1.2.1.1.5.0", "demo",
                         "127.0.0.1:" + ready.captured(1).toStdString(), value));
    QCOMPARE(value, std::string("dr410-home"));

    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signalNumber), 0);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardOutput()).contains("stopped"));
}

void TestRouterSim::otherRouters_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("linkRows"); // they drop and, by default, carry the traffic
    QTest::addColumn<int>("wanRow");       // one of them, not an ATM one
    QTest::addColumn<int>("lanRow");       // stays up, counts nothing
    QTest::addRow("ADSL: line, channels, ATM, PPP") << "korvane-ka2100-adsl"
                                                    << "11,12,13,14,15" << 15 << 3;
    QTest::addRow("no ifNumber") << "meridel-m740-adsl2plus"
                                 << "4,5,6,7" << 7 << 8;
    QTest::addRow("VDSL2") << "tessaro-tv5500-vdsl2"
                           << "8,9,12" << 12 << 2;
    QTest::addRow("bridge modem: the bridge is the LAN's") << "halvik-hb300-vdsl2-bridge"
                                                           << "4,5" << 5 << 2;
    QTest::addRow("indexes up to 15201") << "orbant-sg60-gateway"
                                         << "201,202,15201" << 15201 << 102;
    QTest::addRow("no stack table") << "quillon-qr18-adsl2"
                                    << "16,42,43" << 16 << 10;
    QTest::addRow("G.SHDSL") << "strela-sr2-shdsl"
                             << "2,3,4" << 4 << 10;
}

void TestRouterSim::otherRouters() {
    QFETCH(QString, recording);
    QFETCH(QString, linkRows);
    QFETCH(int, wanRow);
    QFETCH(int, lanRow);
    auto sim = recorded(recording);
    QCOMPARE(rowsText(sim->LinkRows()), linkRows);
    QCOMPARE(sim->TrafficRows(), sim->LinkRows());
    LoopbackAgent &agent = sim->Agent();
    const int top = wanRow;
    const std::uint64_t in = std::stoull(profileValue(agent, cell(10, top)));
    const std::uint64_t lanIn = std::stoull(profileValue(agent, cell(10, lanRow)));
    const std::string uptime = profileValue(agent, UpTime);

    clockMs = 60000; // the first drop begins
    QCOMPARE(served(*sim, agent, cell(8, top)), std::string("2"));
    QCOMPARE(served(*sim, agent, cell(8, lanRow)), std::string("1"));
    QCOMPARE(served(*sim, agent, UpTime), std::to_string(std::stoull(uptime) + 6000));
    // 60 s of traffic, in the 32-bit counter and in the 64-bit one.
    QCOMPARE(std::stoull(served(*sim, agent, cell(10, top))), (in + 12000000) % 4294967296u);
    QCOMPARE(std::stoull(served(*sim, agent, cell(10, lanRow))), lanIn);
    // This client renders no Counter64: compare the 64-bit counter's bytes.
    const std::string hc = "1.3.6.1.2.1.31.1.1.1.6." + std::to_string(top);
    if (auto value = agent.Get(hc)) {
        std::uint64_t base = 0;
        for (unsigned char c : value->content)
            base = (base << 8) | c;
        sim->Apply(hc, *value);
        QCOMPARE(value->content, ber::UnsignedContent(base + 12000000));
    }
    clockMs = 80000;
    QCOMPARE(served(*sim, agent, cell(8, top)), std::string("1"));
}

void TestRouterSim::dropAnyInterface_data() {
    QTest::addColumn<QString>("recording"); // empty: the demo router
    QTest::addColumn<int>("dropRow");
    QTest::addColumn<int>("trafficRow"); // 0: the default
    QTest::addColumn<int>("quietRow");   // neither drops nor counts
    QTest::addRow("the demo router's LAN") << "" << LanRow << 0 << AtmRow;
    QTest::addRow("the demo router's USB, traffic on its LAN") << "" << UsbRow << LanRow << PppRow;
    QTest::addRow("a VDSL2 router's PPPoE only") << "tessaro-tv5500-vdsl2" << 12 << 0 << 8;
}

void TestRouterSim::dropAnyInterface() {
    QFETCH(QString, recording);
    QFETCH(int, dropRow);
    QFETCH(int, trafficRow);
    QFETCH(int, quietRow);
    auto sim = recording.isEmpty() ? demo() : recorded(recording);
    sim->SetDropRows({dropRow});
    if (trafficRow != 0)
        sim->SetTrafficRows({trafficRow});
    const int counting = trafficRow != 0 ? trafficRow : dropRow;
    LoopbackAgent &agent = sim->Agent();
    const std::uint64_t in = std::stoull(profileValue(agent, cell(10, counting)));
    const std::string quietIn = profileValue(agent, cell(10, quietRow));
    clockMs = 65000;
    QCOMPARE(served(*sim, agent, cell(8, dropRow)), std::string("2"));
    QCOMPARE(served(*sim, agent, cell(8, quietRow)), profileValue(agent, cell(8, quietRow)));
    QCOMPARE(std::stoull(served(*sim, agent, cell(10, counting))), (in + 12000000) % 4294967296u);
    QCOMPARE(served(*sim, agent, cell(10, quietRow)), quietIn);
}

void TestRouterSim::restart_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<qint64>("restartMs");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<QString>("expected");
    const QString ppp = QString::fromStdString(cell(10, PppRow));
    QTest::addRow("uptime from zero")
        << QString::fromStdString(UpTime) << qint64(30000) << qint64(42345) << "1234";
    QTest::addRow("uptime right at the restart")
        << QString::fromStdString(UpTime) << qint64(30000) << qint64(30000) << "0";
    QTest::addRow("WAN octets: 10 s of traffic since")
        << ppp << qint64(30000) << qint64(40000) << "2000000";
    // Restarted at 50 s; 60-80 s is a drop: 10 s of traffic before it, 5 s after.
    QTest::addRow("WAN octets across a drop") << ppp << qint64(50000) << qint64(85000) << "3000000";
    QTest::addRow("ATM octets carry the cell headers")
        << QString::fromStdString(cell(10, AtmRow)) << qint64(0) << qint64(48000) << "10600000";
    QTest::addRow("LAN octets from zero")
        << QString::fromStdString(cell(10, LanRow)) << qint64(1000) << qint64(90000) << "0";
    QTest::addRow("SNMP counters from zero")
        << "1.3.6.1.2.1.11.1.0" << qint64(1000) << qint64(2000) << "0";
    QTest::addRow("line error counters from zero")
        << QString::fromStdString(Adsl + "7.1.4.2") << qint64(1000) << qint64(2000) << "0";
    QTest::addRow("a gauge keeps its value")
        << QString::fromStdString(cell(5, PppRow)) << qint64(1000) << qint64(2000) << "8128000";
    QTest::addRow("the last change before the restart is at zero")
        << QString::fromStdString(cell(9, PppRow)) << qint64(70000) << qint64(75000) << "0";
    QTest::addRow("the link's return after the restart")
        << QString::fromStdString(cell(9, PppRow)) << qint64(70000) << qint64(85000) << "1000";
}

void TestRouterSim::restart() {
    QFETCH(QString, oid);
    QFETCH(qint64, restartMs);
    QFETCH(qint64, nowMs);
    QFETCH(QString, expected);
    auto sim = demo();
    QCOMPARE(sim->RestartedAt(), milliseconds(-1));
    clockMs = restartMs;
    sim->Restart();
    QCOMPARE(sim->RestartedAt(), milliseconds(restartMs));
    clockMs = nowMs;
    QCOMPARE(QString::fromStdString(served(*sim, sim->Agent(), oid.toStdString())), expected);
}

void TestRouterSim::executableRestartsOnSignal() {
    QProcess process;
    process.start(VANTREL_ROUTERSIM_EXE,
                  {"--port", "0", "--profile",
                   QString(VANTREL_ROUTERS_DIR) + "/meridel-m740-adsl2plus.snmprec"});
    QVERIFY(process.waitForStarted());
    QString out;
    QRegularExpressionMatch ready;
    const QRegularExpression line("on 127\\.0\\.0\\.1:(\\d+), .*\\n(.*\\n)*.*SIGUSR1");
    QTRY_VERIFY_WITH_TIMEOUT((out += QString::fromLocal8Bit(process.readAllStandardOutput()),
                              (ready = line.match(out)).hasMatch()),
                             5000);
    QVERIFY2(out.contains("link (ifTable rows 4, 5, 6, 7)"), qPrintable(out));
    const std::string host = "127.0.0.1:" + ready.captured(1).toStdString();
    std::string before, after, octets;
    QVERIFY(SnmpGetValue(UpTime, "vormel", host, before));
    QVERIFY(std::stoull(before) >= 9912207);

    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGUSR1), 0);
    QTRY_VERIFY_WITH_TIMEOUT((out += QString::fromLocal8Bit(process.readAllStandardOutput()),
                              out.contains("uptime and counters from zero")),
                             5000);
    QVERIFY(SnmpGetValue(UpTime, "vormel", host, after));
    QVERIFY2(std::stoull(after) < 1000, after.c_str());
    QVERIFY(SnmpGetValue(cell(10, 2), "vormel", host, octets)); // the LAN port
    QCOMPARE(octets, std::string("0"));

    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGTERM), 0);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestRouterSim)
#include "tst_routersim.moc"
