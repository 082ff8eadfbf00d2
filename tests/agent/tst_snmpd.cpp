// Our GETs and walks against net-snmp's snmpd, an agent we did not write, compared with what
// net-snmp's own snmpget and snmpwalk report for the same objects. The agent is started by the
// snmpd fixture (snmpd_fixture.sh), which leaves its port in VANTREL_SNMPD_DIR.

#include "snmp/snmpsend.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace vantrel::snmp;

namespace {

const char *const Community = "vormel";

// One object as net-snmp reports it, its value turned into the text our client gives.
struct Varbind {
    QByteArray oid;
    QByteArray type;
    QByteArray value;
};

QByteArray bytes(const std::string &s) {
    return QByteArray::fromStdString(s);
}

// The walk's rule: values holding a control byte other than the tab become hexadecimal.
QByteArray walkText(const QByteArray &value) {
    for (char c : value)
        if (static_cast<unsigned char>(c) < 32 && c != '\t')
            return value.toHex();
    return value;
}

// Splits a walk line into its values: "a","b ""c""" gives a and b "c".
bool splitLine(const QByteArray &line, QList<QByteArray> &values) {
    values.clear();
    int i = 0;
    while (i < line.size()) {
        if (line[i] != '"')
            return false;
        QByteArray v;
        for (++i;; ++i) {
            if (i >= line.size())
                return false;
            if (line[i] == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    v += '"';
                    ++i;
                    continue;
                }
                break;
            }
            v += line[i];
        }
        values << v;
        ++i; // the closing quote
        if (i < line.size() && line[i++] != ',')
            return false;
    }
    return true;
}

} // namespace

class TestSnmpd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void get_data();
    void get();
    void knownAnswers();
    void noSuchName();
    void walk_data();
    void walk();
    void knownWalkLines();
    void walkPastEndOfMib();
    void wrongCommunity();
    void cleanup();

private:
    QList<Varbind> netSnmp(const QString &tool, const QByteArray &oid);
    bool sameValue(const Varbind &theirs, const QByteArray &ours) const;

    QString dir_;
    std::string host_;
};

void TestSnmpd::initTestCase() {
    dir_ = qEnvironmentVariable("VANTREL_SNMPD_DIR");
    QVERIFY2(!dir_.isEmpty(), "VANTREL_SNMPD_DIR is not set; run through ctest");
    QFile portFile(dir_ + "/port");
    QVERIFY2(portFile.open(QIODevice::ReadOnly), "no snmpd port file; did the fixture run?");
    const QByteArray port = portFile.readAll().trimmed();
    host_ = "127.0.0.1:" + port.toStdString();
}

void TestSnmpd::cleanup() {}

QList<Varbind> TestSnmpd::netSnmp(const QString &tool, const QByteArray &oid) {
    const QString program =
        qEnvironmentVariable(tool == "snmpget" ? "VANTREL_SNMPGET" : "VANTREL_SNMPWALK", tool);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SNMPCONFPATH", dir_); // no user or system snmp.conf
    env.insert("SNMP_PERSISTENT_DIR", dir_ + "/client");
    p.setProcessEnvironment(env);
    // Numeric names (-On), strings always in hexadecimal (-Ox), time ticks as a bare number
    // (-Ot), enumerations as numbers (-Oe).
    p.start(program, {"-v1", "-c", Community, "-m", "", "-r", "0", "-t", "3", "-On", "-Ox", "-Ot",
                      "-Oe", QString::fromStdString(host_), QString::fromLatin1(oid)});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        qWarning() << tool << "did not finish";
        return {};
    }
    QList<Varbind> out;
    static const QRegularExpression head(R"(^(\.[0-9.]+) = (.*)$)");
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const auto m = head.match(QString::fromLatin1(line));
        if (m.hasMatch())
            out << Varbind{m.captured(1).mid(1).toLatin1(), {}, m.captured(2).toLatin1()};
        else if (!out.isEmpty() && !line.isEmpty())
            out.last().value += ' ' + line; // a long hexadecimal string goes on
    }
    for (Varbind &v : out) {
        const int colon = v.value.indexOf(": ");
        if (v.value == "\"\"") {
            v.type = "STRING";
            v.value.clear();
        } else if (v.value == "NULL") {
            v.type = "NULL";
            v.value.clear();
        } else if (colon < 0) {
            v.type = "Timeticks"; // -Ot prints them without a type
        } else {
            v.type = v.value.left(colon);
            v.value = v.value.mid(colon + 2).trimmed();
            if (v.type == "Hex-STRING")
                v.value = QByteArray::fromHex(v.value);
            else if (v.type == "OID" && v.value.startsWith('.'))
                v.value = v.value.mid(1);
        }
    }
    return out;
}

