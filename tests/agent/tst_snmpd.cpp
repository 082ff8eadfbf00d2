// Our GETs and walks against net-snmp's snmpd, an agent we did not write, compared with what
// net-snmp's own snmpget, snmpwalk and snmpbulkwalk report for the same objects, over v1, v2c
// and v3 at every security level; and the distinct outcomes of v3's failures. The agent is
// started by the snmpd fixture (snmpd_fixture.sh), which leaves its port in VANTREL_SNMPD_DIR.

#include "snmp/snmpsend.h"
#include "snmp/usmsession.h"

#include <QElapsedTimer>
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

// One way in: a version and, for v3, one of the fixture's users with its protocols.
struct Access {
    const char *name;
    Version version;
    const char *user;
    SecurityLevel level;
    AuthProtocol auth;
    const char *authName; // as net-snmp's tools name the protocols
    PrivProtocol priv;
    const char *privName;
};

const Access Accesses[] = {
    {"v1", Version::V1, "", SecurityLevel::NoAuthNoPriv, AuthProtocol::Sha1, "",
     PrivProtocol::Aes128, ""},
    {"v2c", Version::V2c, "", SecurityLevel::NoAuthNoPriv, AuthProtocol::Sha1, "",
     PrivProtocol::Aes128, ""},
    {"v3 noAuthNoPriv", Version::V3, "plain", SecurityLevel::NoAuthNoPriv, AuthProtocol::Sha1, "",
     PrivProtocol::Aes128, ""},
    {"v3 MD5", Version::V3, "authMD5", SecurityLevel::AuthNoPriv, AuthProtocol::Md5, "MD5",
     PrivProtocol::Aes128, ""},
    {"v3 SHA", Version::V3, "authSHA", SecurityLevel::AuthNoPriv, AuthProtocol::Sha1, "SHA",
     PrivProtocol::Aes128, ""},
    {"v3 SHA-224", Version::V3, "authSHA224", SecurityLevel::AuthNoPriv, AuthProtocol::Sha224,
     "SHA-224", PrivProtocol::Aes128, ""},
    {"v3 SHA-256", Version::V3, "authSHA256", SecurityLevel::AuthNoPriv, AuthProtocol::Sha256,
     "SHA-256", PrivProtocol::Aes128, ""},
    {"v3 SHA-384", Version::V3, "authSHA384", SecurityLevel::AuthNoPriv, AuthProtocol::Sha384,
     "SHA-384", PrivProtocol::Aes128, ""},
    {"v3 SHA-512", Version::V3, "authSHA512", SecurityLevel::AuthNoPriv, AuthProtocol::Sha512,
     "SHA-512", PrivProtocol::Aes128, ""},
    {"v3 MD5 DES", Version::V3, "privMD5DES", SecurityLevel::AuthPriv, AuthProtocol::Md5, "MD5",
     PrivProtocol::Des, "DES"},
    {"v3 SHA AES", Version::V3, "privSHAAES", SecurityLevel::AuthPriv, AuthProtocol::Sha1, "SHA",
     PrivProtocol::Aes128, "AES"},
    {"v3 SHA DES", Version::V3, "privSHADES", SecurityLevel::AuthPriv, AuthProtocol::Sha1, "SHA",
     PrivProtocol::Des, "DES"},
    {"v3 SHA-256 AES", Version::V3, "privSHA256AES", SecurityLevel::AuthPriv, AuthProtocol::Sha256,
     "SHA-256", PrivProtocol::Aes128, "AES"},
    {"v3 SHA-512 AES", Version::V3, "privSHA512AES", SecurityLevel::AuthPriv, AuthProtocol::Sha512,
     "SHA-512", PrivProtocol::Aes128, "AES"},
    {"v3 SHA-512 DES", Version::V3, "privSHA512DES", SecurityLevel::AuthPriv, AuthProtocol::Sha512,
     "SHA-512", PrivProtocol::Des, "DES"},
};

const char *const LevelNames[] = {"noAuthNoPriv", "authNoPriv", "authPriv"};

const Access &accessNamed(const QString &name) {
    for (const Access &a : Accesses)
        if (name == a.name)
            return a;
    qFatal("no access %s", qPrintable(name));
}

