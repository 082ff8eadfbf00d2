// The loopback agent's recording loader: the shapes real recordings hold, the values they
// become on the wire, and the line-numbered errors for lines that are really malformed.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/snmpsend.h"

#include <QTest>

using namespace vantrel::snmp;
using namespace vantrel::tools;

class TestSnmprec : public QObject {
    Q_OBJECT

private slots:
    void line_data();
    void line();
    void recording();
};

void TestSnmprec::line_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("tag"); // -1: refused
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    const auto ok = [](const char *name, const QByteArray &line, int tag,
                       const QByteArray &content) {
        QTest::addRow("%s", name) << line << tag << content << QString();
    };
    const auto bad = [](const char *name, const QByteArray &line, const char *error) {
        QTest::addRow("%s", name) << line << -1 << QByteArray() << QString(error);
    };
    ok("OCTET STRING", "1.3.6.1.2.1.1.1.0|4|Linux host 5.10.0-8-amd64 #1 SMP x86_64", 0x04,
       "Linux host 5.10.0-8-amd64 #1 SMP x86_64");
    ok("commas and double quotes", "1.3.6.1.2.1.1.6.0|4|\"Server room, rack 3\"", 0x04,
       "\"Server room, rack 3\"");
    ok("bars inside the value", "1.3.6.1.2.1.1.4.0|4|a|b||", 0x04, "a|b||");
    ok("empty string", "1.3.6.1.2.1.1.4.0|4|", 0x04, "");
    ok("hexadecimal string", "1.3.6.1.2.1.2.2.1.6.2|4x|525400A2b3c4", 0x04,
       QByteArray::fromHex("525400a2b3c4"));
    ok("INTEGER", "1.3.6.1.2.1.2.2.1.7.1|2|-2147483648", 0x02, QByteArray::fromHex("80000000"));
    ok("hexadecimal INTEGER", "1.3.6.1.2.1.2.2.1.7.1|2x|2d3132", 0x02,
       QByteArray::fromHex("f4")); // "-12"
    ok("Counter32", "1.3.6.1.2.1.2.2.1.10.2|65|4294967295", 0x41,
       QByteArray::fromHex("00ffffffff"));
    ok("Gauge32 in hexadecimal", "1.3.6.1.2.1.2.2.1.5.2|66x|3130303030303030", 0x42,
       QByteArray::fromHex("00989680"));
    ok("TimeTicks", "1.3.6.1.2.1.1.3.0|67|263412345", 0x43, QByteArray::fromHex("0fb35a79"));
    ok("Counter64 largest", "1.3.6.1.2.1.31.1.1.1.6.2|70|18446744073709551615", 0x46,
       QByteArray::fromHex("00ffffffffffffffff"));
    ok("IpAddress dotted", "1.3.6.1.2.1.4.20.1.1.127.0.0.1|64|127.0.0.1", 0x40,
       QByteArray::fromHex("7f000001"));
    ok("IpAddress as its four raw bytes", "1.3.6.1.2.1.4.21.1.7.0.0.0.0|64|J}M}", 0x40,
       QByteArray::fromHex("4a7d4d7d"));
    ok("IpAddress raw bytes holding a bar", "1.3.6.1.2.1.4.21.1.7.0.0.0.0|64||a|b", 0x40,
       QByteArray("|a|b"));
    ok("IpAddress in hexadecimal", "1.3.6.1.2.1.4.20.1.1.10.0.2.15|64x|0a00020f", 0x40,
       QByteArray::fromHex("0a00020f"));
    ok("OBJECT IDENTIFIER", "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.8072.3.2.10", 0x06,
       QByteArray::fromHex("2b06010401bf0803020a"));
    ok("Opaque in hexadecimal", "1.3.6.1.4.1.2021.10.1.6.1|68x|9f78043da3d70a", 0x44,
       QByteArray::fromHex("9f78043da3d70a"));
    ok("Opaque as text", "1.3.6.1.4.1.2021.10.1.6.2|68|raw", 0x44, "raw");
    ok("NULL", "1.3.6.1.2.1.1.9.1.2.1|5|", 0x05, "");
    ok("a tag no type has", "1.3.6.1.2.1.1.9.1.2.1|71x|0102", 0x47, QByteArray::fromHex("0102"));
    ok("first arc 2, large second arc", "2.999.1|2|1", 0x02, QByteArray::fromHex("01"));

    bad("three raw bytes are no IpAddress", "1.3.6.1.2.1.4.21.1.7.0.0.0.0|64|J}M",
        "bad IpAddress 'J}M'");
    bad("dotted IpAddress of three parts", "1.3.6.1.2.1.4.20.1.1.1.2.3|64|1.2.3",
        "bad IpAddress '1.2.3'");
    bad("IpAddress of 5 hexadecimal bytes", "1.3.6.1.2.1.4.20.1.1.1.2.3|64x|0102030405",
        "bad IpAddress '\x01\x02\x03\x04\x05'");
    bad("odd hexadecimal", "1.3.6.1.2.1.2.2.1.6.2|4x|525", "bad hexadecimal value '525'");
    bad("hexadecimal with a blank", "1.3.6.1.2.1.2.2.1.6.2|4x|52 54",
        "bad hexadecimal value '52 54'");
    bad("INTEGER beyond 32 bits", "1.3.6.1.2.1.2.2.1.7.1|2|2147483648", "bad INTEGER '2147483648'");
    bad("INTEGER as a word", "1.3.6.1.2.1.2.2.1.7.1|2|up", "bad INTEGER 'up'");
    bad("Counter32 beyond 32 bits", "1.3.6.1.2.1.2.2.1.10.2|65|4294967296",
        "bad unsigned value '4294967296'");
    bad("Counter64 beyond 64 bits", "1.3.6.1.2.1.31.1.1.1.6.2|70|18446744073709551616",
        "bad unsigned value '18446744073709551616'");
    bad("negative Counter64", "1.3.6.1.2.1.31.1.1.1.6.2|70|-1", "bad unsigned value '-1'");
    bad("tag word", "1.3.6.1.2.1.1.1.0|OCTETSTR|x", "bad tag 'OCTETSTR'");
    bad("tag beyond a byte", "1.3.6.1.2.1.1.1.0|256|x", "bad tag '256'");
    bad("tag opening a longer tag", "1.3.6.1.2.1.1.1.0|31|x", "bad tag '31'");
    bad("one bar", "1.3.6.1.2.1.1.1.0|4", "expected OID|tag|value");
    bad("name with a word", "1.3.6.1.2.1.x.0|4|v", "bad OID '1.3.6.1.2.1.x.0'");
    bad("name of one arc", "1|4|v", "bad OID '1'");
    bad("name whose first arc is 3", "3.1|4|v", "bad OID '3.1'");
    bad("name whose second arc is 40", "1.40.1|4|v", "bad OID '1.40.1'");
    bad("name arc beyond 32 bits", "1.3.4294967296|4|v", "bad OID '1.3.4294967296'");
    bad("OBJECT IDENTIFIER value of one arc", "1.3.6.1.2.1.1.2.0|6|1", "bad OBJECT IDENTIFIER '1'");
}

