// Interface discovery on recordings of routers of other makers and line types: which interface
// is the line, its channels, the WAN and the LAN, the WAN address, the user's own choice, and
// the walks' bindings as the client receives them.

#include "core/discovery.h"
#include "recording.h"
#include "snmp/client.h"

#include <QTest>

using namespace vantrel::core;
using vantrel::testsupport::Recording;

namespace {

QString indexText(const std::optional<std::int64_t> &index) {
    return index ? QString::number(*index) : QStringLiteral("-");
}

QString listText(const std::vector<std::int64_t> &indexes) {
    QStringList parts;
    for (std::int64_t i : indexes)
        parts << QString::number(i);
    return parts.join(QLatin1Char(','));
}

// "role line/channels/wan/lan wanAddress lanAddress" in one line, "-" for nothing.
QString decisionText(const Discovery &d) {
    return QStringLiteral("%1 line %2 ch %3 wan %4 lan %5 %6 %7")
        .arg(QLatin1String(LineKindText(d.lineKind)), indexText(d.line), listText(d.channels),
             indexText(d.wan), indexText(d.lan),
             d.wanAddress.empty() ? QStringLiteral("-") : QString::fromStdString(d.wanAddress),
             d.lanAddress.empty() ? QStringLiteral("-") : QString::fromStdString(d.lanAddress));
}

DiscoveryInput recorded(const QString &name) {
    Recording recording;
    std::string error;
    if (!recording.Load(Recording::Path(name.toStdString()), &error))
        qWarning("%s: %s", qPrintable(name), error.c_str());
    return DiscoveryInputFromBindings(recording.DiscoveryWalks());
}

// Bindings written as "oid=value" texts.
std::vector<WalkBinding> bindings(const QStringList &texts) {
    std::vector<WalkBinding> out;
    for (const QString &t : texts) {
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        out.push_back({t.left(eq).toStdString(), t.mid(eq + 1).toStdString()});
    }
    return out;
}

const QString IfType = QStringLiteral("1.3.6.1.2.1.2.2.1.3.");
const QString IfOper = QStringLiteral("1.3.6.1.2.1.2.2.1.8.");
const QString Stack = QStringLiteral("1.3.6.1.2.1.31.1.2.1.3.");
const QString AddrIf = QStringLiteral("1.3.6.1.2.1.4.20.1.2.");

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
private slots:
    void eachRecording_data();
    void eachRecording();
    void liveWalkGivesTheSameRows();
    void usersChoiceWins_data();
    void usersChoiceWins();
    void awkwardTables_data();
    void awkwardTables();
    void addressClasses_data();
    void addressClasses();
};

void TestDiscovery::eachRecording_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("decision");
    QTest::addColumn<QString>("summary");
    QTest::addRow("ADSL, channels 12 and 13")
        << "korvane-ka2100-adsl"
        << "ADSL line 11 ch 12,13 wan 15 lan 3 203.0.113.18 192.168.10.1"
        << "ADSL line at interface 11; WAN: ppp0 (interface 15); LAN: br0 (interface 3)";
    QTest::addRow("ADSL2+, no ifNumber, addresses only in the index")
        << "meridel-m740-adsl2plus"
        << "ADSL2+ line 4 ch 5 wan 7 lan 8 198.51.100.77 192.168.1.1"
        << "ADSL2+ line at interface 4; WAN: ppp0 (interface 7); LAN: br0 (interface 8)";
    QTest::addRow("VDSL2 router with a guest LAN")
        << "tessaro-tv5500-vdsl2"
        << "VDSL2 line 8 ch 9 wan 12 lan 2 203.0.113.200 192.168.1.1"
        << "VDSL2 line at interface 8; WAN: pppoe0 (interface 12); LAN: br0 (interface 2)";
    QTest::addRow("VDSL2 bridge modem, no public address, no ifXTable")
        << "halvik-hb300-vdsl2-bridge"
        << "VDSL2 line 4 ch 5 wan 5 lan 2 - 192.168.100.1"
        << "VDSL2 line at interface 4; WAN: ptm0 (interface 5); LAN: br0 (interface 2)";
    QTest::addRow("gateway, indexes 101 to 15201, no line MIB")
        << "orbant-sg60-gateway"
        << "ADSL2+ line 201 ch 202 wan 15201 lan 102 192.0.2.55 10.10.0.1"
        << "ADSL2+ line at interface 201; WAN: pppoe-adsl (interface 15201); "
           "LAN: internal (interface 102)";
    QTest::addRow("line at 42 with ifNumber 18, shared WAN address, no stack table")
        << "quillon-qr18-adsl2"
        << "ADSL2 line 42 ch  wan 16 lan 10 100.64.12.7 192.168.178.1"
        << "ADSL2 line at interface 42; WAN: pppoa0 (interface 16); LAN: br-lan (interface 10)";
    QTest::addRow("G.SHDSL")
        << "strela-sr2-shdsl"
        << "G.SHDSL line 2 ch 3 wan 4 lan 10 198.51.100.9 192.168.0.254"
        << "G.SHDSL line at interface 2; WAN: ppp0 (interface 4); LAN: vlan1 (interface 10)";
}