void addAccessRows() {
    QTest::addColumn<QString>("access");
    for (const Access &a : Accesses)
        QTest::newRow(a.name) << QString(a.name);
}

} // namespace

class TestSnmpd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void get_data();
    void get();
    void knownAnswers();
    void noSuchObject_data();
    void noSuchObject();
    void walk_data();
    void walk();
    void knownWalkLines();
    void walkPastEndOfMib_data();
    void walkPastEndOfMib();
    void wrongCommunity_data();
    void wrongCommunity();
    void v3Refusals_data();
    void v3Refusals();
    void v3Resynchronises_data();
    void v3Resynchronises();
    void cleanup();

private:
    QList<Varbind> netSnmp(const QString &tool, const Access &access,
                           const QList<QByteArray> &oids);
    bool sameValue(const Varbind &theirs, const QByteArray &ours) const;
    ClientConfig config(const Access &access) const;

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

ClientConfig TestSnmpd::config(const Access &access) const {
    ClientConfig c;
    c.target = host_;
    c.version = access.version;
    c.community = Community;
    c.user = access.user;
    c.securityLevel = access.level;
    c.authProtocol = access.auth;
    c.authPassphrase = std::string(access.user) + "-auth";
    c.privProtocol = access.priv;
    c.privPassphrase = std::string(access.user) + "-priv";
    return c;
}

QList<Varbind> TestSnmpd::netSnmp(const QString &tool, const Access &access,
                                  const QList<QByteArray> &oids) {
    const QString program = qEnvironmentVariable(
        tool == "snmpget" ? "VANTREL_SNMPGET"
                          : (tool == "snmpwalk" ? "VANTREL_SNMPWALK" : "VANTREL_SNMPBULKWALK"),
        tool);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SNMPCONFPATH", dir_); // no user or system snmp.conf
    env.insert("SNMP_PERSISTENT_DIR", dir_ + "/client");
    p.setProcessEnvironment(env);
    QStringList args;
    if (access.version == Version::V3) {
        args += QStringList{"-v3", "-u", access.user, "-l", LevelNames[int(access.level)]};
        if (access.level != SecurityLevel::NoAuthNoPriv)
            args << "-a" << access.authName << "-A" << QString(access.user) + "-auth";
        if (access.level == SecurityLevel::AuthPriv)
            args << "-x" << access.privName << "-X" << QString(access.user) + "-priv";
    } else {
        args << (access.version == Version::V1 ? "-v1" : "-v2c") << "-c" << Community;
    }
    if (tool == "snmpbulkwalk")
        args << "-Cr25"; // the batch our walks start with
    // Numeric names (-On), strings always in hexadecimal (-Ox), time ticks as a bare number
    // (-Ot), enumerations as numbers (-Oe).
    args += QStringList{"-m", "", "-r", "0", "-t", "3", "-On", "-Ox", "-Ot", "-Oe"};
    args << QString::fromStdString(host_);
    for (const QByteArray &oid : oids)
        args << QString::fromLatin1(oid);
    p.start(program, args);
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
        } else if (v.value == "NULL" || v.value.startsWith("No Such ") ||
                   v.value.startsWith("No more variables")) {
            v.type = v.value; // a v2 exception: no value
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
    // The agent's clock and its loopback interface's counters run on between the two requests.
    if (theirs.type == "Timeticks" || theirs.type == "Counter64") {
        bool ok = false;
        const qulonglong value = ours.toULongLong(&ok);
        return ok && value - theirs.value.toULongLong() + 1000000 < 2000000;
    }
    return ours == theirs.value;
}

void TestSnmpd::get_data() {
    addAccessRows();
}