void TestSnmprec::line() {
    QFETCH(QByteArray, line);
    QFETCH(int, tag);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    std::string oid, why;
    AgentValue value;
    const bool ok = LoopbackAgent::ParseSnmprecLine(line.toStdString(), oid, value, &why);
    QCOMPARE(QString::fromStdString(why), error);
    QCOMPARE(ok, tag >= 0);
    if (ok) {
        QCOMPARE(value.tag, tag);
        QCOMPARE(QByteArray::fromStdString(value.content).toHex(' '), content.toHex(' '));
    }
}

void TestSnmprec::recording() {
    // The head of a recording of a Linux host, with CR LF line ends and a comment.
    const std::string text = "# recorded\r\n"
                             "1.3.6.1.2.1.1.1.0|4|Linux gw 6.1.0-13-amd64\r\n"
                             "1.3.6.1.2.1.1.3.0|67|1234\r\n"
                             "\r\n"
                             "1.3.6.1.2.1.4.21.1.7.74.125.77.0|64|J}M}\r\n"
                             "1.3.6.1.2.1.31.1.1.1.6.2|70|18446744073709551615\r\n";
    LoopbackAgent agent("public");
    std::string error;
    QVERIFY2(agent.LoadSnmprec(text, &error), error.c_str());
    QVERIFY(agent.Start());

    // What the program shows of the served values.
    std::string value;
    QVERIFY(SnmpGetValue("1.3.6.1.2.1.4.21.1.7.74.125.77.0", "public", agent.Host(), value));
    QCOMPARE(QByteArray::fromStdString(value), QByteArray("74.125.77.125"));
    QVERIFY(SnmpGetValue("1.3.6.1.2.1.1.1.0", "public", agent.Host(), value));
    QCOMPARE(QByteArray::fromStdString(value), QByteArray("Linux gw 6.1.0-13-amd64"));
    // A Counter64 reaches v2c; over v1, which cannot carry it, the agent has no such object.
    QVERIFY(SnmpGetValue("1.3.6.1.2.1.31.1.1.1.6.2", "public", agent.Host(), value));
    QCOMPARE(QByteArray::fromStdString(value), QByteArray());
    ClientConfig v2c;
    v2c.target = agent.Host();
    v2c.version = Version::V2c;
    v2c.community = "public";
    Client client(v2c);
    const Response r = client.Get({"1.3.6.1.2.1.31.1.1.1.6.2"});
    QVERIFY(r.Value("1.3.6.1.2.1.31.1.1.1.6.2"));
    QCOMPARE(ValueText(*r.Value("1.3.6.1.2.1.31.1.1.1.6.2")), "18446744073709551615");

    // A malformed line is reported with its number and the old objects stay.
    QVERIFY(!agent.LoadSnmprec(text + "1.3.6.1.2.1.1.5.0|64|J}M\r\n", &error));
    QCOMPARE(QString::fromStdString(error), QStringLiteral("line 7: bad IpAddress 'J}M'"));
    QVERIFY(agent.Get("1.3.6.1.2.1.1.3.0"));
}

QTEST_GUILESS_MAIN(TestSnmprec)
#include "tst_snmprec.moc"