bool TestSnmpd::sameValue(const Varbind &theirs, const QByteArray &ours) const {
    if (theirs.type == "Timeticks") // the agent's clock runs on between the two requests
        return qAbs(ours.toLongLong() - theirs.value.toLongLong()) <= 1000;
    return ours == theirs.value;
}

void TestSnmpd::get_data() {
    QTest::addColumn<QByteArray>("oid");

    QTest::addRow("sysDescr") << QByteArray("1.3.6.1.2.1.1.1.0");
    QTest::addRow("sysObjectID") << QByteArray("1.3.6.1.2.1.1.2.0");
    QTest::addRow("sysUpTime") << QByteArray("1.3.6.1.2.1.1.3.0");
    QTest::addRow("sysLocation with double quotes") << QByteArray("1.3.6.1.2.1.1.6.0");
    QTest::addRow("ifNumber") << QByteArray("1.3.6.1.2.1.2.1.0");
    QTest::addRow("ifDescr of the WAN") << QByteArray("1.3.6.1.2.1.2.2.1.2.4");
    QTest::addRow("ifPhysAddress with bytes below 32") << QByteArray("1.3.6.1.2.1.2.2.1.6.2");
    QTest::addRow("ifInOctets above 2^31") << QByteArray("1.3.6.1.2.1.2.2.1.10.4");
    QTest::addRow("ifOutOctets largest") << QByteArray("1.3.6.1.2.1.2.2.1.16.4");
    QTest::addRow("ipAdEntIfIndex") << QByteArray("1.3.6.1.2.1.4.20.1.2.192.168.1.253");
    QTest::addRow("ipAdEntNetMask, an IpAddress") << QByteArray("1.3.6.1.2.1.4.20.1.3.127.0.0.1");
    QTest::addRow("negative INTEGER") << QByteArray("1.3.6.1.4.1.763.3.1.2.0");
    QTest::addRow("largest Gauge") << QByteArray("1.3.6.1.4.1.763.3.1.3.0");
    QTest::addRow("OBJECT IDENTIFIER value") << QByteArray("1.3.6.1.4.1.763.3.1.4.0");
    QTest::addRow("bytes above 127") << QByteArray("1.3.6.1.4.1.763.3.1.5.0");
    QTest::addRow("newline and tab") << QByteArray("1.3.6.1.4.1.763.3.1.6.0");
    QTest::addRow("empty string") << QByteArray("1.3.6.1.4.1.763.3.1.7.0");
    QTest::addRow("largest INTEGER") << QByteArray("1.3.6.1.4.1.763.3.2.2.2");
}

void TestSnmpd::get() {
    QFETCH(QByteArray, oid);

    const QList<Varbind> theirs = netSnmp("snmpget", oid);
    QCOMPARE(theirs.size(), 1);
    QCOMPARE(theirs[0].oid, oid);

    std::string ours;
    QVERIFY(SnmpGetValue(oid.toStdString(), Community, host_, ours));
    QVERIFY2(sameValue(theirs[0], bytes(ours)),
             qPrintable(QString("%1 %2, ours %3")
                            .arg(QString::fromLatin1(theirs[0].type),
                                 QString::fromLatin1(theirs[0].value.toHex(' ')),
                                 QString::fromLatin1(bytes(ours).toHex(' ')))));
}

void TestSnmpd::knownAnswers() {
    const struct {
        const char *oid;
        QByteArray value;
    } known[] = {
        {"1.3.6.1.2.1.2.2.1.10.4", "3000000000"},
        {"1.3.6.1.2.1.2.2.1.16.4", "4294967295"},
        {"1.3.6.1.2.1.2.2.1.6.2", QByteArray::fromHex("000E501A2B3C")},
        {"1.3.6.1.2.1.1.6.0", "Room \"B\", shelf 2"},
        {"1.3.6.1.4.1.763.3.1.2.0", "-12"},
        {"1.3.6.1.4.1.763.3.1.4.0", "1.3.6.1.4.1.763.1"},
        {"1.3.6.1.2.1.4.20.1.3.127.0.0.1", "255.0.0.0"},
    };
    for (const auto &k : known) {
        std::string value;
        QVERIFY(SnmpGetValue(k.oid, Community, host_, value));
        QCOMPARE(bytes(value), k.value);
    }
}