void TestSnmpd::get() {
    QFETCH(QString, access);
    const Access &a = accessNamed(access);

    QList<QByteArray> oids = {
        "1.3.6.1.2.1.1.1.0",                  // sysDescr
        "1.3.6.1.2.1.1.2.0",                  // sysObjectID
        "1.3.6.1.2.1.1.3.0",                  // sysUpTime
        "1.3.6.1.2.1.1.6.0",                  // sysLocation with double quotes
        "1.3.6.1.2.1.2.1.0",                  // ifNumber
        "1.3.6.1.2.1.2.2.1.2.4",              // ifDescr of the WAN
        "1.3.6.1.2.1.2.2.1.6.2",              // ifPhysAddress with bytes below 32
        "1.3.6.1.2.1.2.2.1.10.4",             // ifInOctets above 2^31
        "1.3.6.1.2.1.2.2.1.16.4",             // ifOutOctets largest
        "1.3.6.1.2.1.4.20.1.2.192.168.1.253", // ipAdEntIfIndex
        "1.3.6.1.2.1.4.20.1.3.127.0.0.1",     // ipAdEntNetMask, an IpAddress
        "1.3.6.1.4.1.763.3.1.2.0",            // negative INTEGER
        "1.3.6.1.4.1.763.3.1.3.0",            // largest Gauge
        "1.3.6.1.4.1.763.3.1.4.0",            // OBJECT IDENTIFIER value
        "1.3.6.1.4.1.763.3.1.5.0",            // bytes above 127
        "1.3.6.1.4.1.763.3.1.6.0",            // newline and tab
        "1.3.6.1.4.1.763.3.1.7.0",            // empty string
        "1.3.6.1.4.1.763.3.2.2.2",            // largest INTEGER
    };
    if (a.version != Version::V1)
        oids << "1.3.6.1.2.1.31.1.1.1.6.1"; // ifHCInOctets of loopback, a Counter64
    const QList<Varbind> theirs = netSnmp("snmpget", a, oids);
    QCOMPARE(theirs.size(), oids.size());

    Client client(config(a));
    for (int i = 0; i < oids.size(); ++i) {
        QCOMPARE(theirs[i].oid, oids[i]);
        const Response r = client.Get({oids[i].toStdString()});
        QCOMPARE(int(r.outcome), int(Outcome::Ok));
        const VarBind *ours = r.Value(oids[i].toStdString());
        QVERIFY2(ours, oids[i].constData());
        const QByteArray text = bytes(ValueText(*ours));
        QVERIFY2(
            sameValue(theirs[i], text),
            qPrintable(QString("%1: %2 %3, ours %4")
                           .arg(QString::fromLatin1(oids[i]), QString::fromLatin1(theirs[i].type),
                                QString::fromLatin1(theirs[i].value.toHex(' ')),
                                QString::fromLatin1(text.toHex(' ')))));
    }
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

void TestSnmpd::noSuchObject_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<QByteArray>("oid");
    QTest::addColumn<int>("errorStatus");
    QTest::addColumn<int>("type"); // of the binding, over v2c and v3

    QTest::newRow("v1 object") << "v1" << QByteArray("1.3.6.1.2.1.1.99.0") << 2 << 0x05;
    QTest::newRow("v1 Counter64") << "v1" << QByteArray("1.3.6.1.2.1.31.1.1.1.6.1") << 2 << 0x05;
    QTest::newRow("v2c object") << "v2c" << QByteArray("1.3.6.1.2.1.1.99.0") << 0 << 0x80;
    QTest::newRow("v2c instance") << "v2c" << QByteArray("1.3.6.1.2.1.2.2.1.2.99") << 0 << 0x81;
    QTest::newRow("v3 instance") << "v3 SHA-256 AES" << QByteArray("1.3.6.1.2.1.2.2.1.2.99") << 0
                                 << 0x81;
}

void TestSnmpd::noSuchObject() {
    QFETCH(QString, access);
    QFETCH(QByteArray, oid);
    QFETCH(int, errorStatus);
    QFETCH(int, type);
    const Access &a = accessNamed(access);

    const QList<Varbind> theirs = netSnmp("snmpget", a, {oid});
    if (a.version == Version::V1)
        QVERIFY(theirs.isEmpty()); // net-snmp reports the error, no value
    else
        QVERIFY(theirs.size() == 1 && theirs[0].type.startsWith("No Such"));

    Client client(config(a));
    const Response r = client.Get({oid.toStdString()});
    QCOMPARE(int(r.outcome), int(Outcome::Ok));
    QCOMPARE(r.errorStatus, errorStatus);
    QCOMPARE(int(r.bindings.size()), 1);
    QCOMPARE(r.bindings[0].type, type);
    QVERIFY(!r.Value(oid.toStdString())); // the agent's error answer: no value

    // What the program has always made of it.
    if (a.version == Version::V1) {
        std::string value = "stale";
        QVERIFY(SnmpGetValue(oid.toStdString(), Community, host_, value));
        QVERIFY(value.empty());
    }
}