void TestDiscovery::eachRecording() {
    QFETCH(QString, recording);
    QFETCH(QString, decision);
    QFETCH(QString, summary);
    const DiscoveryInput input = recorded(recording);
    const Discovery d = Discover(input);
    QCOMPARE(decisionText(d), decision);
    QCOMPARE(DiscoverySummary(d, input), summary);
    QCOMPARE(d.LinkInterface(), d.line);
}

void TestDiscovery::liveWalkGivesTheSameRows() {
    // The client's own rendering of the replies, from an agent that serves the recording.
    vantrel::tools::LoopbackAgent agent("public");
    std::string error;
    QVERIFY2(agent.LoadSnmprecFile(Recording::Path("meridel-m740-adsl2plus"), &error),
             error.c_str());
    QVERIFY(agent.Start(0));
    std::vector<WalkBinding> walked;
    vantrel::snmp::ClientConfig config;
    config.target = agent.Host();
    config.community = "public";
    config.timeoutMs = 2000;
    vantrel::snmp::Client client(config);
    for (const std::string &base : DiscoveryWalkBases()) {
        const vantrel::snmp::WalkResult walk = client.Walk(base);
        QCOMPARE(walk.outcome, vantrel::snmp::Outcome::Ok);
        for (const vantrel::snmp::VarBind &binding : walk.bindings)
            walked.push_back({binding.oid, vantrel::snmp::ValueText(binding)});
    }
    agent.Stop();

    const DiscoveryInput live = DiscoveryInputFromBindings(walked);
    const DiscoveryInput offline = recorded("meridel-m740-adsl2plus");
    QCOMPARE(live.interfaces.size(), std::size_t(9));
    QCOMPARE(live.stack.size(), offline.stack.size());
    QCOMPARE(live.addresses.size(), std::size_t(3));
    QCOMPARE(decisionText(Discover(live)), decisionText(Discover(offline)));
    QCOMPARE(live.Find(4)->name, std::string("dsl0"));
    QCOMPARE(live.Find(4)->speed, std::optional<std::uint32_t>(18432000));
}

void TestDiscovery::usersChoiceWins_data() {
    QTest::addColumn<QString>("choice"); // line/wan/lan, empty parts as discovered
    QTest::addColumn<QString>("decision");
    QTest::addColumn<QString>("summary");
    QTest::addRow("as discovered") << "//"
                                   << "ADSL line 11 ch 12,13 wan 15 lan 3 203.0.113.18 192.168.10.1"
                                   << "ADSL line at interface 11; WAN: ppp0 (interface 15); "
                                      "LAN: br0 (interface 3)";
    QTest::addRow("WAN on the ATM interface, which holds no address")
        << "/14/"
        << "ADSL line 11 ch 12,13 wan 14 lan 3 - 192.168.10.1"
        << "ADSL line at interface 11; WAN: atm0 (interface 14); LAN: br0 (interface 3)";
    QTest::addRow("LAN on the PPP interface: its address is no longer the WAN's")
        << "//15"
        << "ADSL line 11 ch 12,13 wan 14 lan 15 - 203.0.113.18"
        << "ADSL line at interface 11; WAN: atm0 (interface 14); LAN: ppp0 (interface 15)";
    QTest::addRow("a channel as the line")
        << "12//"
        << "DSL line 12 ch 14 wan 15 lan 3 203.0.113.18 192.168.10.1"
        << "Line at interface 12; WAN: ppp0 (interface 15); LAN: br0 (interface 3)";
    QTest::addRow("a WAN the router does not list now")
        << "/99/"
        << "ADSL line 11 ch 12,13 wan 99 lan 3 - 192.168.10.1"
        << "ADSL line at interface 11; WAN: interface 99 (not listed by the router); "
           "LAN: br0 (interface 3)";
}

void TestDiscovery::usersChoiceWins() {
    QFETCH(QString, choice);
    QFETCH(QString, decision);
    QFETCH(QString, summary);
    const QStringList parts = choice.split(QLatin1Char('/'));
    auto index = [](const QString &t) {
        return t.isEmpty() ? std::nullopt : std::optional<std::int64_t>(t.toLongLong());
    };
    const InterfaceChoice chosen{index(parts[0]), index(parts[1]), index(parts[2])};
    const DiscoveryInput input = recorded("korvane-ka2100-adsl");
    const Discovery d = Discover(input, chosen);
    QCOMPARE(decisionText(d), decision);
    QCOMPARE(DiscoverySummary(d, input), summary);
    QCOMPARE(d.wanChosen, chosen.wan.has_value());
}