void TestSnmpd::noSuchName() {
    const QByteArray oid = "1.3.6.1.2.1.1.99.0";
    QVERIFY(netSnmp("snmpget", oid).isEmpty()); // net-snmp reports the error, no value
    std::string value = "stale";
    QVERIFY(SnmpGetValue(oid.toStdString(), Community, host_, value));
    QVERIFY(value.empty());
}

void TestSnmpd::walk_data() {
    QTest::addColumn<QByteArray>("base");

    QTest::addRow("system group") << QByteArray("1.3.6.1.2.1.1");
    QTest::addRow("ifDescr column") << QByteArray("1.3.6.1.2.1.2.2.1.2");
    QTest::addRow("ifPhysAddress column") << QByteArray("1.3.6.1.2.1.2.2.1.6");
    QTest::addRow("ipAddrTable") << QByteArray("1.3.6.1.2.1.4.20");
    QTest::addRow("ipAdEntAddr column") << QByteArray("1.3.6.1.2.1.4.20.1.1");
    QTest::addRow("ipAdEntIfIndex column") << QByteArray("1.3.6.1.2.1.4.20.1.2");
    QTest::addRow("maker's objects") << QByteArray("1.3.6.1.4.1.763");
}

void TestSnmpd::walk() {
    QFETCH(QByteArray, base);

    const QList<Varbind> theirs = netSnmp("snmpwalk", base);
    QVERIFY(!theirs.isEmpty());

    // Their objects grouped by row key, the index behind the first arc after base.
    QList<QByteArray> keys;
    QList<QList<Varbind>> expected;
    for (const Varbind &v : theirs) {
        QVERIFY(v.oid.startsWith(base + '.'));
        const QByteArray rest = v.oid.mid(base.size() + 1);
        const int dot = rest.indexOf('.');
        const QByteArray key = dot < 0 ? QByteArray() : rest.mid(dot + 1);
        int line = keys.indexOf(key);
        if (line < 0) {
            keys << key;
            expected << QList<Varbind>();
            line = keys.size() - 1;
        }
        expected[line] << v;
    }

    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable(base.toStdString(), Community, host_, rows));
    QCOMPARE(int(rows.size()), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QList<QByteArray> values;
        QVERIFY2(splitLine(bytes(rows[i]), values), rows[i].c_str());
        QCOMPARE(values.size(), expected[i].size());
        for (int k = 0; k < values.size(); ++k) {
            Varbind theirsAsWalked = expected[i][k];
            theirsAsWalked.value = walkText(theirsAsWalked.value);
            QVERIFY2(sameValue(theirsAsWalked, values[k]),
                     qPrintable(QString("%1: theirs %2, ours %3")
                                    .arg(QString::fromLatin1(theirsAsWalked.oid),
                                         QString::fromLatin1(theirsAsWalked.value),
                                         QString::fromLatin1(values[k]))));
        }
    }
}

void TestSnmpd::knownWalkLines() {
    std::vector<std::string> rows;
    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.4.20.1.2", Community, host_, rows));
    // 10.0.0.138 on interface 3, then the agent's own 127.0.0.1 and 192.168.1.253 on 1.
    QCOMPARE(rows, (std::vector<std::string>{"\"3\"", "\"1\"", "\"1\""}));

    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.2.2.1.6", Community, host_, rows));
    QCOMPARE(rows, std::vector<std::string>{"\"\",\"000e501a2b3c\""});

    QVERIFY(SnmpWalkTable("1.3.6.1.2.1.1", Community, host_, rows));
    QVERIFY(!rows.empty());
    QVERIFY2(rows[0].find(",\"Room \"\"B\"\", shelf 2\",") != std::string::npos, rows[0].c_str());
}

void TestSnmpd::walkPastEndOfMib() {
    // A v1 agent answers past its last object with noSuchName, repeating the request's name.
    std::vector<std::string> rows{"stale"};
    QVERIFY(SnmpWalkTable("1.9", Community, host_, rows));
    QVERIFY(rows.empty());
}

void TestSnmpd::wrongCommunity() {
    // snmpd drops requests with an unknown community: no answer at all.
    const RequestOptions shortWait{300};
    std::string value = "stale";
    QVERIFY(!SnmpGetValue("1.3.6.1.2.1.1.1.0", "public", host_, value, shortWait));
    QVERIFY(value.empty());
    std::vector<std::string> rows;
    QVERIFY(!SnmpWalkTable("1.3.6.1.2.1.1", "public", host_, rows, shortWait));
    QCOMPARE(rows, std::vector<std::string>{"\"\""});
}

QTEST_GUILESS_MAIN(TestSnmpd)
#include "tst_snmpd.moc"