void TestSnmpd::walk_data() {
    addAccessRows();
}

void TestSnmpd::walk() {
    QFETCH(QString, access);
    const Access &a = accessNamed(access);

    const QList<QByteArray> bases = {
        "1.3.6.1.2.1.1",        // system group
        "1.3.6.1.2.1.2.2.1.2",  // ifDescr column
        "1.3.6.1.2.1.2.2.1.6",  // ifPhysAddress column
        "1.3.6.1.2.1.4.20",     // ipAddrTable
        "1.3.6.1.2.1.4.20.1.1", // ipAdEntAddr column
        "1.3.6.1.2.1.4.20.1.2", // ipAdEntIfIndex column
        "1.3.6.1.4.1.763",      // maker's objects
    };
    Client client(config(a));
    for (const QByteArray &base : bases) {
        const QList<Varbind> theirs =
            netSnmp(a.version == Version::V1 ? "snmpwalk" : "snmpbulkwalk", a, {base});
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
        QVERIFY(WalkTable(client, base.toStdString(), rows));
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

void TestSnmpd::walkPastEndOfMib_data() {
    QTest::addColumn<QString>("access");
    // v1 answers noSuchName past its last object, repeating the request's name; v2c and v3
    // answer endOfMibView.
    QTest::newRow("v1") << "v1";
    QTest::newRow("v2c") << "v2c";
    QTest::newRow("v3") << "v3 SHA AES";
}

void TestSnmpd::walkPastEndOfMib() {
    QFETCH(QString, access);
    Client client(config(accessNamed(access)));
    std::vector<std::string> rows{"stale"};
    QVERIFY(WalkTable(client, "1.9", rows));
    QVERIFY(rows.empty());
}

void TestSnmpd::wrongCommunity_data() {
    QTest::addColumn<QString>("access");
    QTest::newRow("v1") << "v1";
    QTest::newRow("v2c") << "v2c";
}

void TestSnmpd::wrongCommunity() {
    QFETCH(QString, access);
    // snmpd drops requests with an unknown community: no answer at all.
    ClientConfig c = config(accessNamed(access));
    c.community = "public";
    c.timeoutMs = 300;
    Client client(c);
    QCOMPARE(int(client.Get({"1.3.6.1.2.1.1.1.0"}).outcome), int(Outcome::NoAnswer));
    std::vector<std::string> rows;
    QVERIFY(!WalkTable(client, "1.3.6.1.2.1.1", rows));
    QCOMPARE(rows, std::vector<std::string>{"\"\""});
}

void TestSnmpd::v3Refusals_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("authPassphrase");
    QTest::addColumn<QString>("privPassphrase");
    QTest::addColumn<int>("outcome");

    const int authNoPriv = int(SecurityLevel::AuthNoPriv), authPriv = int(SecurityLevel::AuthPriv);
    QTest::newRow("wrong passphrase") << "v3 SHA"
                                      << "authSHA" << authNoPriv << "not-authSHA-auth"
                                      << "" << int(Outcome::AuthenticationFailed);
    QTest::newRow("wrong passphrase, SHA-512 with AES")
        << "v3 SHA-512 AES"
        << "privSHA512AES" << authPriv << "not-the-passphrase"
        << "privSHA512AES-priv" << int(Outcome::AuthenticationFailed);
    QTest::newRow("unknown user") << "v3 SHA"
                                  << "nobody" << authNoPriv << "authSHA-auth"
                                  << "" << int(Outcome::UnknownUser);
    QTest::newRow("privacy for a user without it")
        << "v3 SHA"
        << "authSHA" << authPriv << "authSHA-auth"
        << "authSHA-priv" << int(Outcome::UnsupportedSecurityLevel);
    QTest::newRow("wrong privacy passphrase, AES")
        << "v3 SHA AES"
        << "privSHAAES" << authPriv << "privSHAAES-auth"
        << "not-privSHAAES-priv" << int(Outcome::DecryptionFailed);
    QTest::newRow("wrong privacy passphrase, DES")
        << "v3 MD5 DES"
        << "privMD5DES" << authPriv << "privMD5DES-auth"
        << "not-privMD5DES-priv" << int(Outcome::DecryptionFailed);
    QTest::newRow("passphrase under 8 bytes") << "v3 SHA"
                                              << "authSHA" << authNoPriv << "short"
                                              << "" << int(Outcome::UnusableCredentials);
}

void TestSnmpd::v3Refusals() {
    QFETCH(QString, access);
    QFETCH(QString, user);
    QFETCH(int, level);
    QFETCH(QString, authPassphrase);
    QFETCH(QString, privPassphrase);
    QFETCH(int, outcome);

    ClientConfig c = config(accessNamed(access));
    c.user = user.toStdString();
    c.securityLevel = SecurityLevel(level);
    c.authPassphrase = authPassphrase.toStdString();
    c.privPassphrase = privPassphrase.toStdString();
    c.timeoutMs = 2000;
    Client client(c);
    QElapsedTimer timer;
    timer.start();
    const Response r = client.Get({"1.3.6.1.2.1.1.1.0"});
    QCOMPARE(int(r.outcome), outcome);
    QVERIFY(r.bindings.empty());
    QVERIFY2(timer.elapsed() < c.timeoutMs + 200, "longer than one time-out");
    // Also a walk ends at once with that outcome, adding only the failed step's value.
    std::vector<std::string> rows;
    QVERIFY(!WalkTable(client, "1.3.6.1.2.1.1", rows));
    QCOMPARE(rows, std::vector<std::string>{"\"\""});
}

void TestSnmpd::v3Resynchronises_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<int>("bootsOff");
    QTest::addColumn<int>("timeOff");

    // The agent refuses a message from outside its time window with an authentic report of its
    // clock; the client learns it and asks once more.
    QTest::newRow("our clock 1000 s behind") << "v3 SHA-256" << 0 << -1000;
    QTest::newRow("our clock 1000 s ahead") << "v3 MD5 DES" << 0 << 1000;
    QTest::newRow("a boot ahead, as after a router lost its count") << "v3 SHA AES" << 1 << 0;
    QTest::newRow("a boot behind, as after a router restarted") << "v3 SHA-512 AES" << -1 << 0;
}