void TestDiscovery::awkwardTables_data() {
    QTest::addColumn<QStringList>("walks");
    QTest::addColumn<QString>("routerAddress");
    QTest::addColumn<QString>("decision");
    // Two private nets: the one the program reaches the router at is the LAN.
    const QStringList twoNets{IfType + "2=6", IfType + "3=6", AddrIf + "10.1.1.1=2",
                              AddrIf + "192.168.5.1=3"};
    QTest::addRow("two private nets, lowest index") << twoNets << ""
                                                    << "DSL line - ch  wan - lan 2 - 10.1.1.1";
    QTest::addRow("two private nets, the router's address")
        << twoNets << "192.168.5.1"
        << "DSL line - ch  wan - lan 3 - 192.168.5.1";
    // Behind another NAT: the PPP interface's private address is the WAN's, not a LAN.
    QTest::addRow("double NAT") << QStringList{IfType + "1=94",       IfType + "2=23",
                                               IfType + "3=209",      Stack + "2.1=1",
                                               AddrIf + "10.0.0.2=2", AddrIf + "192.168.1.1=3"}
                                << ""
                                << "ADSL line 1 ch 2 wan 2 lan 3 10.0.0.2 192.168.1.1";
    // Top and bottom markers (index 0) are no layers; a down PPP link keeps no address.
    QTest::addRow("stack markers, link down")
        << QStringList{IfType + "5=251", IfType + "6=6",          IfType + "7=23", IfOper + "5=2",
                       Stack + "0.7=1",  Stack + "7.6=1",         Stack + "6.5=1", Stack + "5.0=1",
                       IfType + "2=209", AddrIf + "192.168.1.1=2"}
        << ""
        << "VDSL2 line 5 ch 6 wan 7 lan 2 - 192.168.1.1";
    // Two lines: the one that is up.
    QTest::addRow("two lines") << QStringList{IfType + "3=94", IfOper + "3=2", IfType + "4=251",
                                              IfOper + "4=1"}
                               << ""
                               << "VDSL2 line 4 ch  wan - lan - - -";
    // Values that are not numbers and indexes out of range are passed over.
    QTest::addRow("garbage") << QStringList{IfType + "3=ninety-four", IfType + "0=94",
                                            AddrIf + "1.2.3=4", AddrIf + "300.1.1.1=4",
                                            Stack + "1.2.3=1"}
                             << ""
                             << "DSL line - ch  wan - lan - - -";
    // Channels without a stack table: the interleaved and fast interfaces.
    QTest::addRow("channels without stack")
        << QStringList{IfType + "1=238", IfType + "2=124", IfType + "3=125", IfType + "4=37",
                       AddrIf + "192.0.2.9=4"}
        << ""
        << "ADSL2+ line 1 ch 2,3 wan 4 lan - 192.0.2.9 -";
}

void TestDiscovery::awkwardTables() {
    QFETCH(QStringList, walks);
    QFETCH(QString, routerAddress);
    QFETCH(QString, decision);
    const DiscoveryInput input = DiscoveryInputFromBindings(bindings(walks));
    QCOMPARE(decisionText(Discover(input, {}, routerAddress.toStdString())), decision);
}

void TestDiscovery::addressClasses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("isPrivate");
    QTest::addColumn<bool>("isPublic");
    QTest::addRow("10/8") << "10.200.1.1" << true << false;
    QTest::addRow("172.16/12 low") << "172.16.0.1" << true << false;
    QTest::addRow("172.16/12 high") << "172.31.255.1" << true << false;
    QTest::addRow("172.32 is public") << "172.32.0.1" << false << true;
    QTest::addRow("192.168/16") << "192.168.1.1" << true << false;
    QTest::addRow("shared 100.64/10") << "100.127.0.1" << false << false;
    QTest::addRow("100.128 is public") << "100.128.0.1" << false << true;
    QTest::addRow("link-local") << "169.254.3.3" << false << false;
    QTest::addRow("loopback") << "127.0.0.1" << false << false;
    QTest::addRow("multicast") << "239.1.1.1" << false << false;
    QTest::addRow("not an address") << "192.168.1" << false << false;
}

void TestDiscovery::addressClasses() {
    QFETCH(QString, address);
    QFETCH(bool, isPrivate);
    QFETCH(bool, isPublic);
    QCOMPARE(IsPrivateAddress(address.toStdString()), isPrivate);
    QCOMPARE(IsPublicAddress(address.toStdString()), isPublic);
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