void TestSnmpd::v3Resynchronises() {
    QFETCH(QString, access);
    QFETCH(int, bootsOff);
    QFETCH(int, timeOff);

    const ClientConfig c = config(accessNamed(access));
    Client client(c);
    QCOMPARE(int(client.Get({"1.3.6.1.2.1.1.3.0"}).outcome), int(Outcome::Ok)); // discovery

    // The clock the session keeps for the agent set wrong, as it is after a reboot.
    const std::shared_ptr<UsmSession> session = UsmSession::For(c);
    const std::string engine = session->EngineId();
    QVERIFY(!engine.empty());
    const QList<Varbind> bootsAndTime = netSnmp(
        "snmpget", accessNamed("v2c"), {"1.3.6.1.6.3.10.2.1.2.0", "1.3.6.1.6.3.10.2.1.3.0"});
    QCOMPARE(bootsAndTime.size(), 2);
    session->SetEngine(engine, bootsAndTime[0].value.toInt() + bootsOff,
                       std::max(0, bootsAndTime[1].value.toInt() + timeOff));

    for (int i = 0; i < 2; ++i) { // the second without another resynchronisation
        const Response r = client.Get({"1.3.6.1.2.1.1.5.0"});
        QCOMPARE(int(r.outcome), int(Outcome::Ok));
        QVERIFY(r.Value("1.3.6.1.2.1.1.5.0"));
    }
}

QTEST_GUILESS_MAIN(TestSnmpd)
#include "tst_snmpd.moc"
